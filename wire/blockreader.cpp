#include "blockreader.h"

#include <utility>

namespace wire {

namespace {

bool isTag(char byte)
{
    return byte == kTagChatLine || byte == kTagMessage;
}

bool startsWithTag(QByteArrayView bytes)
{
    return !bytes.isEmpty() && isTag(bytes.front());
}

} // namespace

qsizetype BlockReader::room() const
{
    // Looking for a block's rest, one byte more shows whether a text starts after it.
    return m_remainder > 0 ? m_remainder + 1 - m_held.size() : kBlockSize - m_held.size();
}

bool BlockReader::isHolding() const
{
    if (m_remainder == 0)
        return !m_held.isEmpty();
    // Part of a rest that does not start with a tag would be ignored as a text: it waits on.
    return m_held.size() == m_remainder || startsWithTag(m_held);
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
    if (!isHolding())
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
    m_gap = 0;
    m_skipping = false;
}

std::optional<QByteArrayView> BlockReader::feedSome(QByteArrayView &bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype n = qMin(room(), bytes.size());
        const QByteArrayView read = bytes.first(n);
        bytes = bytes.sliced(n);
        if (auto text = feed(read))
            return text;
    }
    return {};
}

std::optional<QByteArrayView> BlockReader::take(QByteArrayView bytes)
{
    if (m_held.isEmpty()) {
        // Between texts: what is left of the last block, then where the next one starts.
        for (; !bytes.isEmpty(); bytes = bytes.sliced(1)) {
            const char byte = bytes.front();
            if (m_gap == 0) {
                if (byte != '\0')
                    break;
                m_gap = kBlockSize; // an empty text: its block is ignored like any other's
                m_skipping = false;
            } else if (byte != '\0' && !m_skipping) {
                if (isTag(byte)) {
                    m_gap = 0;
                    break;
                }
                m_skipping = true;
            }
            --m_gap;
        }
        if (bytes.isEmpty())
            return {};
    }
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) {
        // The rest of this read is the block's, after its text.
        m_gap = kBlockSize - m_held.size() - bytes.size();
        m_skipping = false;
        return m_held.isEmpty() ? bytes.first(zero) : takeHeld(bytes.first(zero));
    }
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
    const QByteArrayView candidate(m_candidate);
    bool isRest = candidate.size() == rest;
    if (candidate.size() > rest) {
        const char next = candidate.at(rest);
        isRest = isTag(next) || (next != '\0' && candidate.at(rest - 1) == '\0');
    }
    return take(candidate.sliced(isRest ? rest : 0));
}

QByteArrayView BlockReader::takeHeld(QByteArrayView tail)
{
    // Kept apart from the held bytes (and their capacity reused), so no text costs an allocation.
    m_text.resize(0);
    m_text.append(m_held).append(tail);
    m_held.resize(0);
    return m_text;
}

} // namespace wire
