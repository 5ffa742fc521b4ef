#include "blockreader.h"

#include <utility>

namespace chatlink {

qsizetype BlockReader::room() const
{
    // Looking for a block's rest, one byte more shows whether a text starts after it.
    return m_remainder > 0 ? m_remainder + 1 - m_held.size() : kBlockSize - m_held.size();
}

std::optional<QByteArray> BlockReader::feed(QByteArrayView bytes)
{
    Q_ASSERT(bytes.size() <= room());
    if (m_remainder == 0)
        return take(bytes);
    m_held.append(bytes);
    if (m_held.size() <= m_remainder)
        return {}; // the byte after it decides, or the settle
    return endRemainder();
}

std::optional<QByteArray> BlockReader::settle()
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
    return std::exchange(m_held, {});
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
            texts.append(*text);
        bytes = bytes.sliced(n);
    }
    return texts;
}

std::optional<QByteArray> BlockReader::take(QByteArrayView bytes)
{
    if (m_held.isEmpty()) {
        while (!bytes.isEmpty() && bytes.front() == '\0')
            bytes = bytes.sliced(1);
    }
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        QByteArray text = std::exchange(m_held, {});
        text.append(bytes.first(zero));
        return text;
    }
    m_held.append(bytes);
    if (m_held.size() == kBlockSize)
        return std::exchange(m_held, {});
    return {};
}

std::optional<QByteArray> BlockReader::endRemainder()
{
    const qsizetype rest = std::exchange(m_remainder, 0);
    QByteArray candidate = std::exchange(m_held, {});
    const bool isRest = candidate.size() >= rest && candidate.at(rest - 1) == '\0' &&
                        (candidate.size() == rest || candidate.at(rest) != '\0');
    if (isRest)
        candidate.remove(0, rest);
    return take(candidate);
}

} // namespace chatlink
