#pragma once

#include <QPlainTextEdit>

namespace messages {

// Shows messages one after another: CR LF pairs in a message start new lines, and the caret
// waits at the start of the newest. It keeps the newest chatlog::kKeptLines lines; once older
// ones have gone, its first line says how many.
class MessageView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MessageView(QWidget *parent = nullptr);

    void appendMessage(const QString &message);
    void clearMessages();

private:
    qsizetype m_droppedLines = 0;
};

} // namespace messages
