#include "Unit4.h"

#include "chatlink/block.h"
#include "chatlink/cp949.h"
#include "fixedwindow.h"
#include "messagebox.h"
#include "ui_Unit4.h"

#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

TForm4 *Form4 = nullptr;

TForm4::TForm4(MessageRecipient &recipient, QWidget *parent)
    : QWidget(parent, messages::kFixedDialogFrame), m_recipient(recipient),
      m_ui(std::make_unique<Ui::TForm4>())
{
    m_ui->setupUi(this);
    messages::fixWindow(*this, {457, 302});
    connect(m_ui->Button1, &QPushButton::clicked, this,
            [this] { messages::guarded([this] { Button1Click(); }); });
    connect(m_ui->Button2, &QPushButton::clicked, this,
            [this] { messages::guarded([this] { Button2Click(); }); });
}

TForm4::~TForm4() = default;

void TForm4::Button1Click()
{
    QString body = m_ui->Memo1->toPlainText();
    body.replace(u"\n"_s, u"\r\n"_s);
    const chatlink::Block block = chatlink::buildBlock(
        chatlink::composeText(chatlink::kTagMessage, chatlink::toCp949(m_recipient.contactName()),
                              chatlink::toCp949(body)));
    m_recipient.selectedClient()->sendBlock(block);
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
