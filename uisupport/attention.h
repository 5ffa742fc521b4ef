#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace uisupport {

// Asks the desktop to draw the user to a window (its taskbar entry flashes until it is active
// again) when something arrives while it is not the active window: once for everything that
// arrives while the user is away, and never while the window is active.
class Attention : public QObject
{
public:
    explicit Attention(QWidget &window);

    void request();
    // Replaces how the desktop is asked (tests put a stand-in here).
    void setRequester(std::function<void(QWidget &)> request) { m_request = std::move(request); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_window;
    std::function<void(QWidget &)> m_request;
    bool m_asked = false;
};

} // namespace uisupport
