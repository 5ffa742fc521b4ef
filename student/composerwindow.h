#pragma once

#include <QWidget>
#include <functional>

class QPlainTextEdit;

namespace student {

// A multi-line message to the teacher.
class ComposerWindow : public QWidget
{
    Q_OBJECT

public:
    // Sends a body; throws chatlink::SendError when it is refused.
    using Send = std::function<void(const QString &body)>;

    explicit ComposerWindow(Send send, QWidget *parent = nullptr);

    // Shows the composer in front with an empty body.
    void openEmpty();

private slots:
    // Sends the body and hides; a refused body stays as typed.
    void sendClicked();

private:
    Send m_send;
    QPlainTextEdit *m_body;
};

} // namespace student
