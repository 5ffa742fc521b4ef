#pragma once

#include <QStringList>

namespace server {

// What students type to reach this PC: the IPv4 address of each network interface that is up,
// loopback left out, with the port after it when it is not the wire's own.
QStringList addressesForStudents(quint16 port);

} // namespace server
