#pragma once

// Every text the console shows the operator in a box, in one place; what a client-list row tells
// of its client, and what a screen reader is told of a message.

#include <QDateTime>
#include <QString>

namespace console::wording {

using namespace Qt::StringLiterals;

inline const QString clientConnected = u"클라이언트와 연결되었습니다"_s;
inline const QString networkSetupError = u"통신 설정을 확인해주세요"_s;
inline const QString messageArrived = u"Message"_s;
inline const QString chooseChatMode = u"채팅을 선택해주세요 ^_^"_s;
inline const QString noClientConnected = u"연결된 접속자가 없습니다 "_s;
// What a screen reader calls the contact tree's menu.
inline const QString contactMenuName = u"친구 메뉴"_s;

inline QString clientDropped(const QString &address)
{
    return u"%1 클라이언트가 데이터를 받지 않아 연결을 끊었습니다"_s.arg(address);
}
// What a screen reader says when a message arrives.
inline QString messageSpoken(const QString &message)
{
    return u"메시지 "_s + message;
}
inline QString browserNotOpened(const QString &address)
{
    return u"웹 브라우저를 열 수 없습니다: %1"_s.arg(address);
}
inline QString clientDetails(const QDateTime &connected, const QString &latestName)
{
    const QString time = u"연결 "_s + connected.toString(u"HH:mm:ss"_s);
    return latestName.isEmpty() ? time : time + u" · 최근 이름 "_s + latestName;
}
inline QString portNotOpened(quint16 port, const QString &reason)
{
    return u"포트 %1을(를) 열 수 없어 클라이언트의 접속을 받을 수 없습니다.\n%2"_s.arg(port).arg(
        reason);
}

} // namespace console::wording
