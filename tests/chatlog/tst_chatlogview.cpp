// The chat log view as the keyboard and a screen reader use it: text by character, word and line,
// the caret keys, what screen readers are told as lines come and the caret moves, and wrapping.

#include "chatlogview.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What screen readers were told: "+at:text" inserted, "-at:text" removed, "^at" caret moved.
QStringList g_told;

// Offsets: 0 "kim:반갑습니다" 9 \n 10 "kim:안녕 하세요" 20 \n 21 "kim:잘 지내요" 30.
const QStringList kLines{u"kim:반갑습니다"_s, u"kim:안녕 하세요"_s, u"kim:잘 지내요"_s};

} // namespace

class TestChatLogView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Qt tells an update handler of events only while a screen reader bridge is on.
        QVERIFY(QTest::qWaitFor([] { return QAccessible::isActive(); }));
        QAccessible::installUpdateHandler([](QAccessibleEvent *event) {
            if (event->type() == QAccessible::TextInserted) {
                const auto &inserted = static_cast<const QAccessibleTextInsertEvent &>(*event);
                g_told << u"+%1:%2"_s.arg(inserted.changePosition()).arg(inserted.textInserted());
            } else if (event->type() == QAccessible::TextRemoved) {
                const auto &removed = static_cast<const QAccessibleTextRemoveEvent &>(*event);
                g_told << u"-%1:%2"_s.arg(removed.changePosition()).arg(removed.textRemoved());
            } else if (event->type() == QAccessible::TextCaretMoved) {
                const auto &moved = static_cast<const QAccessibleTextCursorEvent &>(*event);
                g_told << u"^%1"_s.arg(moved.cursorPosition());
            }
        });
    }
    void cleanupTestCase() { QAccessible::installUpdateHandler(nullptr); }
    void init()
    {
        g_told.clear();
        m_view = std::make_unique<chatlog::ChatLogView>();
        m_view->resize(300, 120);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_text = QAccessible::queryAccessibleInterface(m_view.get())->textInterface();
    }

    void readsText_data()
    {
        QTest::addColumn<QAccessible::TextBoundaryType>("boundary");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("atBeforeAfter");
        const auto row = [](const char *tag, QAccessible::TextBoundaryType boundary, int offset,
                            const QStringList &texts) {
            QTest::newRow(tag) << boundary << offset << texts;
        };
        row("char", QAccessible::CharBoundary, 14, {u"안"_s, u":"_s, u"녕"_s});
        row("word", QAccessible::WordBoundary, 15, {u"안녕"_s, u":"_s, u" "_s});
        row("line", QAccessible::LineBoundary, 15,
            {u"kim:안녕 하세요\n"_s, u"kim:반갑습니다\n"_s, u"kim:잘 지내요"_s});
    }

    void readsText()
    {
        QFETCH(QAccessible::TextBoundaryType, boundary);
        QFETCH(int, offset);
        QVERIFY(show(kLines));
        int start = 0, end = 0;
        const QStringList got{m_text->textAtOffset(offset, boundary, &start, &end),
                              m_text->textBeforeOffset(offset, boundary, &start, &end),
                              m_text->textAfterOffset(offset, boundary, &start, &end)};
        QTEST(got, "atBeforeAfter");
    }

    void caretKeys_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("caret");
        QTest::addColumn<std::pair<int, int>>("selected");
        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
        const std::pair nothing(0, 0);
        QTest::newRow("Left to line end") << 10 << Qt::Key_Left << none << 9 << nothing;
        QTest::newRow("Right to line start") << 20 << Qt::Key_Right << none << 21 << nothing;
        QTest::newRow("Ctrl+Left") << 17 << Qt::Key_Left << ctrl << 14 << nothing;
        QTest::newRow("Ctrl+Right") << 15 << Qt::Key_Right << ctrl << 17 << nothing;
        QTest::newRow("Up") << 15 << Qt::Key_Up << none << 5 << nothing;
        QTest::newRow("Down") << 15 << Qt::Key_Down << none << 26 << nothing;
        QTest::newRow("Home") << 15 << Qt::Key_Home << none << 10 << nothing;
        QTest::newRow("End") << 15 << Qt::Key_End << none << 20 << nothing;
        QTest::newRow("Ctrl+Home") << 15 << Qt::Key_Home << ctrl << 0 << nothing;
        QTest::newRow("PageDown") << 5 << Qt::Key_PageDown << none << 26 << nothing;
        QTest::newRow("Shift+Ctrl+Left")
            << 17 << Qt::Key_Left << (shift | ctrl) << 14 << std::pair(14, 17);
        QTest::newRow("Shift+Down") << 15 << Qt::Key_Down << shift << 26 << std::pair(15, 26);
    }

    void caretKeys()
    {
        QFETCH(int, start);
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QVERIFY(show(kLines));
        m_text->setCursorPosition(start);
        QTest::keyClick(m_view.get(), key, modifiers);
        QTEST(m_text->cursorPosition(), "caret");
        QTEST(selected(), "selected");
    }

    void tellsScreenReaders()
    {
        // Lines as they come; the caret stays at the end, unannounced.
        QVERIFY(show(kLines));
        QCOMPARE(g_told, QStringList({u"+0:kim:반갑습니다"_s, u"+9:\nkim:안녕 하세요"_s,
                                      u"+20:\nkim:잘 지내요"_s}));
        QCOMPARE(m_text->cursorPosition(), 30);
        QVERIFY(QAccessible::queryAccessibleInterface(m_view.get())->state().focusable);
        // Up from the end goes to the line before; the caret then stays on it as lines come.
        QTest::keyClick(m_view.get(), Qt::Key_Up);
        QCOMPARE(g_told.last(), u"^19"_s);
        QVERIFY(show({u"kim:넷"_s}));
        QCOMPARE(m_text->cursorPosition(), 19);
        // One line more than are kept comes at once: the oldest four go, the caret's with them.
        g_told.clear();
        for (int i = 0; i < 10'000; ++i)
            m_view->append(u"lee:%1"_s.arg(i));
        QTRY_VERIFY(g_told.size() >= 2 && g_told.last().endsWith(u"\nlee:9999"_s));
        QCOMPARE(g_told.filter(QRegularExpression(u"^[-^]"_s)),
                 QStringList(u"-0:kim:반갑습니다\nkim:안녕 하세요\nkim:잘 지내요\nkim:넷\n"_s));
        QCOMPARE(m_text->cursorPosition(), 0);
        QTest::keyClick(m_view.get(), Qt::Key_Right);
        QCOMPARE(g_told.last(), u"^1"_s);
    }

private:
    // Appends the lines one by one, each on screen before the next.
    bool show(const QStringList &lines)
    {
        for (const QString &line : lines) {
            m_view->append(line);
            const int last = m_text->characterCount() - 1;
            if (!QTest::qWaitFor([&] { return !m_view->characterRect(last).isEmpty(); }))
                return false;
        }
        return true;
    }
    std::pair<int, int> selected() const
    {
        std::pair<int, int> selected;
        m_text->selection(0, &selected.first, &selected.second);
        return selected;
    }

    std::unique_ptr<chatlog::ChatLogView> m_view;
    QAccessibleTextInterface *m_text = nullptr;
};

QTEST_MAIN(TestChatLogView)
#include "tst_chatlogview.moc"
