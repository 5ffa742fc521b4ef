// The whole program: start-up, and clients coming and going while the operator's boxes are open.

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "chatlink/clientconnection.h"
#include "guard.h"
#include "program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <chrono>

using namespace Qt::StringLiterals;

// A click that goes the way a real one does, through the window system: a blocked window
// never sees it.
static void clickThroughWindow(QWidget *widget)
{
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, {},
                      widget->mapTo(widget->window(), widget->rect().center()));
}

class TestChurn : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_boxes = &(m_program = std::make_unique<Program>())->boxes; }
    void cleanup() { m_program.reset(); }

    void messageThenLeavingDuringItsBox_data();
    void messageThenLeavingDuringItsBox();
    void messagesPastTheBoxCapAreKept();
    void viewerShownUnderAnOpenBoxTakesInput();
    void tabLeavesTheMemos();
    void soak();
    void handOverNeverComesEarly();
    void consoleShownDuringABoxTakesInput();

private:
    std::unique_ptr<RawClient> connectListed() { return m_program->connectListed(); }

    std::unique_ptr<Program> m_program;
    BoxWatcher *m_boxes = nullptr;
};

void TestChurn::messageThenLeavingDuringItsBox_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("orderly close") << false;
    QTest::newRow("reset") << true;
}

void TestChurn::messageThenLeavingDuringItsBox()
{
    QFETCH(bool, reset);
    auto client = connectListed();
    auto other = connectListed();
    QVERIFY(client && other);
    QPointer<chatlink::ClientConnection> connection = Form1->chatLink().rowClient(0);
    // The "Message" box stays open until the client has left and its connection is gone.
    bool left = false;
    m_boxes->holdWhile = [&] {
        if (!m_boxes->topBox() || m_boxes->topBox()->text() != u"Message"_s)
            return false;
        if (!left) {
            reset ? client->reset() : client->close();
            left = true;
        }
        return !connection.isNull();
    };
    client->send(filledBlock("Skim:bye"));
    QTRY_COMPARE(Form3->text(), u"kim:bye"_s);
    QTRY_COMPARE(uisupport::openBoxCount(), 0);
    QVERIFY(connection.isNull());
    QCOMPARE(clientList()->count(), 1);
    other->send(filledBlock("Mlee:still here"));
    QTRY_VERIFY(
        control<QPlainTextEdit>(Form1, "Memo1")->toPlainText().endsWith(u"lee:still here"_s));
}

void TestChurn::messagesPastTheBoxCapAreKept()
{
    constexpr int kMessages = uisupport::kMaxOpenBoxes + 6;
    auto client = connectListed();
    QVERIFY(client);
    // Every box stays open until the last message has been read.
    const QString last = u"kim:%1"_s.arg(kMessages - 1);
    m_boxes->holdWhile = [&] { return !Form3->text().contains(last); };
    QByteArray burst;
    for (int i = 0; i < kMessages; ++i)
        burst += filledBlock("Skim:" + QByteArray::number(i));
    client->send(burst);
    QTRY_VERIFY(Form3->text().contains(last));
    QTRY_COMPARE(uisupport::openBoxCount(), 0);
    QCOMPARE(m_boxes->texts.count(u"Message"_s), uisupport::kMaxOpenBoxes);
    QCOMPARE(m_boxes->mostOpen, uisupport::kMaxOpenBoxes);
    const QStringList shown = Form3->text().split(u'\n');
    for (int i = 0; i < kMessages; ++i)
        QVERIFY2(shown.contains(u"kim:%1"_s.arg(i)), qPrintable(Form3->text()));
    QCOMPARE(shown.size(), kMessages);
}

void TestChurn::viewerShownUnderAnOpenBoxTakesInput()
{
    auto client = connectListed();
    QVERIFY(client);
    // The first message's box stays open; the second one's is dismissed, its viewer shows, and
    // the operator answers from the viewer while the first box is still open.
    bool secondSent = false;
    bool replied = false;
    m_boxes->holdWhile = [&] {
        if (uisupport::openBoxCount() != 1 || replied)
            return false;
        if (!secondSent) {
            client->send(filledBlock("Skim:second"));
            secondSent = true;
        } else if (Form3->isVisible()) {
            clickThroughWindow(control<QPushButton>(Form3, "Button1"));
            replied = true;
        }
        return true;
    };
    client->send(filledBlock("Skim:first"));
    QTRY_VERIFY(replied);
    QTRY_COMPARE(uisupport::openBoxCount(), 0);
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form3->text(), u"kim:first"_s); // the first box's message, once it was dismissed
}

void TestChurn::tabLeavesTheMemos()
{
    Form3->show();
    Form4->open();
    for (QWidget *window : {static_cast<QWidget *>(Form1), static_cast<QWidget *>(Form3),
                            static_cast<QWidget *>(Form4)}) {
        auto *memo = control<QPlainTextEdit>(window, "Memo1");
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        memo->setFocus();
        QTest::keyClicks(memo, u"a"_s);
        QTest::keyClick(memo, Qt::Key_Tab);
        QCOMPARE(memo->toPlainText(), u"a"_s);
        QVERIFY(QApplication::focusWidget() != memo);
    }
}

