#pragma once

#include "blockchannel.h"

#include <QObject>
#include <QString>

class QTcpSocket;

namespace studentlink {

// Reads the chat lines and messages a server sends on a connected socket, through a block
// channel: by the same rules and with the same settle as the server reads its clients.
class ServerReader : public QObject
{
    Q_OBJECT

public:
    explicit ServerReader(QTcpSocket &socket, QObject *parent = nullptr);

    // The stream has ended: what is left unread is read, and held bytes are a text as they are.
    void finish();
    // Forgets held bytes, for a new connection.
    void reset();

signals:
    // The text without its tag: the sender's name, ":" and the line or the message.
    void chatLineArrived(const QString &line);
    void messageArrived(const QString &message);

private:
    // Reads what the socket holds and hands over the texts it completes.
    void readAll();

    QTcpSocket &m_socket;
    wire::BlockChannel m_channel;
};

} // namespace studentlink
