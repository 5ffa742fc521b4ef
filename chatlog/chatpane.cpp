#include "chatpane.h"

#include "announcer.h"
#include "attention.h"
#include "block.h"
#include "chatlogview.h"

#include <QLineEdit>

namespace chatlog {

ChatPane::ChatPane(QWidget &window, ChatLogView &log, QLineEdit &entry,
                   uisupport::RefusalWording wordRefusal)
    : QObject(&window), m_log(log), m_entry(entry), m_wordRefusal(wordRefusal),
      m_announcer(new uisupport::Announcer(&window)), m_attention(new uisupport::Attention(window))
{
    uisupport::reportFocusFirst(entry);
}

void ChatPane::sendEntry(const QString &name, const Send &send)
{
    const QString line = m_entry.text();
    bool sent = false;
    if (!uisupport::refusable([&] { sent = send(line); }, m_wordRefusal) || !sent)
        return;
    m_log.append(name + QLatin1Char(wire::kNameSeparator) + line);
    m_entry.clear();
}

void ChatPane::lineArrived(const QString &line)
{
    m_log.append(line);
    noteArrival(line);
}

void ChatPane::noteArrival(const QString &spoken)
{
    m_announcer->announce(spoken);
    m_attention->request();
}

void ChatPane::setAttentionRequester(std::function<void(QWidget &)> request)
{
    m_attention->setRequester(std::move(request));
}

} // namespace chatlog