void TestChurn::soak()
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

    // Each tick is one action; the timer also fires inside the boxes' loops, so clients come,
    // talk and go while boxes are open.
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
            clients.push_back(std::make_shared<RawClient>(Form1->ServerSocket1.serverPort()));
            return;
        }
        const auto pick = qsizetype(random.bounded(int(clients.size())));
        const std::shared_ptr<RawClient> client = clients[size_t(pick)];
        QByteArray noise(qsizetype(random.bounded(1, 300)), Qt::Uninitialized);
        for (char &byte : noise)
            byte = char(random.bounded(256));
        if (action < 30) {
            client->send(filledBlock(text));
        } else if (action < 38) {
            client->send(filledBlock("S" + text.sliced(1) + "\r\nline two"));
        } else if (action < 50) {
            // A block split by TCP, its rest coming before or well after the settle time.
            const auto cut = qsizetype(random.bounded(1, int(chatlink::kBlockSize)));
            client->send(filledBlock(text).first(cut));
            QTimer::singleShot(
                int(random.bounded(400)), this,
                [later = std::weak_ptr(client), rest = filledBlock(text).sliced(cut)] {
                    if (const auto c = later.lock())
                        c->send(rest);
                });
        } else if (action < 62) {
            client->send(action < 56 ? noise : text); // garbage, or a text without zero fill
        } else if (action < 72) {
            clients.erase(clients.begin() + pick);
            random.bounded(2) ? client->reset() : client->close();
        } else if (action < 76) {
            holdUntil = clock.elapsed() + random.bounded(50, 400);
        } else {
            // The operator: select a row (or none) and send a line, to one or all, or a message.
            clientList()->setCurrentRow(int(random.bounded(-1, clientList()->count())));
            control<QLineEdit>(Form1, "Edit1")->setText(QString::fromLatin1(text));
            control<QRadioButton>(Form1, action < 82 ? "Radio1" : "Radio2")->setChecked(true);
            Form4->open();
            control<QPlainTextEdit>(Form4, "Memo1")->setPlainText(u"reply"_s);
            uisupport::guarded([action] {
                action < 86   ? Form1->Button1Click()
                : action < 94 ? Form1->Edit1KeyPress(QChar(u'\r'))
                              : Form4->Button1Click();
            });
        }
    });
    ticker.start(2);
    QTRY_VERIFY_WITH_TIMEOUT(!ticker.isActive(), 60000);
    m_boxes->holdWhile = nullptr;

    // Everybody leaves; every row goes with its client; a new client is served.
    for (const auto &client : std::exchange(clients, {}))
        random.bounded(2) ? client->reset() : client->close();
    QTRY_COMPARE_WITH_TIMEOUT(clientList()->count(), 0, 10000);
    QTRY_COMPARE(uisupport::openBoxCount(), 0);
    auto late = connectListed();
    QVERIFY(late);
    late->send(filledBlock("Mlate:hello"));
    QTRY_COMPARE(chatLog()->document()->lastBlock().text(), u"late:hello"_s);
}

void TestChurn::handOverNeverComesEarly()
{
    m_program.reset(); // the program starts again, from the splash
    m_program = std::make_unique<Program>(false);
    // A coarse timer may fire up to 5 % early, at a whole second of the monotonic clock: start
    // the splash's timer where that would show, 150 ms past a whole second.
    using namespace std::chrono;
    const auto start = steady_clock::now();
    while (duration_cast<milliseconds>(steady_clock::now().time_since_epoch()) % 1000 != 150ms &&
           steady_clock::now() < start + 2s) {
    }
    const auto started = steady_clock::now();
    Form2->Timer1.start();
    QVERIFY(QSignalSpy(Form1, &TForm1::shown).wait(8000));
    QVERIFY(steady_clock::now() - started >= 4000ms);
}

void TestChurn::consoleShownDuringABoxTakesInput()
{
    m_program.reset(); // the program starts again, from the splash
    m_program = std::make_unique<Program>(false);
    // A client connects during the splash; the hand-over comes while its box is open. The
    // console was not visible when the box opened, so it takes the operator's keys.
    QString typed;
    m_program->boxes.holdWhile = [&] {
        if (m_program->boxes.texts.isEmpty() || Form1->isVisible())
            return false;
        Form2->Timer1Timer();
        control<QLineEdit>(Form1, "Edit1")->setFocus();
        QTest::keyClick(Form1->windowHandle(), 'a');
        typed = control<QLineEdit>(Form1, "Edit1")->text();
        return false;
    };
    RawClient client(Form1->ServerSocket1.serverPort());
    QTRY_COMPARE(clientList()->count(), 1);
    QCOMPARE(typed, u"a"_s);
}

QTEST_MAIN(TestChurn)
#include "tst_churn.moc"
