#include "forms.h"

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "guard.h"

#include <QApplication>

namespace shell {

void createForms(unsigned short port)
{
    Form2 = new TForm2;
    Form1 = new TForm1(port);
    Form3 = new TForm3;
    Form4 = new TForm4(Form1->chatLink(), [] { return Form1->contactName(); });
    QObject::connect(Form1, &TForm1::shown, Form2, &TForm2::stopHandOver);
    QObject::connect(Form1, &TForm1::closing, Form2, &QWidget::close);
}

void destroyForms()
{
    delete std::exchange(Form4, nullptr);
    delete std::exchange(Form3, nullptr);
    delete std::exchange(Form1, nullptr);
    delete std::exchange(Form2, nullptr);
}

int run(unsigned short port)
{
    uisupport::guarded([port] {
        createForms(port);
        Form2->show();
        QApplication::exec();
    });
    destroyForms();
    return 0;
}

} // namespace shell
