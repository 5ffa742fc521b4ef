#pragma once

#include <QString>
#include <vector>

namespace chatlog {

// The lines the chat log and the message views keep, dropping the oldest: a flood of lines or
// messages cannot grow memory without bound.
inline constexpr qsizetype kKeptLines = 10000;

// The lines of the chat log, the newest kKeptLines of them, in a ring: appending costs the same
// however many lines the log holds, and a flood cannot grow memory without bound.
//
// The lines joined by line breaks are the log's text; offsets into it are what selections and
// screen readers use. Lines are also numbered from the first ever appended, so that a line keeps
// its number while older ones go.
class ChatLog
{
public:
    // Returns false when the oldest line went to make room.
    bool append(const QString &line);

    qsizetype size() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    // 0 is the oldest line kept.
    const QString &at(qsizetype index) const { return m_lines[slot(index)]; }
    // The number of the oldest line kept; one past the newest's.
    qint64 firstNumber() const { return m_appended - m_count; }
    qint64 endNumber() const { return m_appended; }

    qsizetype textLength() const;
    // Where line index starts in the text.
    qsizetype lineStart(qsizetype index) const { return m_starts[slot(index)] - m_starts[m_head]; }
    // The line an offset falls in; an offset on a line break belongs to the line before it.
    qsizetype lineAt(qsizetype offset) const;
    QString text(qsizetype from, qsizetype to) const;
    QString text() const { return text(0, textLength()); }

private:
    qsizetype slot(qsizetype index) const { return (m_head + index) % kKeptLines; }

    std::vector<QString> m_lines = std::vector<QString>(kKeptLines);
    std::vector<qint64> m_starts = std::vector<qint64>(kKeptLines); // of all lines ever appended
    qsizetype m_head = 0;
    qsizetype m_count = 0;
    qint64 m_appended = 0;
    qint64 m_nextStart = 0;
};

} // namespace chatlog
