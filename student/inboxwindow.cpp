#include "inboxwindow.h"

#include "messageview.h"
#include "studentwording.h"

#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace student {

InboxWindow::InboxWindow(QWidget *parent) : QWidget(parent), m_messages(new messages::MessageView)
{
    setWindowTitle(wording::inboxTitle);
    m_messages->setObjectName(u"messageText"_s);
    m_messages->setAccessibleName(wording::inboxTitle);
    m_messages->setReadOnly(true);
    auto *read = new QPushButton(wording::markRead);
    read->setObjectName(u"readButton"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_messages, 1);
    layout->addWidget(read, 0, Qt::AlignRight);
    resize(400, 300);
    connect(read, &QPushButton::clicked, this, &InboxWindow::readClicked);
}

void InboxWindow::present(const QString &message)
{
    m_messages->appendMessage(message);
    show();
    raise();
}

QString InboxWindow::text() const
{
    return m_messages->toPlainText();
}

void InboxWindow::readClicked()
{
    m_messages->clearMessages();
    hide();
}

} // namespace student
