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
    if (auto *top = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
        top->button(QMessageBox::Ok)->click();
}
