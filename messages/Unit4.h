#pragma once

#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class TForm4;
}
namespace chatlink {
class ChatLink;
}

// The message composer: a multi-line body sent as one "S" block to the selected client.
class TForm4 : public QWidget
{
    Q_OBJECT

public:
    // The contact name comes from the console, which is created before the composer.
    TForm4(chatlink::ChatLink &link, std::function<QString()> contactName,
           QWidget *parent = nullptr);
    ~TForm4() override;

    // Send: the contact name, ":" and the body, lines joined by CR LF, as one block. Nothing is
    // sent and the body stays as typed when the text does not fit or no client is selected.
    void Button1Click();
    // Clear: empties the body; the window stays open.
    void Button2Click();

    // Shows the composer in front.
    void open();
    void clearBody();
    QString body() const;

private:
    chatlink::ChatLink &m_link;
    std::function<QString()> m_contactName;
    std::unique_ptr<Ui::TForm4> m_ui;
};

extern TForm4 *Form4;
