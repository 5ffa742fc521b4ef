#include "chatlog.h"

#include <algorithm>

namespace chatlog {

bool ChatLog::append(const QString &line)
{
    const bool room = m_count < kKeptLines;
    const qsizetype at = room ? slot(m_count++) : std::exchange(m_head, (m_head + 1) % kKeptLines);
    m_lines[at] = line;
    m_starts[at] = m_nextStart;
    m_nextStart += line.size() + 1;
    ++m_appended;
    return room;
}

qsizetype ChatLog::textLength() const
{
    return m_count == 0 ? 0 : qsizetype(m_nextStart - m_starts[m_head]) - 1;
}

qsizetype ChatLog::lineAt(qsizetype offset) const
{
    // The last line starting at or before the offset.
    qsizetype low = 0;
    qsizetype high = m_count;
    while (high - low > 1) {
        const qsizetype middle = (low + high) / 2;
        (lineStart(middle) <= offset ? low : high) = middle;
    }
    return low;
}

QString ChatLog::text(qsizetype from, qsizetype to) const
{
    from = std::clamp<qsizetype>(from, 0, textLength());
    to = std::clamp<qsizetype>(to, from, textLength());
    QString text;
    text.reserve(to - from);
    for (qsizetype line = lineAt(from); line < m_count && lineStart(line) < to; ++line) {
        const qsizetype start = lineStart(line);
        const QString &whole = at(line);
        const qsizetype begin = std::clamp<qsizetype>(from - start, 0, whole.size());
        const qsizetype end = std::clamp<qsizetype>(to - start, begin, whole.size());
        text += QStringView(whole).sliced(begin, end - begin);
        if (start + whole.size() < to && line + 1 < m_count)
            text += QLatin1Char('\n');
    }
    return text;
}

} // namespace chatlog
