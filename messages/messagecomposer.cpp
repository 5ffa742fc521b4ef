#include "messagecomposer.h"

#include "fixedwindow.h"
#include "guard.h"
#include "ui_messagecomposer.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace messages {

MessageComposer::MessageComposer(Send send, QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_send(std::move(send)),
      m_ui(std::make_unique<Ui::MessageComposer>())
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, {457, 302});
    uisupport::connectGuarded(m_ui->sendButton, &QPushButton::clicked, this,
                              &MessageComposer::sendClicked);
    uisupport::connectGuarded(m_ui->clearButton, &QPushButton::clicked, this,
                              &MessageComposer::clearClicked);
}

MessageComposer::~MessageComposer() = default;

void MessageComposer::sendClicked()
{
    m_send(m_ui->messageBody->toPlainText());
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
