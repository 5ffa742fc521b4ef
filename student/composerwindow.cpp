#include "composerwindow.h"

#include "chatlink/errors.h"
#include "messagebox.h"
#include "wording.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace student {

namespace wording = uisupport::wording;

ComposerWindow::ComposerWindow(Send send, QWidget *parent)
    : QWidget(parent), m_send(std::move(send)), m_body(new QPlainTextEdit)
{
    setWindowTitle(wording::composerTitle);
    m_body->setObjectName(u"messageBody"_s);
    m_body->setAccessibleName(wording::messageBodyName);
    m_body->setTabChangesFocus(true);
    auto *sendButton = new QPushButton(wording::send);
    sendButton->setObjectName(u"sendButton"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_body, 1);
    layout->addWidget(sendButton, 0, Qt::AlignRight);
    resize(400, 300);
    connect(sendButton, &QPushButton::clicked, this, &ComposerWindow::sendClicked);
}

void ComposerWindow::openEmpty()
{
    m_body->clear();
    show();
    raise();
    activateWindow();
    m_body->setFocus();
}

void ComposerWindow::sendClicked()
{
    try {
        m_send(m_body->toPlainText());
    } catch (const chatlink::SendError &error) {
        uisupport::messageBox(wording::sendRefusedToStudent(error));
        return;
    }
    m_body->clear();
    hide();
}

} // namespace student
