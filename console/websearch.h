#pragma once

#include <QString>
#include <QUrl>

namespace console {

// The web search's address: the service's base, the query percent-encoded as UTF-8 (so "&", "#",
// "%" and "+" in a question reach the service as typed), then "&frm=t1".
QUrl searchAddress(const QString &query);

} // namespace console
