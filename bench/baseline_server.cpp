// The floor the platform sets: a Qt program that listens on a port, keeps a QTcpSocket for each
// client and shows the splash bitmap in a borderless window, nothing else. The benchmark starts
// it beside halcyra-server for the start-up and memory figures.

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTcpServer server;
    if (!server.listen(QHostAddress::AnyIPv4, quint16(app.arguments().value(1).toUInt())))
        return 1;
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            socket->setParent(&server);
    });
    QLabel splash(nullptr, Qt::Window | Qt::FramelessWindowHint);
    splash.setPixmap(QPixmap(u":/halcyra/splash.bmp"_s));
    splash.setGeometry(704, 159 - 8, 633, 368);
    splash.show();
    return app.exec();
}
