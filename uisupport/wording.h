#pragma once

// Every text the console's windows show the operator or tell a screen reader, apart from the
// captions of the window layouts, and what both programs' shared widgets say, in one place. The
// server and the wire report values; they are worded here.

#include "errors.h"

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
QString sendRefused(const wire::SendError &error);
// A socket error that ended a client's connection, with the socket layer's reason.
QString socketError(int code, const QString &reason);

// The console.
inline const QString versionPanel = u"Halcyra V.10"_s;
QString notListeningPanel(quint16 port);
// Where students connect to, while no client is.
QString addressesForStudents(const QStringList &addresses);
inline const QString retryListening = u"다시 시도"_s;
inline const QString addContact = u"친구추가"_s;
inline const QString deleteContact = u"친구삭제"_s;
// What a screen reader calls the contact tree's menu.
inline const QString contactMenuName = u"친구 메뉴"_s;
// What a client-list row tells of its client.
QString clientDetails(const QDateTime &connected, const QString &latestName);

// The chat log's menu.
inline const QString copy = u"복사"_s;
inline const QString selectAll = u"모두 선택"_s;

// The viewer's first line once it has dropped older lines.
QString linesDropped(qsizetype dropped, qsizetype kept);

// Spoken by screen readers: a message as it arrives, and a burst as its first text and how many
// came after it.
QString messageSpoken(const QString &message);
QString burstSpoken(const QString &first, qsizetype more);

} // namespace uisupport::wording
