#pragma once

#include "blockreader.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace chatlink {

// Reads the texts that arrive on a connected socket (a server's, as seen by a client) by
// BlockReader's rules, the same the server reads its clients by, and times the settle of held
// bytes: a text sent without zero fill comes out once nothing more arrives for kTextSettleMs.
class SocketTextReader : public QObject
{
    Q_OBJECT

public:
    explicit SocketTextReader(QTcpSocket &socket, QObject *parent = nullptr);

    // The stream has ended: what is left unread is read, and held bytes are a text as they are.
    void finish();
    // Forgets held bytes, for a new connection.
    void reset();

signals:
    void textReceived(const QByteArray &text);

private:
    void onReadyRead();
    void onSettled();

    QTcpSocket &m_socket;
    BlockReader m_reader;
    QTimer m_settle;
};

} // namespace chatlink
