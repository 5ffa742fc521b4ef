#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace student {

// The messages the teacher sent, kept until the student marks them read: a message that arrives
// joins those not yet read and never replaces one.
class InboxWindow : public QWidget
{
    Q_OBJECT

public:
    // So many lines are kept, the oldest dropped, so that a flood cannot grow memory without bound.
    static constexpr int kMaxLines = 10000;

    explicit InboxWindow(QWidget *parent = nullptr);

    // Appends the message (CR LF pairs start new lines) and shows the window in front.
    void present(const QString &message);
    QString text() const;

private slots:
    // Empties the window and hides it.
    void readClicked();

private:
    QPlainTextEdit *m_messages;
};

} // namespace student
