#pragma once

// Every text the windows show the operator or tell a screen reader, apart from the captions of
// the window layouts, in one place. The chat link reports values; they are worded here.

#include "chatlink/errors.h"
#include "chatlink/teacherlink.h"

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

// The chat log's menu.
inline const QString copy = u"복사"_s;
inline const QString selectAll = u"모두 선택"_s;

// The viewer's first line once it has dropped older lines.
QString linesDropped(qsizetype dropped, qsizetype kept);

// Spoken by screen readers: a message as it arrives, and a burst as its first text and how many
// came after it.
QString messageSpoken(const QString &message);
QString burstSpoken(const QString &first, qsizetype more);

// The student program.
inline const QString studentTitle = u"Halcyra 학생"_s;
inline const QString teacherAddress = u"선생님 PC"_s;
inline const QString teacherPort = u"포트"_s;
inline const QString nickname = u"닉네임"_s;
inline const QString connectToTeacher = u"접속"_s;
inline const QString leaveTeacher = u"접속 끊기"_s;
inline const QString send = u"보내기"_s;
inline const QString writeMessage = u"메시지"_s;
inline const QString chatLogName = u"채팅 기록"_s;
inline const QString chatEntryName = u"채팅 입력"_s;
inline const QString inboxTitle = u"받은 메시지"_s;
inline const QString markRead = u"읽음"_s;
inline const QString composerTitle = u"메시지 쓰기"_s;
inline const QString messageBodyName = u"보낼 메시지"_s;
// Where the student's connection stands, for the status bar.
QString linkStatus(chatlink::LinkState state, chatlink::LinkProblem problem, const QString &host,
                   quint16 port, const QDateTime &since, const QString &reason, int retryInMs);
// A refused line or message, saying how much too long it is.
QString sendRefusedToStudent(const chatlink::SendError &error);

} // namespace uisupport::wording
