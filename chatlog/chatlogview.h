#pragma once

#include "chatlog.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <unordered_map>
#include <utility>

class QTextLayout;

namespace chatlog {

// The chat log on screen: a read-only view over a ChatLog that lays out only the lines it shows.
// Appending a line stores it and nothing more; the view catches up and paints at most once every
// kFrameMs, so a flood costs little more than storing its lines. Lines wrap at the view's width.
//
// It follows the end as lines come unless the operator has scrolled up. A caret moves with the
// keys of any read-only text, Shift extending the selection; it stays at the end as lines come
// while it is there, so that a first Up reads the newest line. Text is also selected with the
// mouse (a double click takes a word) and Ctrl+A, and copied with Ctrl+C or the context menu.
// Screen readers read it through the accessibility text interface and follow the caret.
class ChatLogView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    static constexpr int kFrameMs = 2;

    explicit ChatLogView(QWidget *parent = nullptr);
    ~ChatLogView() override;

    void append(const QString &line);
    const ChatLog &log() const { return m_log; }
    QString toPlainText() const { return m_log.text(); }

    // The selection as offsets into the log's text; empty when nothing is selected.
    qsizetype selectionStart() const;
    qsizetype selectionEnd() const;
    // Where the selection's moving end, the caret, is.
    qsizetype cursorOffset() const;
    QString selectedText() const;
    // Anchors the selection at from and puts the caret at to.
    void select(qsizetype from, qsizetype to);
    void selectAll();
    void copy() const;
    // Scrolls just enough that the line holding the offset is in view; the newest line follows
    // the end again.
    void showOffset(qsizetype offset);

    // Screen geometry for the accessibility interface; an empty rectangle off screen.
    QRect characterRect(qsizetype offset) const;
    // -1 where no text is.
    qsizetype offsetAt(QPoint viewportPoint) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class Motion {
        PreviousChar,
        NextChar,
        PreviousWord,
        NextWord,
        PreviousLine,
        NextLine,
        StartOfLine,
        EndOfLine,
        Start,
        End,
        PreviousPage,
        NextPage
    };

    // A line's number and where its layout starts in the viewport.
    struct Placed
    {
        qint64 number;
        qreal top;
    };

    // Brings the scroll bar and screen readers up to date with the lines stored.
    void store(const QString &line);
    void catchUp();
    // The same, painted now.
    void showFrame();
    void updateScrollBar();
    QTextLayout &layout(qint64 number) const;
    void forgetLayouts() const;
    // The index of the top line when the lines from it to line index take at most height.
    qsizetype topFitting(qsizetype index, int height) const;
    std::vector<Placed> placedLines() const;
    // Offset into the log's text of a line's column.
    qsizetype offsetOf(qint64 number, qsizetype column) const;
    void moveCursor(qsizetype offset, bool keepAnchor);
    void moveCaret(Motion motion, bool keepAnchor);
    // Visual line `line`, counted from the first of log line `number`, as a log line and a visual
    // line in it; before the first or past the last, the first or the last.
    std::pair<qint64, int> visualLine(qint64 number, int line) const;
    // Tells screen readers which lines came and went since the last frame.
    void accessibleUpdate();

    ChatLog m_log;
    qint64 m_top = 0;        // the number of the top line, while not following the end
    bool m_following = true; // showing the end; kept as lines come
    bool m_settingScroll = false;
    // Selection ends, as numbers of lines and columns so that they stay put as old lines go.
    qint64 m_anchorLine = 0, m_cursorLine = 0;
    qsizetype m_anchorColumn = 0, m_cursorColumn = 0;
    bool m_selecting = false;
    qreal m_caretX = -1; // kept while Up and Down move the caret, so it comes back to its column
    QTimer m_frame;
    QElapsedTimer m_lastFrame;
    qsizetype m_framedLines = 0; // the oldest lines, that the last frame showed and told of
    QString m_dropped;           // lines it told screen readers of that went since
    mutable std::unordered_map<qint64, std::unique_ptr<QTextLayout>> m_layouts;
    mutable int m_layoutWidth = -1;
};

} // namespace chatlog
