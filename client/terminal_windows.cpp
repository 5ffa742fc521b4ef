#include "terminal.h"

#include <QMetaObject>
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
// and hands each read over to the reader's thread.
struct InputReader::Platform
{
    HANDLE thread = nullptr;

    static DWORD WINAPI read(void *reader)
    {
        auto *self = static_cast<InputReader *>(reader);
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        char chunk[4096];
        DWORD n = 0;
        while (::ReadFile(input, chunk, sizeof chunk, &n, nullptr) && n > 0) {
            QMetaObject::invokeMethod(
                self,
                [self, bytes = QByteArray(chunk, qsizetype(n))] { emit self->received(bytes); },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            self, [self] { emit self->ended(); }, Qt::QueuedConnection);
        return 0;
    }
};

InputReader::InputReader(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    m_platform->thread = ::CreateThread(nullptr, 0, &Platform::read, this, 0, nullptr);
}

InputReader::~InputReader()
{
    // A read that still waits is cancelled, so that the thread ends before the reader goes (again
    // while it is between two reads).
    while (::WaitForSingleObject(m_platform->thread, 50) == WAIT_TIMEOUT)
        ::CancelSynchronousIo(m_platform->thread);
    ::CloseHandle(m_platform->thread);
}

} // namespace terminal
