#include "wording.h"

#include "block.h"

namespace uisupport::wording {

QString clientDropped(const QString &address)
{
    return u"%1 클라이언트가 데이터를 받지 않아 연결을 끊었습니다"_s.arg(address);
}

QString browserNotOpened(const QString &address)
{
    return u"웹 브라우저를 열 수 없습니다: %1"_s.arg(address);
}

QString portNotOpened(quint16 port, const QString &reason)
{
    return u"포트 %1을(를) 열 수 없어 클라이언트의 접속을 받을 수 없습니다.\n%2"_s.arg(port).arg(
        reason);
}

QString sendRefused(const wire::SendError &error)
{
    switch (error.failure()) {
    case wire::SendFailure::NoSuchClient:
        return u"List index out of bounds (%1)"_s.arg(error.index());
    case wire::SendFailure::NotConnected:
        return u"접속되어 있지 않습니다"_s;
    case wire::SendFailure::ControlCharacter:
        return u"보낼 수 없는 제어 문자가 있습니다"_s;
    case wire::SendFailure::Unencodable:
        return u"보낼 수 없는 문자가 있습니다 (코드 페이지 949에 없는 문자): %1"_s.arg(
            error.characters());
    case wire::SendFailure::TooLong:
        return u"메시지가 너무 깁니다 (최대 %1바이트)"_s.arg(wire::kBlockSize);
    }
    return QString();
}

QString socketError(int code, const QString &reason)
{
    return u"통신 오류 %1: %2"_s.arg(code).arg(reason);
}

QString addressesForStudents(const QStringList &addresses)
{
    if (addresses.isEmpty())
        return u"이 PC는 네트워크에 연결되어 있지 않습니다"_s;
    return u"학생 PC에서 이 주소로 접속합니다: "_s + addresses.join(u", "_s);
}

QString notListeningPanel(quint16 port)
{
    return u"포트 %1 닫힘"_s.arg(port);
}

QString clientDetails(const QDateTime &connected, const QString &latestName)
{
    const QString time = u"연결 "_s + connected.toString(u"HH:mm:ss"_s);
    return latestName.isEmpty() ? time : time + u" · 최근 이름 "_s + latestName;
}

QString linesDropped(qsizetype dropped, qsizetype kept)
{
    return u"(앞의 %1줄은 %2줄 보관 한도를 넘어 지웠습니다)"_s.arg(dropped).arg(kept);
}

QString messageSpoken(const QString &message)
{
    return u"메시지 "_s + message;
}

QString burstSpoken(const QString &first, qsizetype more)
{
    return u"%1 외 %2줄"_s.arg(first).arg(more);
}

} // namespace uisupport::wording
