#pragma once

#include "guard.h"

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class MessageComposer;
}

namespace messages {

// The message composer, in the console and in the student's program: a multi-line body sent as
// one "S" block. A refused body is kept as typed, and the refusal shown in a box.
class MessageComposer : public QWidget
{
    Q_OBJECT

public:
    // Sends a body; throws SendError when it refuses it.
    using Send = std::function<void(const QString &body)>;
    // What a program calls its composer and its buttons; the console keeps its layout's.
    struct Captions
    {
        QString title; // also the window's name for screen readers
        QString send;
        QString sendDescription;
        QString clear;
        QString clearDescription;
        QString bodyDescription;
    };

    MessageComposer(Send send, uisupport::RefusalWording wordRefusal, QWidget *parent = nullptr);
    ~MessageComposer() override;

    void setCaptions(const Captions &captions);
    // Shows the composer in front with an empty body.
    void openEmpty();

private slots:
    // Sends the body, and hides the composer once it is sent.
    void sendClicked();
    // Empties the body; the window stays open.
    void clearClicked();

private:
    Send m_send;
    uisupport::RefusalWording m_wordRefusal;
    std::unique_ptr<Ui::MessageComposer> m_ui;
};

} // namespace messages
