#pragma once

#include <QTimer>
#include <QWidget>

class QLineEdit;

namespace uisupport {

// A line field tells screen readers where its caret is before it tells them that it has the
// focus, and a reader then says nothing of an empty field: this tells them of the focus first,
// or, for an empty field reached by a key, keeps it from telling of its caret.
void reportFocusFirst(QLineEdit &field);

// Speaks texts through a screen reader without moving the focus and without a box, whichever
// window is in front: an invisible child whose accessible role is a notification, shown anew
// with each text as its name (screen readers present a notification as it shows).
//
// A burst does not drown the reader: the first text is spoken at once, and then at most one
// summary every kSummaryMs, the first text not yet spoken and how many more came after it.
class Announcer : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSummaryMs = 1000;

    explicit Announcer(QWidget *parent);

    void announce(const QString &text);

private:
    void speak(const QString &text);
    void speakSummary();

    QTimer m_quiet; // runs while a text spoken less than kSummaryMs ago may still be talked over
    QString m_firstPending;
    int m_morePending = 0;
};

} // namespace uisupport
