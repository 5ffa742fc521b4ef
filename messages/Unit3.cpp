#include "Unit3.h"

#include "Unit4.h"
#include "fixedwindow.h"
#include "guard.h"
#include "ui_Unit3.h"

#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_ui(std::make_unique<Ui::TForm3>())
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, {453, 286});
    uisupport::connectGuarded(m_ui->Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    m_ui->Memo1->clear();
}

TForm3::~TForm3() = default;

void TForm3::Button1Click()
{
    m_ui->Memo1->clear();
    Form4->clearBody();
    hide();
    Form4->open();
}

void TForm3::clearMessages()
{
    m_ui->Memo1->clear();
}

void TForm3::appendMessage(const QString &message)
{
    QString lines = message;
    lines.replace(u"\r\n"_s, u"\n"_s);
    m_ui->Memo1->appendPlainText(lines);
}

QString TForm3::text() const
{
    return m_ui->Memo1->toPlainText();
}
