#include "messageview.h"

#include "chatlog.h"
#include "wording.h"

#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace messages {

MessageView::MessageView(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    // Lines are dropped from the top by hand; an undo history would keep every one of them.
    setUndoRedoEnabled(false);
}

void MessageView::appendMessage(const QString &message)
{
    QString lines = message;
    lines.replace(u"\r\n"_s, u"\n"_s);
    appendPlainText(lines);
    // The caret goes to the message's first line, so that a screen reader reads it from there.
    const auto showFirstLine = qScopeGuard([this, count = int(lines.count(u'\n')) + 1] {
        const int first = qMax(blockCount() - count, m_droppedLines > 0 ? 1 : 0);
        setTextCursor(QTextCursor(document()->findBlockByNumber(first)));
    });

    // Once lines have been dropped, the first line says how many.
    const int notice = m_droppedLines > 0 ? 1 : 0;
    const qsizetype excess = blockCount() - notice - chatlog::kKeptLines;
    if (excess <= 0)
        return;
    QTextCursor cursor(document()->findBlockByNumber(notice));
    cursor.setPosition(document()->findBlockByNumber(int(notice + excess)).position(),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_droppedLines += excess;
    cursor.setPosition(0);
    if (!notice) {
        cursor.insertBlock();
        cursor.setPosition(0);
    }
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(uisupport::wording::linesDropped(m_droppedLines, chatlog::kKeptLines));
}

void MessageView::clearMessages()
{
    clear();
    m_droppedLines = 0;
}

} // namespace messages
