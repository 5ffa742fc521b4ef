#include "program.h"

#include "Unit1.h"
#include "Unit2.h"
#include "fonts.h"
#include "forms.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

Program::Program(bool handOver)
{
    console::installFontSubstitutes();
    shell::createForms(0);
    if (handOver)
        Form2->Timer1Timer();
    else
        Form2->show();
    if (!QTest::qWaitForWindowExposed(handOver ? static_cast<QWidget *>(Form1) : Form2))
        qWarning("no window was shown");
}

Program::~Program()
{
    shell::destroyForms();
}

std::unique_ptr<RawClient> Program::connectListed()
{
    return ::connectListed(Form1->ServerSocket1.serverPort(), [] { return clientList()->count(); });
}

QListWidget *clientList()
{
    return control<QListWidget>(Form1, "ListBox1");
}

QPlainTextEdit *chatLog()
{
    return control<QPlainTextEdit>(Form1, "Memo1");
}
