#include "serverreader.h"

#include "cp949.h"

#include <QTcpSocket>

namespace studentlink {

ServerReader::ServerReader(QTcpSocket &socket, QObject *parent)
    : QObject(parent), m_socket(socket), m_channel([&socket](char *into, qint64 size) -> qint64 {
          // Qt's socket has read ahead of us; an empty buffer of a connection that has ended is
          // the end of the stream.
          if (socket.bytesAvailable() > 0)
              return socket.read(into, size);
          return socket.state() == QAbstractSocket::ConnectedState ? 0 : -1;
      })
{
    connect(&socket, &QTcpSocket::readyRead, this, &ServerReader::readAll);
    connect(&m_channel, &wire::BlockChannel::settled, this, &ServerReader::readAll);
}

void ServerReader::readAll()
{
    // Qt raises readyRead once for all it has buffered: read it all now.
    do {
        m_channel.receive();
        while (const std::optional<wire::ReceivedText> text = m_channel.nextText()) {
            const QString payload = wire::fromCp949(text->payload);
            if (text->kind == wire::TextKind::ChatLine)
                emit chatLineArrived(payload);
            else
                emit messageArrived(payload);
        }
    } while (m_socket.bytesAvailable() > 0);
}

void ServerReader::finish()
{
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        return; // not the end yet
    while (!m_channel.isFinished())
        readAll();
}

void ServerReader::reset()
{
    m_channel.reset();
}

} // namespace studentlink
