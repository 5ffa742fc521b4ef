#include "chatlogview.h"

#include "wording.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <algorithm>

namespace chatlog {
namespace {

constexpr int kMargin = 4;
// Laid-out lines kept: more than a screenful, so a still view lays out nothing.
constexpr size_t kLayoutsKept = 512;

// What screen readers see of the log: read-only multi-line text with the text interface.
class ChatLogAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit ChatLogAccessible(ChatLogView *view)
        : QAccessibleWidget(view, QAccessible::EditableText)
    {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }
    QString text(QAccessible::Text type) const override
    {
        return type == QAccessible::Value ? view()->toPlainText() : QAccessibleWidget::text(type);
    }

    void selection(int index, int *start, int *end) const override
    {
        const bool selected = index == 0 && selectionCount() == 1;
        *start = selected ? int(view()->selectionStart()) : 0;
        *end = selected ? int(view()->selectionEnd()) : 0;
    }
    int selectionCount() const override
    {
        return view()->selectionStart() < view()->selectionEnd() ? 1 : 0;
    }
    void addSelection(int start, int end) override { view()->select(start, end); }
    void removeSelection(int) override { view()->select(0, 0); }
    void setSelection(int, int start, int end) override { view()->select(start, end); }
    int cursorPosition() const override { return int(view()->cursorOffset()); }
    void setCursorPosition(int position) override { view()->select(position, position); }
    QString text(int start, int end) const override { return view()->log().text(start, end); }
    int characterCount() const override { return int(view()->log().textLength()); }
    QRect characterRect(int offset) const override { return view()->characterRect(offset); }
    int offsetAtPoint(const QPoint &point) const override
    {
        return int(view()->offsetAt(view()->viewport()->mapFromGlobal(point)));
    }
    void scrollToSubstring(int start, int) override { view()->showOffset(start); }
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                             int *end) const override
    {
        const Segment at = segment(offset, type);
        return at.start > 0 ? textOf(segment(at.start - 1, type), start, end) : none(start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                            int *end) const override
    {
        const Segment at = segment(offset, type);
        return at.end < characterCount() ? textOf(segment(at.end, type), start, end)
                                         : none(start, end);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int *start,
                         int *end) const override
    {
        return textOf(segment(offset, type), start, end);
    }

private:
    struct Segment
    {
        int start;
        int end;
    };

    ChatLogView *view() const { return static_cast<ChatLogView *>(widget()); }

    QString textOf(Segment segment, int *start, int *end) const
    {
        *start = segment.start;
        *end = segment.end;
        return text(segment.start, segment.end);
    }
    static QString none(int *start, int *end)
    {
        *start = *end = -1;
        return {};
    }

    // The character, word, sentence, line or whole text around an offset. A log line is a line
    // and a paragraph, and holds its words and sentences.
    Segment segment(int offset, QAccessible::TextBoundaryType type) const
    {
        const ChatLog &log = view()->log();
        const int length = characterCount();
        // The end is where the caret sits most of the time: it is on the last line.
        offset = std::clamp(offset, 0, length);
        if (type == QAccessible::NoBoundary || log.isEmpty())
            return {0, length};
        const qsizetype index = log.lineAt(offset);
        const int lineStart = int(log.lineStart(index));
        const QString &line = log.at(index);
        const int column = offset - lineStart;
        const int lineEnd = lineStart + int(line.size());
        if (type == QAccessible::LineBoundary || type == QAccessible::ParagraphBoundary)
            return {lineStart, qMin(lineEnd + 1, length)};
        if (column >= line.size() || type == QAccessible::CharBoundary)
            return {offset, qMin(offset + 1, length)};
        QTextBoundaryFinder finder(type == QAccessible::WordBoundary
                                       ? QTextBoundaryFinder::Word
                                       : QTextBoundaryFinder::Sentence,
                                   line);
        finder.setPosition(column);
        const qsizetype before = finder.isAtBoundary() ? column : finder.toPreviousBoundary();
        finder.setPosition(column);
        const qsizetype after = finder.toNextBoundary();
        return {lineStart + int(qMax<qsizetype>(before, 0)),
                after < 0 ? lineEnd : lineStart + int(after)};
    }
};

QAccessibleInterface *chatLogAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(ChatLogView::staticMetaObject.className()))
        return new ChatLogAccessible(static_cast<ChatLogView *>(object));
    return nullptr;
}

} // namespace

