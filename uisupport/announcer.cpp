#include "announcer.h"

#include "wording.h"

#include <QAccessibleWidget>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace uisupport {
namespace {

QAccessibleInterface *notificationAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(Announcer::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

class FocusReporter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::FocusIn || !QAccessible::isActive() || m_refocusing)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (static_cast<QLineEdit *>(watched)->text().isEmpty() &&
            (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
             reason == Qt::ShortcutFocusReason)) {
            // Reached by a key, the field would select all of its nothing, and so tell of its
            // caret; reported first as well, its focus would come twice, and Orca drops the
            // first as a duplicate. Focused as by other means, an empty field says nothing of
            // its caret, and its one focus event is heard.
            QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
            m_refocusing = true;
            QCoreApplication::sendEvent(watched, &plain);
            m_refocusing = false;
            return true;
        }
        QAccessibleEvent focus(watched, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
        return false;
    }

private:
    bool m_refocusing = false;
};

} // namespace

void reportFocusFirst(QLineEdit &field)
{
    field.installEventFilter(new FocusReporter(&field));
}

Announcer::Announcer(QWidget *parent) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(notificationAccessible), true);
    Q_UNUSED(accessible);
    setObjectName(u"announcer"_s);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    // Hidden until the first text: shown with its window, it would be read out at once.
    hide();
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kSummaryMs);
    connect(&m_quiet, &QTimer::timeout, this, &Announcer::speakSummary);
}

void Announcer::announce(const QString &text)
{
    if (!m_quiet.isActive()) {
        speak(text);
        return;
    }
    if (m_morePending++ == 0)
        m_firstPending = text;
}

void Announcer::speakSummary()
{
    if (m_morePending == 0)
        return;
    const int more = m_morePending - 1;
    speak(more == 0 ? m_firstPending : wording::burstSpoken(m_firstPending, more));
}

void Announcer::speak(const QString &text)
{
    m_firstPending.clear();
    m_morePending = 0;
    // A line break would end what a reader says of the name; spaces read the same.
    QString spoken = text;
    spoken.replace(u"\r\n"_s, u" "_s).replace(u'\n', u' ').replace(u'\r', u' ');
    setAccessibleName(spoken);
    hide();
    show();
    m_quiet.start();
}

} // namespace uisupport
