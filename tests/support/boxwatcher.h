#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

class QMessageBox;

// Watches for the program's modal boxes, records their texts and dismisses them, topmost first,
// the way an operator clicks OK. While holdWhile returns true the boxes are left open.
class BoxWatcher : public QObject
{
public:
    BoxWatcher();

    QStringList texts;  // every box seen, in order of appearance
    QStringList errors; // the texts of the boxes with an error icon
    int mostOpen = 0;   // the most boxes open at once
    std::function<bool()> holdWhile;

    // The text of the innermost open box; empty when none is open.
    QString topText() const;

private:
    void poll();
    QMessageBox *topBox() const;

    QTimer m_timer;
    QList<QPointer<QMessageBox>> m_seen;
};
