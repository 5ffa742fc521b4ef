#include "teacherlink.h"

#include "block.h"
#include "errors.h"
#include "texts.h"

namespace studentlink {
namespace {

LinkProblem problemOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return LinkProblem::Refused;
    case QAbstractSocket::NetworkError:
        return LinkProblem::Unreachable;
    case QAbstractSocket::HostNotFoundError:
        return LinkProblem::NotFound;
    case QAbstractSocket::SocketTimeoutError:
        return LinkProblem::TimedOut;
    case QAbstractSocket::RemoteHostClosedError:
        return LinkProblem::Closed;
    default:
        return LinkProblem::Failed;
    }
}

} // namespace

TeacherLink::TeacherLink(QObject *parent) : QObject(parent)
{
    m_socket.setReadBufferSize(kReadBufferBytes);
    m_connectTimeout.setSingleShot(true);
    m_connectTimeout.setInterval(kConnectTimeoutMs);
    m_retry.setSingleShot(true);
    connect(&m_connectTimeout, &QTimer::timeout, this, &TeacherLink::onTimeout);
    connect(&m_retry, &QTimer::timeout, this, &TeacherLink::attempt);
    connect(&m_socket, &QTcpSocket::connected, this, &TeacherLink::onConnected);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TeacherLink::onDisconnected);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TeacherLink::onError);
    connect(&m_reader, &ServerReader::chatLineArrived, this, &TeacherLink::chatLineArrived);
    connect(&m_reader, &ServerReader::messageArrived, this, &TeacherLink::messageArrived);
}

TeacherLink::~TeacherLink()
{
    // The socket closes after the reader has gone: nothing of it is wanted any more.
    m_socket.disconnect(this);
}

void TeacherLink::connectTo(const QString &host, quint16 port)
{
    leave();
    m_host = host;
    m_port = port;
    attempt();
}

void TeacherLink::leave()
{
    m_retry.stop();
    m_connectTimeout.stop();
    m_wasConnected = false;
    m_nextRetryMs = kFirstRetryMs;
    setState(LinkState::Idle);
    // What was written still goes out before the connection closes.
    m_socket.disconnectFromHost();
}

void TeacherLink::attempt()
{
    m_socket.abort();
    m_reader.reset();
    setState(LinkState::Connecting);
    m_connectTimeout.start();
    m_socket.connectToHost(m_host, m_port);
}

void TeacherLink::onConnected()
{
    m_connectTimeout.stop();
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    m_wasConnected = true;
    m_nextRetryMs = kFirstRetryMs;
    m_connectedSince = QDateTime::currentDateTime();
    setState(LinkState::Connected);
}

void TeacherLink::onDisconnected()
{
    if (m_state != LinkState::Connected)
        return;        // left, or given up already
    m_reader.finish(); // no more of a held text can come
    lost(LinkProblem::Closed, {});
}

void TeacherLink::onError(QAbstractSocket::SocketError error)
{
    // A connected socket that fails is disconnected next, and told of there.
    if (m_state != LinkState::Connecting)
        return;
    lost(problemOf(error), m_socket.errorString());
}

void TeacherLink::onTimeout()
{
    m_socket.abort();
    lost(LinkProblem::TimedOut, {});
}

void TeacherLink::lost(LinkProblem problem, const QString &reason)
{
    m_connectTimeout.stop();
    if (!m_wasConnected) {
        setState(LinkState::Idle, problem, reason);
        return;
    }
    const int delay = m_nextRetryMs;
    m_nextRetryMs = qMin(2 * m_nextRetryMs, kLastRetryMs);
    m_retry.start(delay);
    setState(LinkState::Waiting, problem, reason, delay);
}

void TeacherLink::setState(LinkState state, LinkProblem problem, const QString &reason,
                           int retryInMs)
{
    m_state = state;
    emit stateChanged(state, problem, reason, retryInMs);
}

void TeacherLink::sendChatLine(const QString &name, const QString &line)
{
    send(wire::chatLineText(name, line));
}

void TeacherLink::sendMessage(const QString &name, const QString &body)
{
    send(wire::messageText(name, body));
}

void TeacherLink::send(const QByteArray &text)
{
    const wire::Block block = wire::buildBlock(text);
    if (m_state != LinkState::Connected)
        throw wire::SendError(wire::SendFailure::NotConnected);
    m_socket.write(block.data(), block.size());
}

} // namespace studentlink
