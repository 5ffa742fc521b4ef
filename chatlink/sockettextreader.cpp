#include "sockettextreader.h"

#include <QTcpSocket>

namespace chatlink {

SocketTextReader::SocketTextReader(QTcpSocket &socket, QObject *parent)
    : QObject(parent), m_socket(socket)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kTextSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &SocketTextReader::onSettled);
    connect(&socket, &QTcpSocket::readyRead, this, &SocketTextReader::onReadyRead);
}

void SocketTextReader::onReadyRead()
{
    for (const QByteArray &text : m_reader.feedAll(m_socket.readAll()))
        emit textReceived(text);
    if (!m_reader.isHolding())
        m_settle.stop();
    else if (!m_settle.isActive())
        m_settle.start();
}

void SocketTextReader::onSettled()
{
    // Bytes the kernel already holds may complete the text: they are read first (and the settle
    // starts again when still needed) before the held bytes are taken as they are.
    if (m_socket.waitForReadyRead(0))
        return;
    if (const auto text = m_reader.settle())
        emit textReceived(text->toByteArray());
}

void SocketTextReader::finish()
{
    onReadyRead();
    m_settle.stop();
    if (const auto text = m_reader.settle())
        emit textReceived(text->toByteArray());
}

void SocketTextReader::reset()
{
    m_settle.stop();
    m_reader.reset();
}

} // namespace chatlink
