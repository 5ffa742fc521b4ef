#include "studentwording.h"

#include "block.h"
#include "wording.h"

namespace student::wording {

QString sendRefused(const wire::SendError &error)
{
    if (error.failure() == wire::SendFailure::NotConnected)
        return u"선생님 PC에 접속되어 있지 않습니다"_s;
    // The student is told how much to cut.
    if (error.failure() == wire::SendFailure::TooLong)
        return u"%1바이트 너무 깁니다 (최대 %2바이트, 한글은 한 글자에 2바이트)"_s
            .arg(error.textSize() - wire::kBlockSize)
            .arg(wire::kBlockSize);
    return uisupport::wording::sendRefused(error);
}

QString linkStatus(studentlink::LinkState state, studentlink::LinkProblem problem,
                   const QString &host, quint16 port, const QDateTime &since, const QString &reason,
                   int retryInMs)
{
    using studentlink::LinkProblem;
    using studentlink::LinkState;
    const QString address = u"%1:%2"_s.arg(host).arg(port);
    if (state == LinkState::Connecting)
        return u"%1에 접속하는 중…"_s.arg(address);
    if (state == LinkState::Connected)
        return u"%1에 접속함 (%2부터)"_s.arg(address, since.toString(u"HH:mm:ss"_s));
    QString text;
    switch (problem) {
    case LinkProblem::None:
        return u"접속하지 않음"_s;
    case LinkProblem::Refused:
        text = u"접속 거부: %1에서 선생님 서버가 실행되고 있지 않습니다"_s.arg(address);
        break;
    case LinkProblem::Unreachable:
        text = u"연결할 수 없음: %1에 닿을 수 없습니다"_s.arg(host);
        break;
    case LinkProblem::NotFound:
        text = u"주소를 찾을 수 없음: %1"_s.arg(host);
        break;
    case LinkProblem::TimedOut:
        text = u"시간 초과: %1이(가) %2초 안에 응답하지 않았습니다"_s.arg(address).arg(
            studentlink::kConnectTimeoutMs / 1000);
        break;
    case LinkProblem::Closed:
        text = u"선생님 서버가 연결을 끊었습니다"_s;
        break;
    case LinkProblem::Failed:
        text = u"연결 오류"_s;
        break;
    }
    if (!reason.isEmpty())
        text += u" (%1)"_s.arg(reason);
    if (state == LinkState::Waiting)
        text += u" · %1초 뒤 다시 접속합니다"_s.arg((retryInMs + 999) / 1000);
    return text;
}

} // namespace student::wording
