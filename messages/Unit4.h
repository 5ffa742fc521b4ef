#pragma once

#include "chatlink/clientconnection.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TForm4;
}

// Where a composed message goes: the console's contact name and its selected client.
class MessageRecipient
{
public:
    virtual ~MessageRecipient() = default;
    virtual QString contactName() const = 0;
    // Throws chatlink::ListIndexError when no client is selected.
    virtual chatlink::ClientConnection *selectedClient() const = 0;
};

// The message composer: a multi-line body sent as one "S" block to the selected client.
class TForm4 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm4(MessageRecipient &recipient, QWidget *parent = nullptr);
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
    MessageRecipient &m_recipient;
    std::unique_ptr<Ui::TForm4> m_ui;
};

extern TForm4 *Form4;
