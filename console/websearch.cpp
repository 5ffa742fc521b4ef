#include "websearch.h"

namespace console {

QUrl searchAddress(const QString &query)
{
    const QByteArray address = "http://search.naver.com/search.naver?where=nexearch&query=" +
                               QUrl::toPercentEncoding(query) + "&frm=t1";
    return QUrl::fromEncoded(address, QUrl::StrictMode);
}

} // namespace console
