#pragma once

#include "block.h"
#include "blockreader.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace wire {

// One read takes at most this many blocks' bytes: each pass of the event loop reads that much of
// every connection with data at most, so a flooding client cannot starve the others.
inline constexpr qsizetype kReadBlocks = 16;

// The reading end of one connection, whatever its transport: it reads the bytes, cuts them into
// texts by BlockReader's rules, times the settle of held bytes and recognises each text. The
// server's connections, the student's link and the command-line client all read through it.
//
// Its owner calls receive() when the transport has data, and again when settled() is raised, and
// then takes the texts with nextText(). Held bytes are taken as they are only when the read after
// their settle time finds nothing more: whatever has arrived meanwhile is read first.
class BlockChannel : public QObject
{
    Q_OBJECT

public:
    // Reads at most `size` bytes that have arrived, without waiting: how many (0 when none has),
    // or -1 once the stream has ended.
    using Read = std::function<qint64(char *into, qint64 size)>;

    explicit BlockChannel(Read read, QObject *parent = nullptr);

    // One read of at most kReadBlocks blocks, added to what nextText() has still to take.
    void receive();
    // The next chat line or message received, in order; other texts are skipped. Its payload is
    // valid until the channel is used again. Once the stream has ended, held bytes are a text as
    // they are.
    std::optional<ReceivedText> nextText();
    // The stream has ended and every text it carried has been taken.
    bool isFinished() const { return m_finished; }
    // Forgets everything, for a new stream.
    void reset();

signals:
    // Held bytes have waited kTextSettleMs: the owner receives again.
    void settled();

private:
    std::optional<QByteArrayView> nextRawText();

    Read m_read;
    BlockReader m_reader;
    QByteArray m_received; // bytes read; those before m_taken went to the reader
    qsizetype m_taken = 0;
    QTimer m_settle;
    bool m_settled = false;   // the settle time is over; the next receive() decides
    bool m_settleDue = false; // nothing had arrived: the held bytes are taken as they are
    bool m_ended = false;
    bool m_finished = false;
};

} // namespace wire
