// Clients coming and going while the operator's boxes are open.

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
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTextBlock>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A click that goes the way a real one does, through the window system: a blocked window
// never sees it.
void clickThroughWindow(QWidget *widget)
{
    QWidget *window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      widget->mapTo(window, widget->rect().center()));
}

} // namespace

class TestChurn : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void messageThenLeavingDuringItsBox_data();
    void messageThenLeavingDuringItsBox();
    void selectionNeverMovesToAnotherClient();
    void messagesPastTheBoxCapAreKept();
    void viewerShownUnderAnOpenBoxTakesInput();
    void tabLeavesTheMemos();
    void soak();

private:
    std::unique_ptr<RawClient> connectListed() { return m_program->connectListed(); }

    std::unique_ptr<Program> m_program;
    BoxWatcher *m_boxes = nullptr;
};

void TestChurn::init()
{
    m_program = std::make_unique<Program>();
    m_boxes = &m_program->boxes;
}

void TestChurn::cleanup()
{
    m_program.reset();
}

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
        if (m_boxes->topText() != u"Message"_s)
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

void TestChurn::selectionNeverMovesToAnotherClient()
{
    auto a = connectListed();
    auto b = connectListed();
    auto c = connectListed();
    QVERIFY(a && b && c);
    clientList()->setCurrentRow(1);
    b->close();
    QTRY_COMPARE(clientList()->count(), 2);
    QCOMPARE(Form1->selectedRow(), -1);

    // The next Direct line fails as with no selection, and nobody gets it.
    control<QRadioButton>(Form1, "Radio1")->setChecked(true);
    control<QLineEdit>(Form1, "Edit2")->setText(u"op"_s);
    control<QLineEdit>(Form1, "Edit1")->setText(u"for b only"_s);
    uisupport::guarded([] { Form1->Button1Click(); });
    QCOMPARE(m_boxes->errors, QStringList{u"List index out of bounds (-1)"_s});
    QCOMPARE(control<QLineEdit>(Form1, "Edit1")->text(), u"for b only"_s);
    const QByteArray marker = filledBlock("Mmarker");
    for (int row = 0; row < 2; ++row)
        Form1->chatLink().rowClient(row)->send(marker);
    QCOMPARE(a->receive(chatlink::kBlockSize), marker);
    QCOMPARE(c->receive(chatlink::kBlockSize), marker);
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
        QTest::keyClicks(QApplication::focusWidget(), u"b"_s);
        QVERIFY2(!memo->toPlainText().contains(u'\t'), window->objectName().toLatin1());
        QVERIFY(memo->toPlainText().endsWith(u'a'));
        QVERIFY(QApplication::focusWidget() != memo);
    }
}

void TestChurn::soak()
{
    const quint32 seed = qEnvironmentVariableIsSet("HALCYRA_SOAK_SEED")
                             ? quint32(qEnvironmentVariableIntValue("HALCYRA_SOAK_SEED"))
                             : 1;
    qInfo("seed %u; HALCYRA_SOAK_SEED=%u replays this run", seed, seed);
    QRandomGenerator random(seed);
    const int steps = qEnvironmentVariableIsSet("HALCYRA_SOAK_STEPS")
                          ? qEnvironmentVariableIntValue("HALCYRA_SOAK_STEPS")
                          : 2500;
    constexpr int kMaxClients = 12;
    const quint16 port = Form1->ServerSocket1.serverPort();

    QElapsedTimer clock;
    clock.start();
    qint64 holdUntil = 0;
    m_boxes->holdWhile = [&] { return clock.elapsed() < holdUntil; };

    // Each tick is one action; the timer also fires inside the boxes' loops, so clients come,
    // talk and go while boxes are open.
    std::vector<std::shared_ptr<RawClient>> clients;
    int done = 0;
    int serial = 0;
    QTimer ticker;
    ticker.setInterval(2);
    connect(&ticker, &QTimer::timeout, this, [&] {
        if (done >= steps) {
            ticker.stop();
            return;
        }
        ++done;
        const QByteArray text = "Msoak:" + QByteArray::number(++serial);
        const int action = int(random.bounded(100));
        if (clients.empty() || (action < 12 && clients.size() < kMaxClients)) {
            clients.push_back(std::make_shared<RawClient>(port));
            return;
        }
        const auto pick = size_t(random.bounded(int(clients.size())));
        const std::shared_ptr<RawClient> client = clients[pick];
        if (action < 30) {
            client->send(filledBlock(text));
        } else if (action < 38) {
            client->send(filledBlock("S" + text.sliced(1) + "\r\nline two"));
        } else if (action < 50) {
            // A block split by TCP, its rest coming before or well after the settle time.
            const QByteArray block = filledBlock(text);
            const auto cut = qsizetype(random.bounded(1, int(chatlink::kBlockSize)));
            client->send(block.first(cut));
            const std::weak_ptr<RawClient> later = client;
            QTimer::singleShot(int(random.bounded(400)), this, [later, rest = block.sliced(cut)] {
                if (const auto c = later.lock(); c && c->isValid())
                    c->send(rest);
            });
        } else if (action < 56) {
            QByteArray noise(qsizetype(random.bounded(1, 300)), Qt::Uninitialized);
            for (char &byte : noise)
                byte = char(random.bounded(256));
            client->send(noise);
        } else if (action < 62) {
            client->send(text); // without zero fill
        } else if (action < 72) {
            clients.erase(clients.begin() + qsizetype(pick));
            random.bounded(2) ? client->reset() : client->close();
        } else if (action < 76) {
            holdUntil = clock.elapsed() + random.bounded(50, 400);
        } else {
            // The operator: select a row (or none) and send a line, to one or all, or a message.
            const int rows = clientList()->count();
            const int row = int(random.bounded(-1, rows));
            clientList()->setCurrentRow(row);
            control<QLineEdit>(Form1, "Edit1")->setText(u"op %1"_s.arg(serial));
            if (action < 86) {
                control<QRadioButton>(Form1, action < 82 ? "Radio1" : "Radio2")->setChecked(true);
                uisupport::guarded([] { Form1->Button1Click(); });
            } else if (action < 94) {
                uisupport::guarded([] { Form1->Edit1KeyPress(QChar(u'\r')); });
            } else {
                Form4->open();
                control<QPlainTextEdit>(Form4, "Memo1")->setPlainText(u"reply"_s);
                uisupport::guarded([] { Form4->Button1Click(); });
            }
        }
    });
    ticker.start();
    QTRY_VERIFY_WITH_TIMEOUT(done >= steps, 60000);
    ticker.stop();
    m_boxes->holdWhile = nullptr;

    // Everybody leaves; every row goes with its client.
    for (const auto &client : clients)
        random.bounded(2) ? client->reset() : client->close();
    clients.clear();
    QTRY_COMPARE_WITH_TIMEOUT(clientList()->count(), 0, 10000);
    QTRY_COMPARE(uisupport::openBoxCount(), 0);

    // Still serving.
    auto late = connectListed();
    QVERIFY(late);
    late->send(filledBlock("Mlate:hello"));
    QTRY_COMPARE(chatLog()->document()->lastBlock().text(), u"late:hello"_s);
    QVERIFY(Form1->isVisible());
    qInfo("%d boxes, at most %d open at once", int(m_boxes->texts.size()), m_boxes->mostOpen);
}

QTEST_MAIN(TestChurn)
#include "tst_churn.moc"