ChatLogView::ChatLogView(QWidget *parent) : QAbstractScrollArea(parent)
{
    static const bool accessible = (QAccessible::installFactory(chatLogAccessible), true);
    Q_UNUSED(accessible);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    m_frame.setSingleShot(true);
    m_frame.setTimerType(Qt::PreciseTimer);
    connect(&m_frame, &QTimer::timeout, this, &ChatLogView::showFrame);
}

ChatLogView::~ChatLogView() = default;

void ChatLogView::append(const QString &line)
{
    // A line break in a line starts a new one, as in any plain text.
    qsizetype from = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t c = line.at(i).unicode();
        if (c != u'\n' && c != u'\r' && c != QChar::ParagraphSeparator)
            continue;
        store(line.sliced(from, i - from));
        if (c == u'\r' && i + 1 < line.size() && line.at(i + 1) == u'\n')
            ++i;
        from = i + 1;
    }
    store(from == 0 ? line : line.sliced(from));
}

void ChatLogView::store(const QString &line)
{
    const bool caretAtEnd = selectionStart() == m_log.textLength();
    if (m_log.size() == kKeptLines && m_framedLines > 0) {
        --m_framedLines;
        if (QAccessible::isActive())
            m_dropped += m_log.at(0) + QLatin1Char('\n');
    }
    m_log.append(line);
    // No caret event for these moves: screen readers hear of the text itself.
    if (caretAtEnd) {
        m_anchorLine = m_cursorLine = m_log.endNumber() - 1;
        m_anchorColumn = m_cursorColumn = line.size();
        m_caretX = -1;
    }
    const qint64 first = m_log.firstNumber();
    // An end whose line went goes to the start.
    if (m_cursorLine < first) {
        m_cursorLine = first;
        m_cursorColumn = 0;
    }
    if (m_anchorLine < first) {
        m_anchorLine = first;
        m_anchorColumn = 0;
    }
    if (m_frame.isActive())
        return;
    // A line after a quiet moment shows at once; those that follow it, kFrameMs after.
    const qint64 since = m_lastFrame.isValid() ? m_lastFrame.elapsed() : kFrameMs;
    if (since < kFrameMs)
        m_frame.start(int(kFrameMs - since));
    else
        showFrame();
}

void ChatLogView::showFrame()
{
    catchUp();
    viewport()->update();
}

void ChatLogView::catchUp()
{
    m_lastFrame.start();
    if (m_layouts.size() > kLayoutsKept)
        forgetLayouts();
    updateScrollBar();
    accessibleUpdate();
}

void ChatLogView::updateScrollBar()
{
    QScrollBar &bar = *verticalScrollBar();
    const qint64 first = m_log.firstNumber();
    const int end = int(topFitting(m_log.size() - 1, viewport()->height() - 2 * kMargin));
    m_settingScroll = true;
    bar.setRange(0, end);
    bar.setPageStep(qMax(1, viewport()->height() / fontMetrics().lineSpacing()));
    bar.setValue(m_following ? end : int(qMax(m_top, first) - first));
    m_settingScroll = false;
    m_top = first + bar.value();
}

void ChatLogView::scrollContentsBy(int, int)
{
    if (m_settingScroll)
        return;
    const QScrollBar &bar = *verticalScrollBar();
    m_following = bar.value() == bar.maximum();
    m_top = m_log.firstNumber() + bar.value();
    viewport()->update();
}

