#pragma once

// Every text the student's windows show or tell a screen reader, in one place. The student's
// link reports values; they are worded here.

#include "errors.h"
#include "teacherlink.h"

#include <QDateTime>
#include <QString>

namespace student::wording {

using namespace Qt::StringLiterals;

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
inline const QString sendDescription = u"보내기. 메시지를 선생님께 보냅니다"_s;
inline const QString clearMessage = u"다시 쓰기"_s;
inline const QString clearDescription = u"다시 쓰기. 메시지를 비웁니다"_s;
inline const QString messageBodyDescription = u"선생님께 보낼 여러 줄 메시지"_s;

// Where the student's connection stands, for the status bar.
QString linkStatus(studentlink::LinkState state, studentlink::LinkProblem problem,
                   const QString &host, quint16 port, const QDateTime &since, const QString &reason,
                   int retryInMs);
// A refused line or message; one that is too long says by how much.
QString sendRefused(const wire::SendError &error);

} // namespace student::wording
