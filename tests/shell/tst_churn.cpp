// The whole program: start-up, and clients coming and going while the operator's boxes are open.

#include "guard.h"
#include "testprogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>
#include <chrono>
#include <optional>

using namespace Qt::StringLiterals;

class TestChurn : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_boxes = &(m_program = std::make_unique<TestProgram>())->boxes; }
    void cleanup() { m_program.reset(); }

    void noMessageIsLostUnderBoxes_data()
    {
        // A burst of messages while the boxes stay open, some past the cap of 8 open boxes; then
        // one box is dismissed and more come before the rest are.
        QTest::addColumn<int>("burst");
        QTest::addColumn<int>("later");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<int>("lines");
        QTest::newRow("one box dismissed, then another message") << 10 << 1 << u"r:08"_s << 11;
        QTest::newRow("more lines than the viewer keeps")
            << 10'010 << 0 << u"(앞의 10줄은 10000줄 보관 한도를 넘어 지웠습니다)"_s << 10'001;
    }
    void noMessageIsLostUnderBoxes()
    {
        QFETCH(int, burst);
        QFETCH(int, later);
        QFETCH(QString, firstLine);
        QFETCH(int, lines);
        auto client = m_program->connectListed();
        QVERIFY(client);
        const auto messages = [](int from, int to) {
            QByteArray blocks;
            for (int i = from; i < to; ++i)
                blocks += filledBlock("Sr:" + QByteArray::number(i).rightJustified(2, '0'));
            return blocks;
        };
        const QString last = u"r:%1"_s.arg(qlonglong(burst - 1), 2, 10, QChar(u'0'));
        // Driven by the box watcher's polls: all held until the burst is in; then exactly one
        // dismissed, and the box of the message that comes then; then all.
        int stage = 0;
        m_boxes->holdWhile = [&] {
            if (stage == 0 && viewerText().contains(last))
                stage = later ? 1 : 3;
            if (stage == 1 && m_boxes->visible() == 7) {
                client->send(messages(burst, burst + later));
                stage = 2;
            }
            if (stage == 2 && viewerText().contains(u"r:10"_s))
                stage = 3;
            return stage == 0 || (stage == 2 && m_boxes->visible() < 8);
        };
        client->send(messages(0, burst));
        QTRY_COMPARE_WITH_TIMEOUT(stage, 3, 30000);
        QTRY_COMPARE(uisupport::openBoxCount(), 0);
        QCOMPARE(m_boxes->mostOpen, 8);
        const QStringList shown = viewerText().split(u'\n');
        QCOMPARE(shown.size(), lines);
        QCOMPARE(shown.first(), firstLine);
        // The first message's box is dismissed last: it is there whatever was dropped.
        QVERIFY(shown.contains(u"r:00"_s) && shown.contains(last));
    }

    void blockedWindowsTakeNoInput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("input method text") << u"input method"_s;
        QTest::newRow("a drop") << u"drop"_s;
        QTest::newRow("a key brings the box forward") << u"key"_s;
    }
    void blockedWindowsTakeNoInput()
    {
        QFETCH(QString, input);
        QLineEdit &entry = m_program->chatEntry();
        // Done while the client's confirmation box is open; true when the box did what the operator
        // expects.
        std::optional<bool> answered;
        m_boxes->holdWhile = [&] {
            if (!m_boxes->topBox() || answered)
                return false;
            if (input == u"input method") {
                QInputMethodEvent typed;
                typed.setCommitString(u"typed"_s);
                QApplication::sendEvent(&entry, &typed);
                answered = true;
            } else if (input == u"drop") {
                QMimeData data;
                data.setText(u"dropped"_s);
                QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(&entry, &enter);
                QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(&entry, &drop);
                answered = true;
            } else {
                m_program->console().activateWindow();
                const bool active = QTest::qWaitFor(
                    [&] { return QApplication::activeWindow() == &m_program->console(); });
                QTest::keyClick(m_program->console().windowHandle(), Qt::Key_A);
                answered = active && QTest::qWaitFor([&] {
                               return QApplication::activeWindow() == m_boxes->topBox();
                           });
            }
            return false;
        };
        auto client = m_program->connectListed(); // its confirmation is the box
        QVERIFY(client);
        QCOMPARE(answered, std::optional(true));
        QTRY_COMPARE(uisupport::openBoxCount(), 0);
        QCOMPARE(entry.text(), QString());
    }

    void soak()
    {
        const auto setting = [](const char *name, int otherwise) {
            return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : otherwise;
        };
        const int seed = setting("HALCYRA_SOAK_SEED", 1);
        const int steps = setting("HALCYRA_SOAK_STEPS", 2500);
        qInfo("HALCYRA_SOAK_SEED=%d replays this run", seed);
        QRandomGenerator random(static_cast<quint32>(seed));
        QElapsedTimer clock;
        clock.start();
        qint64 holdUntil = 0;
        m_boxes->holdWhile = [&] { return clock.elapsed() < holdUntil; };
        QListView &list = m_program->clientList();

        // Each tick is one action, so clients come, talk and go while boxes are open (and the
        // operator's clicks then reach no blocked window).
        std::vector<std::shared_ptr<RawClient>> clients;
        int done = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            if (done == steps) {
                ticker.stop();
                return;
            }
            const QByteArray text = "Msoak:" + QByteArray::number(++done);
            const int action = int(random.bounded(100));
            if (clients.empty() || (action < 12 && clients.size() < 12)) {
                clients.push_back(
                    std::make_shared<RawClient>(m_program->program.server().serverPort()));
                return;
            }
            const auto pick = qsizetype(random.bounded(int(clients.size())));
            const std::shared_ptr<RawClient> client = clients[size_t(pick)];
            if (action < 42) {
                client->send(filledBlock(text));
            } else if (action < 50) {
                client->send(filledBlock("S" + text.sliced(1) + "\r\nline two"));
            } else if (action < 56) {
                QByteArray noise(qsizetype(random.bounded(1, 100)) * 4, Qt::Uninitialized);
                random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
                client->send(noise);
            } else if (action < 62) {
                client->send(text); // without zero fill
            } else if (action < 72) {
                clients.erase(clients.begin() + pick);
                random.bounded(2) ? client->reset() : client->close();
            } else if (action < 76) {
                holdUntil = clock.elapsed() + random.bounded(50, 400);
            } else {
                // The operator: click a row (or none) and send a line, to one or all, or a message.
                if (const int row = int(random.bounded(-1, list.model()->rowCount())); row >= 0)
                    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                                      list.visualRect(list.model()->index(row, 0)).center());
                m_program->chatEntry().setText(QString::fromLatin1(text));
                QTest::mouseClick(action < 82 ? &m_program->directMode()
                                              : &m_program->fullSendMode(),
                                  Qt::LeftButton);
                if (action < 86) {
                    QTest::mouseClick(&m_program->sendButton(), Qt::LeftButton);
                } else if (action < 94) {
                    QTest::keyClick(&m_program->chatEntry(), Qt::Key_Return);
                } else {
                    QTest::mouseClick(&m_program->composeButton(), Qt::LeftButton);
                    QTest::keyClicks(&m_program->composerBody(), u"reply"_s);
                    QTest::mouseClick(&m_program->composerSend(), Qt::LeftButton);
                }
            }
        });
        ticker.start(2);
        QTRY_VERIFY_WITH_TIMEOUT(!ticker.isActive(), 60000);
        m_boxes->holdWhile = nullptr;

        // Everybody leaves; every row goes with its client; a new client is served.
        for (const auto &client : std::exchange(clients, {}))
            random.bounded(2) ? client->reset() : client->close();
        QTRY_COMPARE_WITH_TIMEOUT(list.model()->rowCount(), 0, 10000);
        QTRY_COMPARE(uisupport::openBoxCount(), 0);
        auto late = m_program->connectListed();
        QVERIFY(late);
        late->send(filledBlock("Mlate:hello"));
        QTRY_COMPARE(m_program->chatLog().log().at(m_program->chatLog().log().size() - 1),
                     u"late:hello"_s);
    }

    void handOver()
    {
        // A coarse timer may fire up to 5 % early, at a whole second of the monotonic clock: start
        // the splash where that would show, 150 ms past a whole second.
        m_program.reset();
        using namespace std::chrono;
        const auto start = steady_clock::now();
        while (duration_cast<milliseconds>(steady_clock::now().time_since_epoch()) % 1000 !=
                   150ms &&
               steady_clock::now() < start + 2s) {
        }
        const auto started = steady_clock::now();
        m_program = std::make_unique<TestProgram>(4000);
        // A client connects during the splash; the hand-over comes while its box is open. The
        // console was not visible when the box opened, so it takes the operator's keys.
        console::ConsoleWindow &console = m_program->console();
        std::optional<steady_clock::duration> shownAfter;
        QString typed;
        m_program->boxes.holdWhile = [&] {
            if (!console.isVisible())
                return true;
            if (!shownAfter) {
                shownAfter = steady_clock::now() - started;
                m_program->chatEntry().setFocus();
                QTest::keyClick(console.windowHandle(), 'a');
                typed = m_program->chatEntry().text();
            }
            return false;
        };
        RawClient client(m_program->program.server().serverPort());
        QTRY_COMPARE_WITH_TIMEOUT(m_program->clientList().model()->rowCount(), 1, 8000);
        QVERIFY(*shownAfter >= 4000ms);
        QCOMPARE(typed, u"a"_s);
    }

private:
    QString viewerText() { return m_program->program.viewer().text(); }

    std::unique_ptr<TestProgram> m_program;
    BoxWatcher *m_boxes = nullptr;
};

QTEST_MAIN(TestChurn)
#include "tst_churn.moc"