QTextLayout &ChatLogView::layout(qint64 number) const
{
    const int width = qMax(1, viewport()->width() - 2 * kMargin);
    if (width != m_layoutWidth) {
        forgetLayouts();
        m_layoutWidth = width;
    }
    std::unique_ptr<QTextLayout> &layout = m_layouts[number];
    if (!layout) {
        layout = std::make_unique<QTextLayout>(m_log.at(number - m_log.firstNumber()), font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        qreal y = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout->endLayout();
    }
    return *layout;
}

void ChatLogView::forgetLayouts() const
{
    m_layouts.clear();
}

qsizetype ChatLogView::topFitting(qsizetype index, int height) const
{
    qreal used = 0;
    for (qsizetype at = index; at >= 0; --at) {
        used += layout(m_log.firstNumber() + at).boundingRect().height();
        if (used > height)
            return qMin(at + 1, index);
    }
    return 0;
}

std::vector<ChatLogView::Placed> ChatLogView::placedLines() const
{
    std::vector<Placed> placed;
    const QScrollBar &bar = *verticalScrollBar();
    const qint64 first = m_log.firstNumber();
    const int height = viewport()->height();
    // What the last frame caught up with: lines that came since wait for the next one.
    const qint64 end = first + m_framedLines;
    if (bar.value() == bar.maximum()) {
        // The newest line at the bottom, or all of them from the top when they fit.
        qreal bottom = height - kMargin;
        for (qint64 number = end - 1; number >= first && bottom > 0; --number) {
            bottom -= layout(number).boundingRect().height();
            placed.push_back({number, bottom});
        }
        std::reverse(placed.begin(), placed.end());
        const qreal spare = placed.empty() || placed.front().number != first
                                ? 0
                                : qMax<qreal>(placed.front().top - kMargin, 0);
        for (Placed &line : placed)
            line.top -= spare;
    } else {
        qreal top = kMargin;
        for (qint64 number = first + bar.value(); number < end && top < height; ++number) {
            placed.push_back({number, top});
            top += layout(number).boundingRect().height();
        }
    }
    return placed;
}

qsizetype ChatLogView::offsetOf(qint64 number, qsizetype column) const
{
    if (number < m_log.firstNumber() || m_log.isEmpty())
        return 0;
    return m_log.lineStart(number - m_log.firstNumber()) + column;
}

qsizetype ChatLogView::selectionStart() const
{
    return qMin(offsetOf(m_anchorLine, m_anchorColumn), offsetOf(m_cursorLine, m_cursorColumn));
}

qsizetype ChatLogView::selectionEnd() const
{
    return qMax(offsetOf(m_anchorLine, m_anchorColumn), offsetOf(m_cursorLine, m_cursorColumn));
}

qsizetype ChatLogView::cursorOffset() const
{
    return offsetOf(m_cursorLine, m_cursorColumn);
}

QString ChatLogView::selectedText() const
{
    return m_log.text(selectionStart(), selectionEnd());
}

void ChatLogView::moveCursor(qsizetype offset, bool keepAnchor)
{
    select(keepAnchor ? offsetOf(m_anchorLine, m_anchorColumn) : offset, offset);
}

void ChatLogView::select(qsizetype from, qsizetype to)
{
    if (m_log.isEmpty())
        return;
    const auto selected = [this] {
        return selectionStart() < selectionEnd() ? std::pair(selectionStart(), selectionEnd())
                                                 : std::pair<qsizetype, qsizetype>();
    };
    const auto wasSelected = selected();
    const qsizetype caret = cursorOffset();
    const auto place = [this](qsizetype offset, qint64 &number, qsizetype &column) {
        offset = std::clamp<qsizetype>(offset, 0, m_log.textLength());
        const qsizetype index = m_log.lineAt(offset);
        number = m_log.firstNumber() + index;
        column = offset - m_log.lineStart(index);
    };
    place(from, m_anchorLine, m_anchorColumn);
    place(to, m_cursorLine, m_cursorColumn);
    m_caretX = -1;
    viewport()->update();
    if (!QAccessible::isActive())
        return;
    if (selected() != wasSelected) {
        QAccessibleTextSelectionEvent selection(this, int(selectionStart()), int(selectionEnd()));
        selection.setCursorPosition(int(cursorOffset()));
        QAccessible::updateAccessibility(&selection);
    }
    // Where a screen reader reads the line or word.
    if (cursorOffset() != caret) {
        QAccessibleTextCursorEvent moved(this, int(cursorOffset()));
        QAccessible::updateAccessibility(&moved);
    }
}

void ChatLogView::moveCaret(Motion motion, bool keepAnchor)
{
    if (m_log.isEmpty())
        return;
    QTextLayout &lines = layout(m_cursorLine);
    const int column = int(m_cursorColumn);
    const qsizetype lineStart = offsetOf(m_cursorLine, 0);
    const QTextLine line = lines.lineForTextPosition(column);
    // Past either end of a log line is the line break, then the next line.
    const bool first = column == 0;
    const bool last = column == lines.text().size();
    qsizetype to = 0;
    qreal x = -1;
    switch (motion) {
    case Motion::PreviousChar:
        to = first ? lineStart - 1 : lineStart + lines.previousCursorPosition(column);
        break;
    case Motion::NextChar:
        to = last ? lineStart + column + 1 : lineStart + lines.nextCursorPosition(column);
        break;
    case Motion::PreviousWord:
        to = first ? lineStart - 1
                   : lineStart + lines.previousCursorPosition(column, QTextLayout::SkipWords);
        break;
    case Motion::NextWord:
        to = last ? lineStart + column + 1
                  : lineStart + lines.nextCursorPosition(column, QTextLayout::SkipWords);
        break;
    case Motion::StartOfLine:
        to = lineStart + line.textStart();
        break;
    case Motion::EndOfLine: {
        // A wrapped line's end is before the space it broke at, which is still on it.
        const int end = line.textStart() + line.textLength();
        const bool wrapped =
            line.lineNumber() + 1 < lines.lineCount() && lines.text().at(end - 1).isSpace();
        to = lineStart + end - (wrapped ? 1 : 0);
        break;
    }
    case Motion::Start:
        to = 0;
        break;
    case Motion::End:
        to = m_log.textLength();
        break;
    case Motion::PreviousLine:
    case Motion::NextLine:
    case Motion::PreviousPage:
    case Motion::NextPage: {
        const int page = verticalScrollBar()->pageStep();
        const int count = motion == Motion::PreviousLine   ? -1
                          : motion == Motion::NextLine     ? 1
                          : motion == Motion::PreviousPage ? -page
                                                           : page;
        x = m_caretX >= 0 ? m_caretX : line.cursorToX(column);
        const auto [number, visual] = visualLine(m_cursorLine, line.lineNumber() + count);
        to = offsetOf(number, layout(number).lineAt(visual).xToCursor(x));
        break;
    }
    }
    moveCursor(to, keepAnchor);
    m_caretX = x;
    showOffset(to);
}

std::pair<qint64, int> ChatLogView::visualLine(qint64 number, int line) const
{
    while (line < 0 && number > m_log.firstNumber())
        line += layout(--number).lineCount();
    while (line >= layout(number).lineCount() && number + 1 < m_log.endNumber())
        line -= layout(number++).lineCount();
    return {number, std::clamp(line, 0, layout(number).lineCount() - 1)};
}

void ChatLogView::selectAll()
{
    select(0, m_log.textLength());
}

void ChatLogView::copy() const
{
    if (selectionStart() < selectionEnd())
        QGuiApplication::clipboard()->setText(selectedText());
}

void ChatLogView::showOffset(qsizetype offset)
{
    if (m_log.isEmpty())
        return;
    QScrollBar &bar = *verticalScrollBar();
    const qsizetype index = m_log.lineAt(std::clamp<qsizetype>(offset, 0, m_log.textLength()));
    if (index == m_log.size() - 1) {
        m_following = true;
        bar.setValue(bar.maximum());
        return;
    }
    for (const Placed &line : placedLines()) {
        if (line.number == m_log.firstNumber() + index && line.top >= 0 &&
            line.top + layout(line.number).boundingRect().height() <= viewport()->height())
            return;
    }
    // Above the view it comes to the top; below, to the bottom, the lines starting under the top
    // margin.
    bar.setValue(
        int(index <= bar.value() ? index : topFitting(index, viewport()->height() - kMargin)));
}

QRect ChatLogView::characterRect(qsizetype offset) const
{
    if (m_log.isEmpty())
        return {};
    const qsizetype index = m_log.lineAt(offset);
    const qint64 number = m_log.firstNumber() + index;
    for (const Placed &placed : placedLines()) {
        if (placed.number != number)
            continue;
        QTextLayout &lines = layout(number);
        const int column = int(offset - m_log.lineStart(index));
        const QTextLine line = lines.lineForTextPosition(column);
        if (!line.isValid())
            return {};
        const qreal x = line.cursorToX(column);
        const QRectF box(kMargin + x, placed.top + line.y(),
                         qMax<qreal>(line.cursorToX(column + 1) - x, 1), line.height());
        return QRect(viewport()->mapToGlobal(box.topLeft().toPoint()), box.size().toSize());
    }
    return {};
}

qsizetype ChatLogView::offsetAt(QPoint point) const
{
    const std::vector<Placed> placed = placedLines();
    if (placed.empty())
        return -1;
    if (point.y() < placed.front().top)
        return offsetOf(placed.front().number, 0);
    for (const Placed &at : placed) {
        QTextLayout &lines = layout(at.number);
        for (int i = 0; i < lines.lineCount(); ++i) {
            const QTextLine line = lines.lineAt(i);
            if (point.y() < at.top + line.y() + line.height())
                return offsetOf(at.number, line.xToCursor(point.x() - kMargin));
        }
    }
    const qint64 last = placed.back().number;
    return offsetOf(last, m_log.at(last - m_log.firstNumber()).size());
}

void ChatLogView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    for (const Placed &placed : placedLines()) {
        QTextLayout &lines = layout(placed.number);
        QList<QTextLayout::FormatRange> selected;
        const qsizetype start = offsetOf(placed.number, 0);
        const qsizetype begin = std::clamp<qsizetype>(from - start, 0, lines.text().size());
        const qsizetype end = std::clamp<qsizetype>(to - start, 0, lines.text().size());
        if (begin < end) {
            QTextLayout::FormatRange range;
            range.start = int(begin);
            range.length = int(end - begin);
            range.format.setBackground(palette().highlight());
            range.format.setForeground(palette().highlightedText());
            selected.append(range);
        }
        lines.draw(&painter, QPointF(kMargin, placed.top), selected);
        if (placed.number == m_cursorLine && hasFocus())
            lines.drawCursor(&painter, QPointF(kMargin, placed.top), int(m_cursorColumn));
    }
}

