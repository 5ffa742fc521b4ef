#include "boxwatcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

BoxWatcher::BoxWatcher()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &BoxWatcher::poll);
    m_timer.start();
}

void BoxWatcher::poll()
{
    int open = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible())
            continue;
        ++open;
        if (m_seen.contains(box))
            continue;
        m_seen.append(box);
        texts.append(box->text());
        if (box->icon() == QMessageBox::Critical)
            errors.append(box->text());
    }
    mostOpen = qMax(mostOpen, open);
    if (holdWhile && holdWhile())
        return;
    if (QMessageBox *top = topBox())
        top->button(QMessageBox::Ok)->click();
}

QMessageBox *BoxWatcher::topBox() const
{
    // Boxes nest: the innermost open box is the last one opened that is still visible.
    for (auto it = m_seen.crbegin(); it != m_seen.crend(); ++it) {
        if (*it && (*it)->isVisible())
            return *it;
    }
    return nullptr;
}

QString BoxWatcher::topText() const
{
    const QMessageBox *top = topBox();
    return top ? top->text() : QString();
}
