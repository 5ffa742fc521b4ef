#pragma once

// Every text the windows show the operator or tell a screen reader, apart from the captions of
// the window layouts, in one place. The chat link reports values; they are worded here.

#include "chatlink/errors.h"

#include <QDateTime>
#include <QString>

namespace uisupport::wording {

using namespace Qt::StringLiterals;

// Boxes.
inline const QString clientConnected = u"클라이언트와 연결되었습니다"_s;
inline const QString networkSetupError = u"통신 설정을 확인해주세요"_s;
inline const QString messageArrived = u"Message"_s;
inline const QString chooseChatMode = u"채팅을 선택해주세요 ^_^"_s;
inline const QString noClientConnected = u"연결된 접속자가 없습니다 "_s;
QString clientDropped(const QString &address);
QString browserNotOpened(const QString &address);
QString portNotOpened(quint16 port, const QString &reason);
QString sendRefused(const chatlink::SendError &error);

// The console.
inline const QString versionPanel = u"Halcyra V.10"_s;
QString notListeningPanel(quint16 port);
inline const QString retryListening = u"다시 시도"_s;
inline const QString addContact = u"친구추가"_s;
inline const QString deleteContact = u"친구삭제"_s;
// What a screen reader calls the contact tree's menu.
inline const QString contactMenuName = u"친구 메뉴"_s;
// What a client-list row tells of its client.
QString clientDetails(const QDateTime &connected, const QString &latestName);

// The viewer's first line once it has dropped older lines.
QString linesDropped(qsizetype dropped, qsizetype kept);

// Spoken by screen readers: a message as it arrives, and a burst as its first text and how many
// came after it.
QString messageSpoken(const QString &message);
QString burstSpoken(const QString &first, qsizetype more);

} // namespace uisupport::wording
