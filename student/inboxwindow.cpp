#include "inboxwindow.h"

#include "wording.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace student {

namespace wording = uisupport::wording;

InboxWindow::InboxWindow(QWidget *parent) : QWidget(parent), m_messages(new QPlainTextEdit)
{
    setWindowTitle(wording::inboxTitle);
    m_messages->setObjectName(u"messageText"_s);
    m_messages->setAccessibleName(wording::inboxTitle);
    m_messages->setReadOnly(true);
    m_messages->setTabChangesFocus(true);
    m_messages->setUndoRedoEnabled(false);
    m_messages->setMaximumBlockCount(kMaxLines);
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
    QString lines = message;
    lines.replace(u"\r\n"_s, u"\n"_s);
    m_messages->appendPlainText(lines);
    show();
    raise();
}

QString InboxWindow::text() const
{
    return m_messages->toPlainText();
}

void InboxWindow::readClicked()
{
    m_messages->clear();
    hide();
}

} // namespace student
