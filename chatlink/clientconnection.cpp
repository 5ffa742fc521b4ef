#include "clientconnection.h"

#include "socketio.h"

namespace chatlink {

ClientConnection::ClientConnection(qintptr descriptor, QObject *parent)
    : QObject(parent), m_descriptor(descriptor), m_remoteAddress(socketio::peerAddress(descriptor)),
      m_connectedAt(QDateTime::currentDateTime()),
      m_readNotifier(descriptor, QSocketNotifier::Read),
      m_writeNotifier(descriptor, QSocketNotifier::Write)
{
    socketio::configure(descriptor);
    m_writeNotifier.setEnabled(false);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kTextSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ClientConnection::onSettled);
    connect(&m_readNotifier, &QSocketNotifier::activated, this, &ClientConnection::onReadable);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, &ClientConnection::onWritable);
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

void ClientConnection::onSettled()
{
    m_settled = true;
    emit readyRead(this);
}

void ClientConnection::receive()
{
    if (!isOpen() || m_ending != Ending::None)
        return;
    // Held bytes are taken as they are only when nothing more has come: what has is read first,
    // and whatever is held after it waits its own settle time.
    const bool settled = std::exchange(m_settled, false);
    m_awaitingRead = false;
    if (m_taken == m_received.size()) {
        m_received.resize(0); // keeps its capacity: reads cost no allocation
        m_taken = 0;
    }
    const qsizetype before = m_received.size();
    m_received.resize(before + kReadBlocks * kBlockSize);
    const socketio::Transfer read =
        socketio::receive(m_descriptor, m_received.data() + before, kReadBlocks * kBlockSize);
    m_received.resize(before + qMax<qint64>(read.count, 0));
    if (read.ended) {
        noteEnding(read.error ? Ending::Failed : Ending::Closed, read.error, "recv");
        return; // ended once what was received is taken
    }
    m_readNotifier.setEnabled(true);
    if (read.count == 0 && settled)
        m_settleDue = true;
}

std::optional<QByteArrayView> ClientConnection::nextText()
{
    if (!isOpen())
        return {};
    // Fed as successive reads of at most one block would be: the texts come out the same.
    QByteArrayView untaken = QByteArrayView(m_received).sliced(m_taken);
    const std::optional<QByteArrayView> fed = m_reader.feedSome(untaken);
    m_taken = m_received.size() - untaken.size();
    if (fed)
        return fed;
    if (m_ending != Ending::None) {
        const std::optional<QByteArrayView> text = m_reader.settle(); // all the stream had left
        end();
        return text;
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

qint64 ClientConnection::send(QByteArrayView bytes)
{
    if (!isOpen())
        return -1;
    qsizetype sent = 0;
    if (m_queue.isEmpty()) {
        const socketio::Transfer written = socketio::send(m_descriptor, bytes.data(), bytes.size());
        if (written.ended) {
            noteEnding(Ending::Failed, written.error, "send");
            end();
            return -1;
        }
        sent = written.count;
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
            noteEnding(Ending::Failed, written.error, "send");
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
    m_reader.reset();
    m_received.clear();
    m_taken = 0;
    m_settle.stop();
    m_settled = false;
    m_settleDue = false;
    if (!isOpen())
        return;
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    socketio::close(m_descriptor);
    m_descriptor = -1;
    m_queue.clear();
}

void ClientConnection::noteEnding(Ending how, int code, const char *operation)
{
    m_ending = how;
    m_endCode = code;
    if (how == Ending::Failed)
        m_endText = socketio::errorText(code, operation);
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
        emit errorOccurred(this, m_endCode, m_endText);
    else if (m_ending == Ending::Dropped)
        emit dropped(this);
}

} // namespace chatlink
