#pragma once

#include "guard.h"

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;
namespace uisupport {
class Announcer;
class Attention;
} // namespace uisupport

namespace chatlog {

class ChatLogView;

// The chat of a window, as the console and the student's window both have it: its log and its
// entry. What arrives is logged, spoken to screen readers and draws the user to the window;
// one's own line is logged as the other side sees it, once it has gone.
class ChatPane : public QObject
{
    Q_OBJECT

public:
    // Sends a line; returns false when it did not go and the user has been told why (no client
    // connected, say); throws SendError when it is refused.
    using Send = std::function<bool(const QString &line)>;

    ChatPane(QWidget &window, ChatLogView &log, QLineEdit &entry,
             uisupport::RefusalWording wordRefusal);

    // Sends the entry's line. Once it has gone, it is logged under the name and the entry
    // emptied; a line that did not go stays in the entry as typed, and nothing is logged.
    void sendEntry(const QString &name, const Send &send);
    // A chat line from the other side.
    void lineArrived(const QString &line);
    // Anything else that arrived: spoken as given, and the user drawn to the window.
    void noteArrival(const QString &spoken);
    // Replaces how the desktop is asked to draw the user to the window (tests put a stand-in
    // here).
    void setAttentionRequester(std::function<void(QWidget &)> request);

private:
    ChatLogView &m_log;
    QLineEdit &m_entry;
    uisupport::RefusalWording m_wordRefusal;
    uisupport::Announcer *m_announcer;
    uisupport::Attention *m_attention;
};

} // namespace chatlog
