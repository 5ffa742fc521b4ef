#include "chatlog.h"

#include <QPlainTextEdit>

namespace console {

ChatLog::ChatLog(QPlainTextEdit &view) : m_view(view)
{
    m_view.setMaximumBlockCount(kMaxLines);
    m_flush.setSingleShot(true);
    m_flush.setTimerType(Qt::PreciseTimer);
    connect(&m_flush, &QTimer::timeout, this, &ChatLog::flush);
}

void ChatLog::append(const QString &line)
{
    m_pending.append(line);
    if (m_flush.isActive())
        return;
    // At the end of this pass of the event loop, or kBatchMs after the last flush.
    const qint64 since = m_lastFlush.isValid() ? m_lastFlush.elapsed() : kBatchMs;
    m_flush.start(int(qMax<qint64>(0, kBatchMs - since)));
}

void ChatLog::appendNow(const QString &line)
{
    m_pending.append(line);
    m_flush.stop();
    flush();
}

void ChatLog::flush()
{
    if (m_pending.isEmpty())
        return;
    m_view.appendPlainText(m_pending.join(QLatin1Char('\n')));
    m_pending.clear();
    m_lastFlush.start();
}

} // namespace console
