#include "wording.h"

#include "chatlink/block.h"

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

QString sendRefused(const chatlink::SendError &error)
{
    switch (error.failure()) {
    case chatlink::SendFailure::NoSuchClient:
        return u"List index out of bounds (%1)"_s.arg(error.index());
    case chatlink::SendFailure::NotConnected:
        return u"선생님 PC에 접속되어 있지 않습니다"_s;
    case chatlink::SendFailure::ControlCharacter:
        return u"보낼 수 없는 제어 문자가 있습니다"_s;
    case chatlink::SendFailure::TooLong:
        return u"메시지가 너무 깁니다 (최대 %1바이트)"_s.arg(chatlink::kBlockSize);
    }
    return QString();
}

QString sendRefusedToStudent(const chatlink::SendError &error)
{
    // The student is told how much to cut.
    if (error.failure() == chatlink::SendFailure::TooLong)
        return u"%1바이트 너무 깁니다 (최대 %2바이트, 한글은 한 글자에 2바이트)"_s
            .arg(error.textSize() - chatlink::kBlockSize)
            .arg(chatlink::kBlockSize);
    return sendRefused(error);
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

QString linkStatus(chatlink::LinkState state, chatlink::LinkProblem problem, const QString &host,
                   quint16 port, const QDateTime &since, const QString &reason, int retryInMs)
{
    using chatlink::LinkProblem;
    using chatlink::LinkState;
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
            chatlink::kConnectTimeoutMs / 1000);
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

} // namespace uisupport::wording
