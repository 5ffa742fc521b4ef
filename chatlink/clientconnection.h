#pragma once

#include "block.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

namespace chatlink {

// Bytes the kernel has not taken yet are queued up to this limit; past it the client is dropped.
inline constexpr qsizetype kSendQueueLimit = 64 * 1024;

// A text shorter than a block with no zero after it is either complete (some clients send texts
// without the zero fill) or the front of a block that TCP split inside its text. It is held this
// long for the rest of the block before being taken as it is.
inline constexpr int kTextSettleMs = 50;

// TCP keep-alive: a vanished client machine is noticed within about two minutes.
inline constexpr int kKeepAliveIdleSeconds = 60;
inline constexpr int kKeepAliveIntervalSeconds = 10;
inline constexpr int kKeepAliveProbes = 5;

// One accepted client. Owns its descriptor.
//
// Read rule: readyRead() is raised when data arrives and the connection has raised none since its
// last receive(); a receive() that leaves data waiting raises another. Unread data stays in the
// kernel's socket buffer, so a flooding client is slowed by TCP flow control rather than growing
// our memory.
//
// An orderly close by the peer (seen by receive()) ends the connection silently with closed();
// any socket error ends it with closed() followed by errorOccurred().
class ClientConnection : public QObject
{
    Q_OBJECT

public:
    explicit ClientConnection(qintptr descriptor, QObject *parent = nullptr);
    ~ClientConnection() override;

    qintptr descriptor() const { return m_descriptor; }
    bool isOpen() const { return m_descriptor >= 0; }
    // Dotted-decimal IPv4 address of the peer, taken when the connection was accepted.
    const QString &remoteAddress() const { return m_remoteAddress; }
    qsizetype queuedBytes() const { return m_queue.size(); }

    // One read of at most maxSize bytes; returns the count, 0 when nothing was waiting or the
    // connection has ended.
    qint64 receive(char *data, qint64 maxSize);

    // One block's read: the bytes of at most one block into the buffer, or 0 with the buffer
    // untouched when nothing is ready. It never reads past a block, and it keeps the stream in
    // step with the blocks when TCP splits one: the rest of a split zero fill is read alone and
    // dropped; the front of a block split inside its text is held (at most kTextSettleMs, then
    // taken as a text of its own) until the rest arrives. Holding raises readyRead() again when
    // the wait is over.
    qint64 receiveBlock(Block &buffer);

    // Hands all of the bytes to the connection or none: what the kernel does not take at once is
    // queued. Returns the count, or -1 when the connection is (or has now been) closed.
    qint64 send(QByteArrayView bytes);
    // The whole block, zero fill included.
    qint64 sendBlock(const Block &block)
    {
        return send(QByteArrayView(block.data(), block.size()));
    }

    // Closes at once, without further signals.
    void abort();

signals:
    void readyRead(chatlink::ClientConnection *connection);
    void closed(chatlink::ClientConnection *connection);
    void errorOccurred(chatlink::ClientConnection *connection, int code, const QString &text);

private:
    void onReadable();
    void onWritable();
    void flushQueue();
    void finish();
    void fail(int code, const char *operation);
    bool skipFill();
    qint64 takeHeld(Block &buffer);

    qintptr m_descriptor;
    QString m_remoteAddress;
    QSocketNotifier m_readNotifier;
    QSocketNotifier m_writeNotifier;
    QByteArray m_queue;
    bool m_awaitingRead = false; // raised readyRead() and no receive() since
    qsizetype m_fillPending = 0; // zero fill of a split block still to come
    QByteArray m_held;           // front of a text, fewer than kBlockSize bytes
    QTimer m_settle;
    bool m_settled = false;
};

} // namespace chatlink
