#include "terminal.h"

#include <QMetaObject>
#include <memory>
#include <mutex>
#include <windows.h>

namespace terminal {

QByteArray codeset()
{
    // A console reads and writes its own code page; redirected, the system's ANSI one.
    const UINT page = ::GetConsoleOutputCP() ? ::GetConsoleOutputCP() : ::GetACP();
    if (page == CP_UTF8)
        return "UTF-8";
    return "CP" + QByteArray::number(uint(page));
}

// Windows has no notifier for a console or a pipe: a thread of its own waits on standard input
// and hands each read over to the reader's thread. A read cannot always be cancelled (Wine's
// pipes, say), so the reader does not wait for the thread: it only tells it that nobody takes
// its reads any more, and the thread ends with the process.
struct InputReader::Platform
{
    struct Shared
    {
        std::mutex mutex;
        InputReader *reader;
    };
    std::shared_ptr<Shared> shared;
    HANDLE thread = nullptr;

    static DWORD WINAPI read(void *parameter)
    {
        const std::shared_ptr<Shared> shared = *static_cast<std::shared_ptr<Shared> *>(parameter);
        delete static_cast<std::shared_ptr<Shared> *>(parameter);
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        char chunk[4096];
        DWORD n = 0;
        bool more = true;
        while (more) {
            more = ::ReadFile(input, chunk, sizeof chunk, &n, nullptr) && n > 0;
            const std::lock_guard lock(shared->mutex);
            InputReader *reader = shared->reader;
            if (!reader)
                break;
            // Queued: a reader deleted before the event is delivered takes it with it.
            if (more)
                QMetaObject::invokeMethod(
                    reader,
                    [reader, bytes = QByteArray(chunk, qsizetype(n))] {
                        emit reader->received(bytes);
                    },
                    Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(
                    reader, [reader] { emit reader->ended(); }, Qt::QueuedConnection);
        }
        return 0;
    }
};

InputReader::InputReader(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    m_platform->shared = std::make_shared<Platform::Shared>();
    m_platform->shared->reader = this;
    m_platform->thread =
        ::CreateThread(nullptr, 0, &Platform::read,
                       new std::shared_ptr<Platform::Shared>(m_platform->shared), 0, nullptr);
}

InputReader::~InputReader()
{
    {
        const std::lock_guard lock(m_platform->shared->mutex);
        m_platform->shared->reader = nullptr;
    }
    ::CancelSynchronousIo(m_platform->thread);
    ::CloseHandle(m_platform->thread);
}

} // namespace terminal
