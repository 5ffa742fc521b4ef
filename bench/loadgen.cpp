#include "loadgen.h"

#include "block.h"
#include "rawclient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

bool sendBlock(int fd, const QByteArray &text)
{
    const wire::Block block = wire::buildBlock(text);
    return ::send(fd, block.data(), block.size(), MSG_NOSIGNAL) == wire::kBlockSize;
}

// Waits for the server to have read everything and to close, so no data is cut off. False when
// the server reset the connection instead, as closing with data unread does.
bool finish(int fd)
{
    ::shutdown(fd, SHUT_WR);
    char drain[512];
    ssize_t n = 0;
    while ((n = ::recv(fd, drain, sizeof drain, 0)) > 0) {
    }
    ::close(fd);
    return n == 0;
}

void readyThenWait()
{
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

// One thread drives every client, so the generator costs the server as little CPU as it can:
// blocks are made ahead, a thousand at a time, and each write carries a few of them. Paced, it
// writes one block at a time.
int flood(quint16 port, int clients, int blocks, int rate)
{
    constexpr int kBlocksPerWrite = 10;
    constexpr int kBlocksAhead = 1000;
    struct Client
    {
        int fd = -1;
        int made = 0;      // blocks made so far
        QByteArray stream; // made and not yet written
        qsizetype written = 0;
    };
    std::vector<Client> all(static_cast<std::size_t>(clients));
    const auto refill = [&](Client &client, int index) {
        client.stream.clear();
        client.written = 0;
        for (int i = 0; i < kBlocksAhead && client.made < blocks; ++i, ++client.made) {
            const wire::Block block = wire::buildBlock("M" + QByteArray::number(index) + ':' +
                                                       QByteArray::number(client.made));
            client.stream.append(block.data(), block.size());
        }
    };
    for (int c = 0; c < clients; ++c) {
        all[std::size_t(c)].fd = connectLoopback(port);
        if (all[std::size_t(c)].fd < 0)
            return 1;
        refill(all[std::size_t(c)], c);
    }
    readyThenWait();
    const qsizetype chunk = (rate > 0 ? 1 : kBlocksPerWrite) * wire::kBlockSize;
    const auto start = std::chrono::steady_clock::now();
    std::int64_t slot = 0;
    for (int done = 0; done < clients;) {
        done = 0;
        int blocked = 0;
        for (int c = 0; c < clients; ++c) {
            Client &client = all[std::size_t(c)];
            if (client.written == client.stream.size())
                refill(client, c);
            if (client.stream.isEmpty()) {
                ++done;
                continue;
            }
            if (rate > 0) {
                std::this_thread::sleep_until(
                    start + std::chrono::nanoseconds(slot++ * 1'000'000'000 / rate));
            }
            const qsizetype size = qMin(chunk, client.stream.size() - client.written);
            const ssize_t n = ::send(client.fd, client.stream.constData() + client.written,
                                     size_t(size), MSG_NOSIGNAL | (rate > 0 ? 0 : MSG_DONTWAIT));
            if (n > 0)
                client.written += n;
            else if (n < 0 && errno != EAGAIN)
                return 1;
            else
                ++blocked;
        }
        if (blocked > 0 && blocked == clients - done) {
            std::vector<pollfd> waiting;
            for (const Client &client : all) {
                if (client.written < client.stream.size())
                    waiting.push_back({client.fd, POLLOUT, 0});
            }
            ::poll(waiting.data(), waiting.size(), 100);
        }
    }
    bool allRead = true;
    for (const Client &client : all)
        allRead = finish(client.fd) && allRead;
    return allRead ? 0 : 1;
}

int probe(quint16 port, int count, int intervalUs)
{
    const int fd = connectLoopback(port);
    if (fd < 0)
        return 1;
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    readyThenWait();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        std::this_thread::sleep_until(start + std::chrono::microseconds(i * intervalUs));
        if (!sendBlock(fd, "Mlat:" + QByteArray::number(qint64(monotonicNs()))))
            return 1;
    }
    return finish(fd) ? 0 : 1;
}

// One server, one client: the student's program connects, and once told to go, every block goes
// out in as few writes as the kernel takes, TCP flow control alone holding it back.
int serve(int blocks)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return 1;
    std::cout << ntohs(address.sin_port) << std::endl;
    const int fd = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    if (fd < 0)
        return 1;
    QByteArray stream;
    stream.reserve(qsizetype(blocks) * wire::kBlockSize);
    for (int i = 0; i < blocks; ++i) {
        const wire::Block block = wire::buildBlock("Msrv:" + QByteArray::number(i));
        stream.append(block.data(), block.size());
    }
    readyThenWait();
    for (qsizetype sent = 0; sent < stream.size();) {
        const ssize_t n =
            ::send(fd, stream.constData() + sent, size_t(stream.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return 1;
        sent += n;
    }
    // The connection stays open until the student leaves, so the flood ends in no close of ours.
    char drain[512];
    ssize_t n = 0;
    while ((n = ::recv(fd, drain, sizeof drain, 0)) > 0) {
    }
    ::close(fd);
    return n == 0 ? 0 : 1;
}

} // namespace

std::int64_t monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int runLoad(const QStringList &a)
{
    if (a.size() == 5 && a[0] == QLatin1StringView("flood"))
        return flood(quint16(a[1].toUInt()), a[2].toInt(), a[3].toInt(), a[4].toInt());
    if (a.size() == 4 && a[0] == QLatin1StringView("probe"))
        return probe(quint16(a[1].toUInt()), a[2].toInt(), a[3].toInt());
    if (a.size() == 2 && a[0] == QLatin1StringView("serve"))
        return serve(a[1].toInt());
    std::fprintf(stderr, "unknown load\n");
    return 2;
}

} // namespace bench
