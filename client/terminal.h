#pragma once

// halcyra-client's platform side: standard input, and the terminal's character set.

#include <QByteArray>
#include <QObject>
#include <memory>

namespace terminal {

// The character set the terminal reads and writes, as the platform names it ("UTF-8", "EUC-KR",
// "CP949", ...): the locale's on POSIX, the console's code page on Windows.
QByteArray codeset();

// Reads standard input without blocking the event loop, and hands over what it reads.
class InputReader : public QObject
{
    Q_OBJECT

public:
    explicit InputReader(QObject *parent = nullptr);
    ~InputReader() override;

signals:
    void received(const QByteArray &bytes);
    // Standard input has ended; nothing more is read.
    void ended();

private:
    struct Platform;
    std::unique_ptr<Platform> m_platform;
};

} // namespace terminal
