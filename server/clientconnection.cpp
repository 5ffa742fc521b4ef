#include "clientconnection.h"

#include "socketio.h"

namespace server {

ClientConnection::ClientConnection(qintptr descriptor, QObject *parent)
    : QObject(parent), m_descriptor(descriptor), m_remoteAddress(socketio::peerAddress(descriptor)),
      m_connectedAt(QDateTime::currentDateTime()),
      m_readNotifier(descriptor, QSocketNotifier::Read),
      m_writeNotifier(descriptor, QSocketNotifier::Write),
      m_channel([this](char *into, qint64 size) { return read(into, size); })
{
    socketio::configure(descriptor);
    m_writeNotifier.setEnabled(false);
    connect(&m_readNotifier, &QSocketNotifier::activated, this, &ClientConnection::onReadable);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, &ClientConnection::onWritable);
    connect(&m_channel, &wire::BlockChannel::settled, this, [this] { emit readyRead(this); });
}

ClientConnection::~ClientConnection()
{
    abort();
}

void ClientConnection::onReadable()
{
    m_awaitingRead = true;
    emit readyRead(this);
    // Left unread, the data raises no further notification until the next read. (Read at once,
    // as usual, the notifier simply stays armed.)
    if (m_awaitingRead && isOpen())
        m_readNotifier.setEnabled(false);
}

void ClientConnection::receive()
{
    if (!isOpen() || m_ending != Ending::None)
        return;
    m_awaitingRead = false;
    m_channel.receive();
    if (m_ending == Ending::None)
        m_readNotifier.setEnabled(true);
}

qint64 ClientConnection::read(char *into, qint64 size)
{
    const socketio::Transfer read = socketio::receive(m_descriptor, into, size);
    if (!read.ended)
        return read.count;
    noteEnding(read.error ? Ending::Failed : Ending::Closed, read.error);
    return -1; // ended once what was received is taken
}

std::optional<wire::ReceivedText> ClientConnection::nextText()
{
    if (!isOpen())
        return {};
    const std::optional<wire::ReceivedText> text = m_channel.nextText();
    if (!text && m_channel.isFinished())
        end();
    return text;
}

qint64 ClientConnection::send(QByteArrayView bytes)
{
    if (!isOpen())
        return -1;
    qsizetype sent = 0;
    // Until the socket would wait: Windows tells of room again only after a send that had to.
    while (m_queue.isEmpty() && sent < bytes.size()) {
        const socketio::Transfer written =
            socketio::send(m_descriptor, bytes.data() + sent, bytes.size() - sent);
        if (written.ended) {
            noteEnding(Ending::Failed, written.error);
            end();
            return -1;
        }
        if (written.count == 0)
            break;
        sent += written.count;
    }
    const QByteArrayView rest = bytes.sliced(sent);
    if (rest.isEmpty())
        return bytes.size();
    if (m_queue.size() + rest.size() > kSendQueueLimit) {
        // The client is not reading: drop it rather than hold its bytes without bound.
        noteEnding(Ending::Dropped);
        end();
        return -1;
    }
    m_queue.append(rest);
    m_writeNotifier.setEnabled(true);
    return bytes.size();
}

void ClientConnection::onWritable()
{
    while (!m_queue.isEmpty()) {
        const socketio::Transfer written =
            socketio::send(m_descriptor, m_queue.constData(), m_queue.size());
        if (written.ended) {
            noteEnding(Ending::Failed, written.error);
            end();
            return;
        }
        if (written.count == 0)
            return;
        m_queue.remove(0, written.count);
    }
    m_writeNotifier.setEnabled(false);
}

void ClientConnection::abort()
{
    m_channel.reset();
    if (!isOpen())
        return;
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    socketio::close(m_descriptor);
    m_descriptor = -1;
    m_queue.clear();
}

void ClientConnection::noteEnding(Ending how, int code)
{
    m_ending = how;
    m_endCode = code;
}

void ClientConnection::end()
{
    if (!isOpen())
        return;
    abort();
    QMetaObject::invokeMethod(this, &ClientConnection::reportEnd, Qt::QueuedConnection);
}

void ClientConnection::reportEnd()
{
    emit closed(this); // its deletion is deferred
    if (m_ending == Ending::Failed)
        emit errorOccurred(this, m_endCode, socketio::errorReason(m_endCode));
    else if (m_ending == Ending::Dropped)
        emit dropped(this);
}

} // namespace server
