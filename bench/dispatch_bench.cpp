// Core dispatch throughput: K clients each send N chat-line blocks as fast as they can; the chat
// link reads one block per read notification and hands each line over. Beside it, in the same
// run, a bare epoll reader does the same one-recv-per-block work. Prints a table and the ratio.
// Both read every byte the clients send; "lines" counts the chat lines that arrived intact (TCP
// may split a block under flow control, and neither reader joins pieces).
//
//   dispatch_bench [--clients K] [--blocks N] [--rounds R]

#include "chatlink/block.h"
#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/views.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Result
{
    qint64 lines = 0;
    double seconds = 0;
    double cpuSeconds = 0;
};

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The load generator: a separate process, so the server's CPU time is its own.
int runLoad(quint16 port, int clients, int blocks)
{
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([=] {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
                return;
            // One write per block, as a client sends each line it is given.
            const chatlink::Block block =
                chatlink::buildBlock(chatlink::composeText('M', QByteArray::number(c), "line"));
            for (int sent = 0; sent < blocks; ++sent) {
                if (::send(fd, block.data(), block.size(), MSG_NOSIGNAL) != chatlink::kBlockSize)
                    return;
            }
            ::shutdown(fd, SHUT_WR);
            char drain[256];
            while (::recv(fd, drain, sizeof drain, 0) > 0) {
            }
            ::close(fd);
        });
    }
    for (auto &t : threads)
        t.join();
    return 0;
}

QProcess *startLoad(quint16 port, int clients, int blocks)
{
    auto *load = new QProcess;
    load->setProcessChannelMode(QProcess::ForwardedChannels);
    load->start(
        QCoreApplication::applicationFilePath(),
        {u"--load"_s, QString::number(port), QString::number(clients), QString::number(blocks)});
    load->waitForStarted();
    return load;
}

class CountingViews : public chatlink::ClientListView,
                      public chatlink::IncomingView,
                      public chatlink::OperatorPrompt
{
public:
    void appendRow(const QString &) override {}
    void removeRow(int) override {}
    int selectedRow() const override { return -1; }
    void appendChatLine(const QString &line) override
    {
        if (line.endsWith(u":line"_s))
            ++lines;
    }
    void presentMessage(const QString &) override {}
    void showMessage(const QString &) override {}
    void showError(const QString &) override {}

    qint64 lines = 0;
};

Result runChatLink(int clients, int blocks)
{
    chatlink::ChatServer server(0);
    CountingViews views;
    chatlink::ChatLink link(server, views, views, views);
    QObject::connect(&server, &chatlink::ChatServer::clientConnected, &link,
                     &chatlink::ChatLink::clientConnected);
    QObject::connect(&server, &chatlink::ChatServer::clientRead, &link,
                     &chatlink::ChatLink::clientRead);
    server.start();

    int accepted = 0;
    int closed = 0;
    QElapsedTimer clock;
    double cpuStart = 0;
    QObject::connect(&server, &chatlink::ChatServer::clientConnected, [&] {
        if (accepted++ == 0) {
            clock.start();
            cpuStart = cpuSeconds();
        }
    });
    QEventLoop loop;
    QObject::connect(&server, &chatlink::ChatServer::clientDisconnected, [&] {
        if (++closed == clients)
            loop.quit();
    });
    QProcess *load = startLoad(server.serverPort(), clients, blocks);
    loop.exec();
    Result r{views.lines, double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpuStart};
    load->waitForFinished();
    delete load;
    return r;
}

Result runEpoll(int clients, int blocks)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener, 128);
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);

    const int ep = ::epoll_create1(0);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = listener;
    ::epoll_ctl(ep, EPOLL_CTL_ADD, listener, &ev);

    QProcess *load = startLoad(ntohs(address.sin_port), clients, blocks);
    Result r;
    int accepted = 0;
    int closed = 0;
    QElapsedTimer clock;
    double cpuStart = 0;
    epoll_event events[64];
    while (closed < clients) {
        const int n = ::epoll_wait(ep, events, 64, -1);
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == listener) {
                const int c = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK);
                if (c < 0)
                    continue;
                if (accepted++ == 0) {
                    clock.start();
                    cpuStart = cpuSeconds();
                }
                epoll_event cev{};
                cev.events = EPOLLIN;
                cev.data.fd = c;
                ::epoll_ctl(ep, EPOLL_CTL_ADD, c, &cev);
                continue;
            }
            chatlink::Block buffer{};
            const ssize_t got = ::recv(fd, buffer.data(), chatlink::kBlockSize, 0);
            if (got == 0) {
                ::close(fd);
                ++closed;
                continue;
            }
            const chatlink::ReceivedText text = chatlink::recognise(chatlink::readBlock(buffer));
            if (text.kind == chatlink::TextKind::ChatLine && text.payload.endsWith(":line"))
                ++r.lines;
        }
    }
    r.seconds = double(clock.nsecsElapsed()) / 1e9;
    r.cpuSeconds = cpuSeconds() - cpuStart;
    ::close(ep);
    ::close(listener);
    load->waitForFinished();
    delete load;
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 5 && std::string_view(argv[1]) == "--load")
        return runLoad(quint16(std::atoi(argv[2])), std::atoi(argv[3]), std::atoi(argv[4]));

    chatlink::raiseOpenFileLimit();
    // The server program runs on the poll-based event dispatcher; measure the same.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption clientsOption(u"clients"_s, u"Clients (K)."_s, u"K"_s, u"50"_s);
    const QCommandLineOption blocksOption(u"blocks"_s, u"Blocks per client (N)."_s, u"N"_s,
                                          u"2000"_s);
    const QCommandLineOption roundsOption(u"rounds"_s, u"Rounds of each."_s, u"R"_s, u"3"_s);
    parser.addOptions({clientsOption, blocksOption, roundsOption});
    parser.process(app);
    const int clients = parser.value(clientsOption).toInt();
    const int blocks = parser.value(blocksOption).toInt();
    const int rounds = parser.value(roundsOption).toInt();

    // Alternate the two readers so that both see the same machine; keep each one's best round.
    Result bestLink, bestEpoll;
    for (int round = 0; round < rounds; ++round) {
        const Result e = runEpoll(clients, blocks);
        const Result l = runChatLink(clients, blocks);
        if (bestEpoll.seconds == 0 || e.seconds < bestEpoll.seconds)
            bestEpoll = e;
        if (bestLink.seconds == 0 || l.seconds < bestLink.seconds)
            bestLink = l;
    }

    const qint64 expected = qint64(clients) * blocks;
    auto row = [&](const char *name, const Result &r) {
        std::printf("%-22s %12.0f %12.2f %10lld %8lld\n", name, double(expected) / r.seconds,
                    r.cpuSeconds * 1e6 / double(expected), static_cast<long long>(r.lines),
                    static_cast<long long>(expected - r.lines));
    };
    std::printf("%d clients x %d blocks, best of %d rounds\n\n", clients, blocks, rounds);
    std::printf("%-22s %12s %12s %10s %8s\n", "reader", "blocks/s", "CPU us/block", "lines",
                "lost");
    row("bare epoll (baseline)", bestEpoll);
    row("chat link", bestLink);
    const double ratio = bestEpoll.seconds / bestLink.seconds;
    std::printf("\nthroughput ratio chat link / bare epoll: %.2f (goal >= 0.70) %s\n", ratio,
                ratio >= 0.7 ? "met" : "NOT MET");
    return 0;
}
