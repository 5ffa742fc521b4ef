#include "loadgen.h"

#include "chatlink/block.h"

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

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendBlock(int fd, const QByteArray &text)
{
    const chatlink::Block block = chatlink::buildBlock(text);
    return ::send(fd, block.data(), block.size(), MSG_NOSIGNAL) == chatlink::kBlockSize;
}

// Waits for the server to have read everything and to close, so no data is cut off.
void finish(int fd)
{
    ::shutdown(fd, SHUT_WR);
    char drain[512];
    while (::recv(fd, drain, sizeof drain, 0) > 0) {
    }
    ::close(fd);
}

void readyThenWait()
{
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
}

// One thread drives every client, so the generator costs the server as little CPU as it can.
// Flat out, each write carries a few blocks; paced, one block at a time.
int flood(quint16 port, int clients, int blocks, int rate)
{
    constexpr int kBlocksPerWrite = 10;
    std::vector<int> fds;
    for (int c = 0; c < clients; ++c) {
        const int fd = connectTo(port);
        if (fd < 0)
            return 1;
        fds.push_back(fd);
    }
    readyThenWait();
    std::vector<int> sent(std::size_t(clients), 0);
    std::vector<QByteArray> pending{std::size_t(clients)};
    const auto start = std::chrono::steady_clock::now();
    std::int64_t slot = 0;
    for (int done = 0; done < clients;) {
        done = 0;
        for (int c = 0; c < clients; ++c) {
            QByteArray &out = pending[size_t(c)];
            const int batch = rate > 0 ? 1 : kBlocksPerWrite;
            while (out.isEmpty() && sent[size_t(c)] < blocks && out.size() < batch * 100) {
                const chatlink::Block block = chatlink::buildBlock(
                    "M" + QByteArray::number(c) + ':' + QByteArray::number(sent[size_t(c)]++));
                out.append(block.data(), block.size());
                if (out.size() >= batch * chatlink::kBlockSize)
                    break;
            }
            if (out.isEmpty()) {
                ++done;
                continue;
            }
            if (rate > 0) {
                std::this_thread::sleep_until(
                    start + std::chrono::nanoseconds(slot++ * 1'000'000'000 / rate));
            }
            const ssize_t n = ::send(fds[size_t(c)], out.constData(), size_t(out.size()),
                                     MSG_NOSIGNAL | (rate > 0 ? 0 : MSG_DONTWAIT));
            if (n > 0)
                out.remove(0, n);
            else if (n < 0 && errno != EAGAIN)
                return 1;
        }
        if (rate == 0 && done < clients) {
            std::vector<pollfd> waiting;
            for (int c = 0; c < clients; ++c) {
                if (!pending[size_t(c)].isEmpty())
                    waiting.push_back({fds[size_t(c)], POLLOUT, 0});
            }
            if (waiting.size() == size_t(clients - done))
                ::poll(waiting.data(), waiting.size(), 100);
        }
    }
    for (int fd : fds)
        finish(fd);
    return 0;
}

int probe(quint16 port, int count, int intervalUs)
{
    const int fd = connectTo(port);
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
    finish(fd);
    return 0;
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
    std::fprintf(stderr, "unknown load\n");
    return 2;
}

} // namespace bench
