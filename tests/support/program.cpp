#include "program.h"

#include "Unit1.h"
#include "Unit2.h"
#include "fonts.h"
#include "forms.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

Program::Program()
{
    console::installFontSubstitutes();
    shell::createForms(0);
    Form2->Timer1Timer();
    if (!QTest::qWaitForWindowExposed(Form1))
        qWarning("the console was never shown");
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