void ChatLogView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    catchUp();
}

void ChatLogView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        forgetLayouts();
        catchUp();
        viewport()->update();
    }
}

// The caret shows only with focus, and the widget's own repaint does not reach the viewport.
void ChatLogView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ChatLogView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void ChatLogView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = true;
    const qsizetype offset = offsetAt(event->position().toPoint());
    if (offset >= 0)
        moveCursor(offset, event->modifiers() & Qt::ShiftModifier);
}

void ChatLogView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting)
        return;
    const QPoint at = event->position().toPoint();
    // Dragged past an edge: the log scrolls a line at a time.
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const qsizetype offset = offsetAt(at);
    if (offset >= 0)
        moveCursor(offset, true);
}

void ChatLogView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && selectionStart() < selectionEnd())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ChatLogView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const qsizetype offset = offsetAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || offset < 0)
        return;
    const qsizetype index = m_log.lineAt(offset);
    const qsizetype start = m_log.lineStart(index);
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, m_log.at(index));
    words.setPosition(offset - start);
    const qsizetype after = words.toNextBoundary();
    words.setPosition(offset - start);
    const qsizetype before = words.isAtBoundary() ? offset - start : words.toPreviousBoundary();
    select(start + qMax<qsizetype>(before, 0),
           after < 0 ? start + m_log.at(index).size() : start + after);
}

