#include "messageviewer.h"

#include "fixedwindow.h"
#include "guard.h"
#include "ui_messageviewer.h"
#include "wording.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace messages {

namespace wording = uisupport::wording;

MessageViewer::MessageViewer(QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), m_ui(std::make_unique<Ui::MessageViewer>())
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, {453, 286});
    // Lines are dropped from the top by hand; an undo history would keep every one of them.
    m_ui->messageText->setUndoRedoEnabled(false);
    uisupport::connectGuarded(m_ui->replyButton, &QPushButton::clicked, this,
                              &MessageViewer::replyClicked);
}

MessageViewer::~MessageViewer() = default;

void MessageViewer::replyClicked()
{
    m_ui->messageText->clear();
    m_droppedLines = 0;
    hide();
    emit replyRequested();
}

void MessageViewer::present(const QString &message)
{
    if (uisupport::openBoxCount() == 0) {
        m_ui->messageText->clear();
        m_droppedLines = 0;
    }
    uisupport::messageBox(wording::messageArrived, this, [this, message] {
        show();
        raise();
        append(message);
    });
}

QString MessageViewer::text() const
{
    return m_ui->messageText->toPlainText();
}

void MessageViewer::append(const QString &message)
{
    QString lines = message;
    lines.replace(u"\r\n"_s, u"\n"_s);
    QPlainTextEdit &view = *m_ui->messageText;
    view.appendPlainText(lines);

    // Once lines have been dropped, the first line says how many.
    const int notice = m_droppedLines > 0 ? 1 : 0;
    const int excess = view.blockCount() - notice - kMaxLines;
    if (excess <= 0)
        return;
    QTextCursor cursor(view.document()->findBlockByNumber(notice));
    cursor.setPosition(view.document()->findBlockByNumber(notice + excess).position(),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_droppedLines += excess;
    cursor.setPosition(0);
    if (!notice) {
        cursor.insertBlock();
        cursor.setPosition(0);
    }
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(wording::linesDropped(m_droppedLines, kMaxLines));
}

} // namespace messages
