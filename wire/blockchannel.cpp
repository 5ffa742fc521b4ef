#include "blockchannel.h"

#include <utility>

namespace wire {

BlockChannel::BlockChannel(Read read, QObject *parent) : QObject(parent), m_read(std::move(read))
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kTextSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_settled = true;
        emit settled();
    });
}

void BlockChannel::receive()
{
    if (m_ended)
        return;
    const bool settled = std::exchange(m_settled, false);
    if (m_taken == m_received.size()) {
        m_received.resize(0); // keeps its capacity: reads cost no allocation
        m_taken = 0;
    }
    const qsizetype before = m_received.size();
    m_received.resize(before + kReadBlocks * kBlockSize);
    const qint64 read = m_read(m_received.data() + before, kReadBlocks * kBlockSize);
    m_received.resize(before + qMax<qint64>(read, 0));
    if (read < 0)
        m_ended = true;
    else if (read == 0 && settled)
        m_settleDue = true;
}

std::optional<ReceivedText> BlockChannel::nextText()
{
    while (const std::optional<QByteArrayView> text = nextRawText()) {
        if (const ReceivedText received = recognise(*text); received.kind != TextKind::Ignored)
            return received;
    }
    return {};
}

std::optional<QByteArrayView> BlockChannel::nextRawText()
{
    if (m_finished)
        return {};
    // Fed as successive reads of at most one block would be: the texts come out the same.
    QByteArrayView untaken = QByteArrayView(m_received).sliced(m_taken);
    const std::optional<QByteArrayView> fed = m_reader.feedSome(untaken);
    m_taken = m_received.size() - untaken.size();
    if (fed)
        return fed;
    if (m_ended) {
        m_finished = true;
        m_settle.stop();
        return m_reader.settle(); // all the stream had left
    }
    std::optional<QByteArrayView> text;
    if (std::exchange(m_settleDue, false))
        text = m_reader.settle();
    if (!m_reader.isHolding())
        m_settle.stop();
    else if (!m_settle.isActive())
        m_settle.start();
    return text;
}

void BlockChannel::reset()
{
    m_reader.reset();
    m_received.clear();
    m_taken = 0;
    m_settle.stop();
    m_settled = false;
    m_settleDue = false;
    m_ended = false;
    m_finished = false;
}

} // namespace wire
