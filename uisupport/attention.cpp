#include "attention.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace uisupport {

Attention::Attention(QWidget &window)
    : QObject(&window), m_window(window),
      m_request([](QWidget &asking) { QApplication::alert(&asking); })
{
    window.installEventFilter(this);
}

void Attention::request()
{
    if (m_asked || m_window.isActiveWindow())
        return;
    m_asked = true;
    m_request(m_window);
}

bool Attention::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && m_window.isActiveWindow())
        m_asked = false;
    return false;
}

} // namespace uisupport
