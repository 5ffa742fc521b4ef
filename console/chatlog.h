#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QPlainTextEdit;

namespace console {

// The chat log: a plain-text view that only grows at its end. A line after a quiet moment shows
// at once; while lines keep coming, they are appended together at most every kBatchMs, which
// costs a fraction of laying out and painting them one by one. The oldest lines go past
// kMaxLines, so a flood cannot grow memory without bound.
class ChatLog : public QObject
{
public:
    static constexpr int kMaxLines = 10000;
    static constexpr int kBatchMs = 10;

    explicit ChatLog(QPlainTextEdit &view);

    // A line from a client: shown within kBatchMs, in order.
    void append(const QString &line);
    // A line of the operator's: shown now, after any that came before it.
    void appendNow(const QString &line);

private:
    void flush();

    QPlainTextEdit &m_view;
    QStringList m_pending;
    QTimer m_flush;
    QElapsedTimer m_lastFlush;
};

} // namespace console
