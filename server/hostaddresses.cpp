#include "hostaddresses.h"

#include "block.h"

#include <QNetworkInterface>

using namespace Qt::StringLiterals;

namespace server {

QStringList addressesForStudents(quint16 port)
{
    QStringList addresses;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            const QString address = entry.ip().toString();
            addresses.append(port == wire::kServerPort ? address
                                                       : u"%1:%2"_s.arg(address).arg(port));
        }
    }
    return addresses;
}

} // namespace server
