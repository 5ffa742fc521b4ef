#pragma once

#include "blockchannel.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <optional>

namespace server {

// Bytes the kernel has not taken yet are queued up to this limit; past it the client is dropped.
inline constexpr qsizetype kSendQueueLimit = 64 * 1024;

// One accepted client. Owns its descriptor, and reads it through a block channel.
//
// Read rule: readyRead() is raised when data arrives and the connection has raised none since its
// last receive(), and when held bytes have settled; a read that leaves data waiting raises
// another. Unread data stays in the kernel's socket buffer, so a flooding client is slowed by TCP
// flow control rather than growing our memory.
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

    bool isOpen() const { return m_descriptor >= 0; }
    // Dotted-decimal IPv4 address of the peer, taken when the connection was accepted.
    const QString &remoteAddress() const { return m_remoteAddress; }
    // When the connection was accepted, in local time.
    const QDateTime &connectedAt() const { return m_connectedAt; }
    qsizetype queuedBytes() const { return m_queue.size(); }

    // One read, added to what nextText() has still to take.
    void receive();
    // The next chat line or message that the bytes received complete (BlockChannel::nextText()).
    std::optional<wire::ReceivedText> nextText();

    // Hands all of the bytes to the connection or none: what the kernel does not take at once is
    // queued. Returns the count, or -1 when the connection is (or has now been) closed.
    qint64 send(QByteArrayView bytes);

    // Closes at once, without further signals; nothing of the connection is read or sent again.
    void abort();

signals:
    void readyRead(server::ClientConnection *connection);
    void closed(server::ClientConnection *connection);
    // The text is the socket layer's reason, for the operator to see as it is.
    void errorOccurred(server::ClientConnection *connection, int code, const QString &text);
    void dropped(server::ClientConnection *connection);

private:
    enum class Ending { None, Closed, Failed, Dropped };

    void onReadable();
    void onWritable();
    qint64 read(char *into, qint64 size);
    void noteEnding(Ending how, int code = 0);
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
    wire::BlockChannel m_channel;
    Ending m_ending = Ending::None;
    int m_endCode = 0;
};

} // namespace server
