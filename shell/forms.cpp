#include "forms.h"

#include "Unit1.h"
#include "Unit2.h"
#include "messagebox.h"

#include <QApplication>

TForm1 *Form1 = nullptr;
TForm2 *Form2 = nullptr;

namespace shell {

void createForms(unsigned short port)
{
    Form2 = new TForm2;
    Form1 = new TForm1(port);
    QObject::connect(Form1, &TForm1::shown, Form2, &TForm2::stopHandOver);
    QObject::connect(Form1, &TForm1::closing, Form2, &QWidget::close);
}

void destroyForms()
{
    delete std::exchange(Form1, nullptr);
    delete std::exchange(Form2, nullptr);
}

int run(unsigned short port)
{
    console::guarded([port] {
        createForms(port);
        Form2->show();
        QApplication::exec();
    });
    destroyForms();
    return 0;
}

} // namespace shell
