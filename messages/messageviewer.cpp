#include "messageviewer.h"

#include "fixedwindow.h"
#include "guard.h"
#include "ui_messageviewer.h"
#include "wording.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace messages {

namespace wording = uisupport::wording;

MessageViewer::MessageViewer(QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_ui(std::make_unique<Ui::MessageViewer>())
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, {453, 286});
    uisupport::connectGuarded(m_ui->replyButton, &QPushButton::clicked, this,
                              &MessageViewer::replyClicked);
}

MessageViewer::~MessageViewer() = default;

void MessageViewer::replyClicked()
{
    m_ui->messageText->clearMessages();
    hide();
    emit replyRequested();
}

void MessageViewer::present(const QString &message)
{
    if (uisupport::openBoxCount() == 0)
        m_ui->messageText->clearMessages();
    uisupport::messageBox(wording::messageArrived, this, [this, message] {
        show();
        raise();
        m_ui->messageText->appendMessage(message);
    });
}

QString MessageViewer::text() const
{
    return m_ui->messageText->toPlainText();
}

} // namespace messages
