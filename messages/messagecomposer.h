#pragma once

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class MessageComposer;
}
namespace chatlink {
class ChatLink;
}

// The message composer: a multi-line body sent as one "S" block to the selected client.
class MessageComposer : public QWidget
{
    Q_OBJECT

public:
    // The contact name a message is sent under is asked for at each send.
    MessageComposer(chatlink::ChatLink &link, std::function<QString()> contactName,
                    QWidget *parent = nullptr);
    ~MessageComposer() override;

    // Shows the composer in front with an empty body.
    void openEmpty();

private slots:
    // The contact name, ":" and the body, lines joined by CR LF, as one block. Nothing is sent
    // and the body stays as typed when the text does not fit or no client is selected.
    void sendClicked();
    // Empties the body; the window stays open.
    void clearClicked();

private:
    chatlink::ChatLink &m_link;
    std::function<QString()> m_contactName;
    std::unique_ptr<Ui::MessageComposer> m_ui;
};
