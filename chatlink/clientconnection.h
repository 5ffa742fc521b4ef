#pragma once

#include "blockreader.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <optional>

namespace chatlink {

// Bytes the kernel has not taken yet are queued up to this limit; past it the client is dropped.
inline constexpr qsizetype kSendQueueLimit = 64 * 1024;
// One read takes at most this many blocks' bytes: each pass of the event loop reads that much of
// every client with data at most, so a flooding client cannot starve the others.
inline constexpr qsizetype kReadBlocks = 16;

// One accepted client. Owns its descriptor.
//
// Read rule: readyRead() is raised when data arrives and the connection has raised none since its
// last receive(); a read that leaves data waiting raises another. Unread data stays in the kernel's
// socket buffer, so a flooding client is slowed by TCP flow control rather than growing our
// memory.
//
// Signals come only from the connection's own notifications, each as the last thing it does, and
// the end of a connection is reported from the event loop, never from inside receive(),
// nextText() or send(): a caller of those never finds the connection ended under it. An orderly
// close by the peer ends the connection silently with closed(); a socket error ends it with
// closed() followed by errorOccurred(); a client whose send queue overflowed is dropped with
// closed() followed by dropped().
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
    // When the connection was accepted, in local time.
    const QDateTime &connectedAt() const { return m_connectedAt; }
    qsizetype queuedBytes() const { return m_queue.size(); }

    // One read of at most kReadBlocks blocks, added to what nextText() has still to take. Bytes
    // held for their settle time raise readyRead() again when the wait is over; what has arrived
    // meanwhile is read before they are taken as they are.
    void receive();
    // The next text that the bytes received complete, in order, by BlockReader's rules: a view
    // valid until the connection is used again. Nothing once all of them are taken.
    std::optional<QByteArrayView> nextText();

    // Hands all of the bytes to the connection or none: what the kernel does not take at once is
    // queued. Returns the count, or -1 when the connection is (or has now been) closed.
    qint64 send(QByteArrayView bytes);

    // Closes at once, without further signals; nothing of the connection is read or sent again.
    void abort();

signals:
    void readyRead(chatlink::ClientConnection *connection);
    void closed(chatlink::ClientConnection *connection);
    void errorOccurred(chatlink::ClientConnection *connection, int code, const QString &text);
    void dropped(chatlink::ClientConnection *connection);

private:
    enum class Ending { None, Closed, Failed, Dropped };

    void onReadable();
    void onWritable();
    void onSettled();
    void noteEnding(Ending how, int code = 0, const char *operation = nullptr);
    // Closes and reports the noted ending from the event loop.
    void end();
    void reportEnd();

    qintptr m_descriptor;
    QString m_remoteAddress;
    QDateTime m_connectedAt;
    QSocketNotifier m_readNotifier;
    QSocketNotifier m_writeNotifier;
    QByteArray m_queue;
    bool m_awaitingRead = false; // raised readyRead() and not read since
    BlockReader m_reader;
    QByteArray m_received; // bytes read; those before m_taken went to the reader
    qsizetype m_taken = 0;
    QTimer m_settle;
    bool m_settled = false;   // the settle time is over; the next receive() decides
    bool m_settleDue = false; // nothing had arrived: the held bytes are taken as they are
    Ending m_ending = Ending::None;
    int m_endCode = 0;
    QString m_endText;
};

} // namespace chatlink
