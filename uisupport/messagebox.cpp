#include "messagebox.h"

#include <QApplication>
#include <QEvent>
#include <QInputMethod>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <algorithm>

namespace uisupport {
namespace {

// While a box is open, the windows that were visible when it opened take no input, and a click
// or a key on one of them brings the box back to the front. Windows shown later (the console
// after the splash, the viewer) are not blocked: an application-modal box would leave them deaf.
// Nor is an open menu, which holds the keyboard and the mouse until it closes.
class InputBlocker : public QObject
{
public:
    explicit InputBlocker(QWidget &box) : QObject(&box), m_box(box)
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window != &box && window->windowType() != Qt::Popup)
                m_blocked.append(window);
        }
        qApp->installEventFilter(this);
    }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

    QWidget *anchor() const
    {
        QWidget *active = QApplication::activeWindow();
        if (active && m_blocked.contains(active))
            return active;
        return m_blocked.isEmpty() ? nullptr : m_blocked.last().data();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_box.isVisible() || !watched->isWidgetType() || !isInput(event))
            return false;
        if (!m_blocked.contains(static_cast<QWidget *>(watched)->window()))
            return false;
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) {
            m_box.raise();
            m_box.activateWindow();
        }
        return true;
    }

private:
    static bool isInput(const QEvent *event)
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        case QEvent::Close:
            return event->spontaneous(); // the window's close box, not the program's own close
        default:
            return false;
        }
    }

    QWidget &m_box;
    QList<QPointer<QWidget>> m_blocked;
};

void showBox(QMessageBox::Icon icon, const QString &text, const QObject *context,
             std::function<void()> dismissed)
{
    if (openBoxCount() >= kMaxOpenBoxes) {
        if (dismissed)
            dismissed();
        return;
    }
    // A syllable the input method is still composing goes into its field now: once the box has
    // the focus, the field is blocked, and the input method's commit would be lost.
    QGuiApplication::inputMethod()->commit();
    auto *box =
        new QMessageBox(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    const auto *blocker = new InputBlocker(*box);
    if (QWidget *anchor = blocker->anchor()) {
        // Kept above the window it came from by the window manager; still a window of its own.
        box->setParent(anchor, box->windowFlags());
    }
    box->setWindowModality(Qt::NonModal); // QMessageBox makes itself application-modal
    if (dismissed)
        QObject::connect(box, &QMessageBox::finished, context ? context : box,
                         std::move(dismissed));
    box->show();
    box->activateWindow();
}

} // namespace

void messageBox(const QString &text, const QObject *context, std::function<void()> dismissed)
{
    showBox(QMessageBox::NoIcon, text, context, std::move(dismissed));
}

void errorBox(const QString &text)
{
    showBox(QMessageBox::Critical, text, nullptr, {});
}

int openBoxCount()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.cbegin(), windows.cend(), [](const QWidget *window) {
        return window->isVisible() && qobject_cast<const QMessageBox *>(window);
    }));
}

} // namespace uisupport
