#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class QProcess;

namespace bench {

// A child process running one of the load generators of loadgen.h.
class Load
{
public:
    explicit Load(const QStringList &arguments);
    ~Load();
    // The next line it prints (empty when none comes within 30 s).
    QByteArray readLine();
    // Waits until its clients are connected.
    bool ready();
    void go();
    // Waits for it to end; true when it did and every client sent all it had to.
    bool finish(int timeoutMs = 60000);

private:
    QProcess *m_process;
};

struct DispatchResult
{
    std::int64_t lines = 0; // chat lines that arrived intact
    double seconds = 0;
    double cpuSeconds = 0;
};

// K clients flood N chat lines each; the server core without windows reads them.
DispatchResult serverDispatch(int clients, int blocks);
// The same load read by a bare level-triggered epoll loop, one recv of a block per readiness.
DispatchResult epollDispatch(int clients, int blocks);

double processCpuSeconds();

// "<client>:<sequence>", the payload of a flood line.
bool isFloodPayload(QStringView payload);

} // namespace bench
