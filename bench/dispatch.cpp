#include "dispatch.h"

#include "block.h"
#include "chatrouter.h"
#include "chatserver.h"
#include "clientconnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace bench {

bool isFloodPayload(QStringView payload)
{
    const qsizetype colon = payload.indexOf(u':');
    if (colon <= 0 || colon == payload.size() - 1)
        return false;
    for (qsizetype i = 0; i < payload.size(); ++i) {
        if (i != colon && !payload[i].isDigit())
            return false;
    }
    return true;
}

namespace {

QStringList floodArguments(quint16 port, int clients, int blocks)
{
    return {u"flood"_s, QString::number(port), QString::number(clients), QString::number(blocks),
            u"0"_s};
}

} // namespace

Load::Load(const QStringList &arguments) : m_process(new QProcess)
{
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QCoreApplication::applicationFilePath(), QStringList{u"--load"_s} + arguments);
}

Load::~Load()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished();
    }
    delete m_process;
}

QByteArray Load::readLine()
{
    while (!m_process->canReadLine()) {
        if (!m_process->waitForReadyRead(30000))
            return {};
    }
    return m_process->readLine().trimmed();
}

bool Load::ready()
{
    return readLine() == "ready";
}

void Load::go()
{
    m_process->write("go\n");
    m_process->waitForBytesWritten();
}

bool Load::finish(int timeoutMs)
{
    return m_process->waitForFinished(timeoutMs) &&
           m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

DispatchResult serverDispatch(int clients, int blocks)
{
    server::ChatServer server(0);
    server.start();
    server::ChatRouter router(server);
    std::int64_t lines = 0;
    QObject::connect(&router, &server::ChatRouter::chatLineArrived,
                     [&lines](const QString &line) { lines += isFloodPayload(line); });

    Load load(floodArguments(server.serverPort(), clients, blocks));
    load.ready();
    QEventLoop loop;
    int closed = 0;
    QObject::connect(&server, &server::ChatServer::accepted, [&](server::ClientConnection *client) {
        QObject::connect(client, &server::ClientConnection::closed, [&] {
            if (++closed == clients)
                loop.quit();
        });
    });
    while (router.clients().everyone().size() < clients)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = processCpuSeconds();
    load.go();
    loop.exec();
    return {lines, double(clock.nsecsElapsed()) / 1e9, processCpuSeconds() - cpuStart};
}

namespace {

// The bytes before the first zero of a block, as the bare reader takes them.
QByteArrayView textOf(const wire::Block &block)
{
    return QByteArrayView(block.data(), std::find(block.begin(), block.end(), '\0'));
}

} // namespace

DispatchResult epollDispatch(int clients, int blocks)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener, 128);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);

    Load load(floodArguments(ntohs(address.sin_port), clients, blocks));
    load.ready();
    const int ep = ::epoll_create1(0);
    for (int accepted = 0; accepted < clients;) {
        const int c = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
        if (c < 0) {
            ::usleep(100);
            continue;
        }
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = c;
        ::epoll_ctl(ep, EPOLL_CTL_ADD, c, &ev);
        ++accepted;
    }
    DispatchResult r;
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = processCpuSeconds();
    load.go();
    int closed = 0;
    epoll_event events[64];
    while (closed < clients) {
        const int n = ::epoll_wait(ep, events, 64, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            wire::Block buffer{};
            const ssize_t got = ::recv(fd, buffer.data(), wire::kBlockSize, 0);
            if (got <= 0) {
                ::close(fd);
                ++closed;
                continue;
            }
            const wire::ReceivedText text = wire::recognise(textOf(buffer));
            if (text.kind == wire::TextKind::ChatLine &&
                isFloodPayload(QString::fromLatin1(text.payload.toByteArray())))
                ++r.lines;
        }
    }
    r.seconds = double(clock.nsecsElapsed()) / 1e9;
    r.cpuSeconds = processCpuSeconds() - cpuStart;
    ::close(ep);
    ::close(listener);
    return r;
}

} // namespace bench
