#pragma once

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class MessageComposer;
}

namespace messages {

// The message composer: a multi-line body sent as one "S" block to the selected client.
class MessageComposer : public QWidget
{
    Q_OBJECT

public:
    // Sends a body; throws when it is not sent (no client selected, a text that does not fit).
    using Send = std::function<void(const QString &body)>;

    explicit MessageComposer(Send send, QWidget *parent = nullptr);
    ~MessageComposer() override;

    // Shows the composer in front with an empty body.
    void openEmpty();

private slots:
    // Sends the body. Nothing is sent and the body stays as typed when it is refused.
    void sendClicked();
    // Empties the body; the window stays open.
    void clearClicked();

private:
    Send m_send;
    std::unique_ptr<Ui::MessageComposer> m_ui;
};

} // namespace messages
