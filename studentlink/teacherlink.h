#pragma once

#include "serverreader.h"

#include <QAbstractSocket>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

namespace studentlink {

// A connection that does not answer within this long is given up.
inline constexpr int kConnectTimeoutMs = 5000;
// After the teacher's server went away, the first try again waits this long, each next one twice
// as long, up to the last.
inline constexpr int kFirstRetryMs = 1000;
inline constexpr int kLastRetryMs = 16000;
// Bytes Qt's socket reads ahead of the texts taken; the rest waits in the kernel, so a flood is
// slowed by TCP flow control rather than growing memory.
inline constexpr qint64 kReadBufferBytes = 64 * 1024;

// Where the student's side stands.
enum class LinkState {
    Idle,       // not connected, and not trying
    Connecting, // trying now
    Connected,
    Waiting, // the teacher's server went away: trying again after a pause
};

// Why it is not connected.
enum class LinkProblem {
    None,
    Refused,     // nothing listens there
    Unreachable, // the network or the host cannot be reached
    NotFound,    // no such host name
    TimedOut,    // no answer within kConnectTimeoutMs
    Closed,      // the teacher's server closed the connection
    Failed,      // any other socket error
};

// The student's connection to the teacher's server: the same blocks the server speaks, read
// through the same channel. It speaks no text of its own: what it reports are values, with the
// socket's own wording of an error.
class TeacherLink : public QObject
{
    Q_OBJECT

public:
    explicit TeacherLink(QObject *parent = nullptr);
    ~TeacherLink() override;

    // Connects, leaving any connection there was. A failure is reported at once and not retried;
    // once connected, a lost connection is tried again until leave().
    void connectTo(const QString &host, quint16 port);
    void leave();

    LinkState state() const { return m_state; }
    QString host() const { return m_host; }
    quint16 port() const { return m_port; }
    QDateTime connectedSince() const { return m_connectedSince; }

    // Each throws wire::SendError before anything is sent: NotConnected, ControlCharacter, or
    // TooLong when the text in code page 949 does not fit a block.
    void sendChatLine(const QString &name, const QString &line);
    void sendMessage(const QString &name, const QString &body);

signals:
    // retryInMs: while Waiting, how long until the next try.
    void stateChanged(studentlink::LinkState state, studentlink::LinkProblem problem,
                      const QString &reason, int retryInMs);
    void chatLineArrived(const QString &line);
    void messageArrived(const QString &message);

private:
    void attempt();
    void send(const QByteArray &text);
    void onConnected();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void onTimeout();
    // Retries when the connection had been made before, gives up otherwise.
    void lost(LinkProblem problem, const QString &reason);
    void setState(LinkState state, LinkProblem problem = LinkProblem::None,
                  const QString &reason = {}, int retryInMs = 0);

    QTcpSocket m_socket;
    ServerReader m_reader{m_socket};
    QTimer m_connectTimeout;
    QTimer m_retry;
    QString m_host;
    quint16 m_port = 0;
    LinkState m_state = LinkState::Idle;
    bool m_wasConnected = false; // since connectTo(): a lost connection is tried again
    int m_nextRetryMs = kFirstRetryMs;
    QDateTime m_connectedSince;
};

} // namespace studentlink
