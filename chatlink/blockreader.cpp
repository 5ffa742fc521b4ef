#include "blockreader.h"

#include <utility>

namespace chatlink {

qsizetype BlockReader::room() const
{
    // Looking for a block's rest, one byte more shows whether a text starts after it.
    return m_remainder > 0 ? m_remainder + 1 - m_held.size() : kBlockSize - m_held.size();
}

std::optional<QByteArrayView> BlockReader::feed(QByteArrayView bytes)
{
    Q_ASSERT(bytes.size() <= room());
    if (m_remainder == 0)
        return take(bytes);
    m_held.append(bytes);
    if (m_held.size() <= m_remainder)
        return {}; // the byte after it decides, or the settle
    return endRemainder();
}

std::optional<QByteArrayView> BlockReader::settle()
{
    if (m_held.isEmpty())
        return {};
    if (m_remainder > 0) {
        if (auto text = endRemainder())
            return text;
        if (m_held.isEmpty())
            return {};
    }
    m_remainder = kBlockSize - m_held.size();
    return takeHeld({});
}

void BlockReader::reset()
{
    m_held.clear();
    m_remainder = 0;
}

QList<QByteArray> BlockReader::feedAll(QByteArrayView bytes)
{
    QList<QByteArray> texts;
    while (!bytes.isEmpty()) {
        const qsizetype n = qMin(room(), bytes.size());
        if (auto text = feed(bytes.first(n)))
            texts.append(text->toByteArray());
        bytes = bytes.sliced(n);
    }
    return texts;
}

std::optional<QByteArrayView> BlockReader::take(QByteArrayView bytes)
{
    if (m_held.isEmpty()) {
        while (!bytes.isEmpty() && bytes.front() == '\0')
            bytes = bytes.sliced(1);
    }
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        return m_held.isEmpty() ? bytes.first(zero) : takeHeld(bytes.first(zero));
    if (m_held.isEmpty() && bytes.size() == kBlockSize)
        return bytes;
    m_held.append(bytes);
    if (m_held.size() == kBlockSize)
        return takeHeld({});
    return {};
}

std::optional<QByteArrayView> BlockReader::endRemainder()
{
    const qsizetype rest = std::exchange(m_remainder, 0);
    std::swap(m_candidate, m_held);
    m_held.resize(0);
    const bool isRest = m_candidate.size() >= rest && m_candidate.at(rest - 1) == '\0' &&
                        (m_candidate.size() == rest || m_candidate.at(rest) != '\0');
    return take(QByteArrayView(m_candidate).sliced(isRest ? rest : 0));
}

QByteArrayView BlockReader::takeHeld(QByteArrayView tail)
{
    // Kept apart from the held bytes (and their capacity reused), so no text costs an allocation.
    m_text.resize(0);
    m_text.append(m_held).append(tail);
    m_held.resize(0);
    return m_text;
}

} // namespace chatlink
