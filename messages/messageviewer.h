#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class MessageViewer;
}

namespace messages {

// The message viewer: shows the messages clients send; its button starts a reply.
class MessageViewer : public QWidget
{
    Q_OBJECT

public:
    explicit MessageViewer(QWidget *parent = nullptr);
    ~MessageViewer() override;

    // A message from a client: confirmed in a "Message" box, then shown in front once the box is
    // dismissed; CR LF pairs in it start new lines. It replaces the messages shown only when no
    // box is open as it arrives, so no message goes before the operator could read it. Past the
    // box cap it joins at once, without a box.
    void present(const QString &message);
    QString text() const;

signals:
    // The operator wants to answer: the viewer has emptied and hidden itself.
    void replyRequested();

private slots:
    void replyClicked();

private:
    std::unique_ptr<Ui::MessageViewer> m_ui;
};

} // namespace messages