void ChatLogView::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else {
        static constexpr struct
        {
            QKeySequence::StandardKey move;
            QKeySequence::StandardKey select;
            Motion motion;
        } keys[] = {
            {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
             Motion::PreviousChar},
            {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Motion::NextChar},
            {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
             Motion::PreviousWord},
            {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Motion::NextWord},
            {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
             Motion::PreviousLine},
            {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Motion::NextLine},
            {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Motion::StartOfLine},
            {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Motion::EndOfLine},
            {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
             Motion::Start},
            {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Motion::End},
            {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
             Motion::PreviousPage},
            {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Motion::NextPage},
        };
        for (const auto &key : keys) {
            if (event == key.move || event == key.select) {
                moveCaret(key.motion, event == key.select);
                return;
            }
        }
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void ChatLogView::contextMenuEvent(QContextMenuEvent *event)
{
    // Popped up rather than run in a loop of its own: nothing waits on the menu.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copying = menu->addAction(uisupport::wording::copy, this, &ChatLogView::copy);
    copying->setShortcut(QKeySequence::Copy);
    copying->setEnabled(selectionStart() < selectionEnd());
    menu->addAction(uisupport::wording::selectAll, this, &ChatLogView::selectAll)
        ->setShortcut(QKeySequence::SelectAll);
    menu->popup(event->globalPos());
}

void ChatLogView::accessibleUpdate()
{
    if (QAccessible::isActive()) {
        if (!m_dropped.isEmpty()) {
            QAccessibleTextRemoveEvent removed(this, 0, m_dropped);
            QAccessible::updateAccessibility(&removed);
        }
        if (m_framedLines < m_log.size()) {
            const qsizetype at = m_framedLines == 0 ? 0
                                                    : m_log.lineStart(m_framedLines - 1) +
                                                          m_log.at(m_framedLines - 1).size();
            QAccessibleTextInsertEvent inserted(this, int(at), m_log.text(at, m_log.textLength()));
            QAccessible::updateAccessibility(&inserted);
        }
    }
    m_dropped.clear();
    m_framedLines = m_log.size();
}

} // namespace chatlog
