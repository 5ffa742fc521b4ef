#include "Unit4.h"

#include "chatlink/chatlink.h"
#include "fixedwindow.h"
#include "guard.h"
#include "ui_Unit4.h"

#include <QPlainTextEdit>
#include <QPushButton>

TForm4 *Form4 = nullptr;

TForm4::TForm4(chatlink::ChatLink &link, std::function<QString()> contactName, QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_link(link),
      m_contactName(std::move(contactName)), m_ui(std::make_unique<Ui::TForm4>())
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, {457, 302});
    uisupport::connectGuarded(m_ui->Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    uisupport::connectGuarded(m_ui->Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
}

TForm4::~TForm4() = default;

void TForm4::Button1Click()
{
    m_link.sendMessage(m_contactName(), m_ui->Memo1->toPlainText());
    m_ui->Memo1->clear();
    hide();
}

void TForm4::Button2Click()
{
    m_ui->Memo1->clear();
}

void TForm4::open()
{
    show();
    raise();
    activateWindow();
}

void TForm4::clearBody()
{
    m_ui->Memo1->clear();
}

QString TForm4::body() const
{
    return m_ui->Memo1->toPlainText();
}
