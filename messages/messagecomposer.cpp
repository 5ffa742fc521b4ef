#include "messagecomposer.h"

#include "fixedwindow.h"
#include "ui_messagecomposer.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace messages {

MessageComposer::MessageComposer(Send send, uisupport::RefusalWording wordRefusal, QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_send(std::move(send)),
      m_wordRefusal(wordRefusal), m_ui(std::make_unique<Ui::MessageComposer>())
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, {457, 302});
    uisupport::connectGuarded(m_ui->sendButton, &QPushButton::clicked, this,
                              &MessageComposer::sendClicked);
    uisupport::connectGuarded(m_ui->clearButton, &QPushButton::clicked, this,
                              &MessageComposer::clearClicked);
}

MessageComposer::~MessageComposer() = default;

void MessageComposer::setCaptions(const Captions &captions)
{
    setWindowTitle(captions.title);
    setAccessibleName(captions.title);
    m_ui->sendButton->setText(captions.send);
    m_ui->sendButton->setAccessibleDescription(captions.sendDescription);
    m_ui->clearButton->setText(captions.clear);
    m_ui->clearButton->setAccessibleDescription(captions.clearDescription);
    m_ui->messageBody->setAccessibleDescription(captions.bodyDescription);
}

void MessageComposer::sendClicked()
{
    if (!uisupport::refusable([this] { m_send(m_ui->messageBody->toPlainText()); }, m_wordRefusal))
        return;
    m_ui->messageBody->clear();
    hide();
}

void MessageComposer::clearClicked()
{
    m_ui->messageBody->clear();
}

void MessageComposer::openEmpty()
{
    m_ui->messageBody->clear();
    show();
    raise();
    activateWindow();
}

} // namespace messages
