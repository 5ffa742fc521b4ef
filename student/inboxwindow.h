#pragma once

#include <QWidget>

namespace messages {
class MessageView;
}

namespace student {

// The messages the teacher sent, kept until the student marks them read: a message that arrives
// joins those not yet read and never replaces one.
class InboxWindow : public QWidget
{
    Q_OBJECT

public:
    explicit InboxWindow(QWidget *parent = nullptr);

    // Appends the message (CR LF pairs start new lines) and shows the window in front.
    void present(const QString &message);
    QString text() const;

private slots:
    // Empties the window and hides it.
    void readClicked();

private:
    messages::MessageView *m_messages;
};

} // namespace student
