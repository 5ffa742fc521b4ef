#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm3;
}

// The message viewer: shows the messages clients send; its button starts a reply.
class TForm3 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    // Reply: empties both windows, hides the viewer and shows the composer.
    void Button1Click();

    void clearMessages();
    // Appends a received message; CR LF pairs in it start new lines.
    void appendMessage(const QString &message);
    QString text() const;

private:
    std::unique_ptr<Ui::TForm3> m_ui;
};

extern TForm3 *Form3;
