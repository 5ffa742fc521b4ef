// The whole program under floods, bursts, descriptor exhaustion, stalled clients and garbage.

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "boxwatcher.h"
#include "chatlink/block.h"
#include "chatlink/chatserver.h"
#include "forms.h"
#include "messagebox.h"
#include "rawclient.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTextBlock>
#include <arpa/inet.h>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QListWidget *clientList()
{
    return Form1->findChild<QListWidget *>(u"ListBox1"_s);
}

QPlainTextEdit *chatLog()
{
    return Form1->findChild<QPlainTextEdit *>(u"Memo1"_s);
}

int unreadBytes(const chatlink::ClientConnection *connection)
{
    int waiting = -1;
    ::ioctl(int(connection->descriptor()), FIONREAD, &waiting);
    return waiting;
}

} // namespace

class TestHardening : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void floodOfChatLines();
    void burstOfMessages();
    void connectionsPastTheDescriptorLimit();
    void clientThatNeverReads();
    void garbageFromClients();
    void clientsResettingAndClosingMidBlock();

private:
    std::unique_ptr<RawClient> connectListed();

    std::unique_ptr<BoxWatcher> m_boxes;
};

void TestHardening::init()
{
    m_boxes = std::make_unique<BoxWatcher>();
    shell::createForms(0);
    Form2->Timer1Timer();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void TestHardening::cleanup()
{
    shell::destroyForms();
    m_boxes.reset();
}

std::unique_ptr<RawClient> TestHardening::connectListed()
{
    return ::connectListed(Form1->ServerSocket1.serverPort(), [] { return clientList()->count(); });
}

void TestHardening::floodOfChatLines()
{
    constexpr int kLines = 10000;
    auto client = connectListed();
    QVERIFY(client);
    QSignalSpy ticks(&Form1->Timer1, &QTimer::timeout);
    // Sent without a pause, from another thread, while the server reads.
    std::thread sender([&] {
        QByteArray all;
        for (int i = 0; i < kLines; ++i)
            all += filledBlock("Mf:" + QByteArray::number(i));
        client->send(all);
    });
    QTRY_VERIFY_WITH_TIMEOUT(chatLog()->document()->lastBlock().text() == u"f:%1"_s.arg(kLines - 1),
                             60000);
    sender.join();
    // Every line, in order.
    QTextBlock block = chatLog()->document()->firstBlock();
    for (int i = 0; i < kLines; ++i, block = block.next())
        QCOMPARE(block.text(), u"f:%1"_s.arg(i));
    // The clock goes on.
    QVERIFY(ticks.count() > 0 || ticks.wait(2000));
}

void TestHardening::burstOfMessages()
{
    constexpr int kMessages = 1000;
    auto client = connectListed();
    QVERIFY(client);
    chatlink::ClientConnection *connection = Form1->chatLink().rowClient(0);
    // The boxes stay open (nobody answers) until everything sent has been read.
    bool allRead = false;
    m_boxes->holdWhile = [&] {
        allRead = allRead || (unreadBytes(connection) == 0 &&
                              Form3->text().contains(u"kim:%1"_s.arg(kMessages - 1)));
        return !allRead;
    };
    QByteArray all;
    for (int i = 0; i < kMessages; ++i)
        all += filledBlock("Skim:" + QByteArray::number(i));
    client->send(all);
    QTRY_VERIFY_WITH_TIMEOUT(allRead, 60000);
    QTRY_COMPARE(messages::openBoxCount(), 0);
    QVERIFY(m_boxes->mostOpen <= messages::kMaxOpenBoxes);
    QVERIFY(Form3->isVisible());
    QVERIFY(Form3->text().contains(u"kim:%1"_s.arg(kMessages - 1)));
    QCOMPARE(unreadBytes(connection), 0);
}

void TestHardening::connectionsPastTheDescriptorLimit()
{
    constexpr int kAttempts = 3000;
    const quint16 port = Form1->ServerSocket1.serverPort();
    QSignalSpy acceptErrors(&Form1->ServerSocket1, &QTcpServer::acceptError);

    // This process may hold only a few more descriptors than it has now.
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree + 60);

    // The clients live in a child process, with descriptors enough for all of them.
    int go[2];
    QCOMPARE(::pipe(go), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(go[1]);
        chatlink::raiseOpenFileLimit();
        // Connecting without waiting: past the listen backlog the attempts stay pending.
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int i = 0; i < kAttempts; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
        char done;
        (void)::read(go[0], &done, 1); // hold them until told
        ::_exit(0);
    }
    ::close(go[0]);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);

    QTRY_VERIFY_WITH_TIMEOUT(acceptErrors.count() > 0, 30000);
    // Out of descriptors the server waits between tries instead of spinning.
    QElapsedTimer clock;
    clock.start();
    const qsizetype before = acceptErrors.count();
    QTRY_VERIFY(acceptErrors.count() >= before + 5);
    QVERIFY(clock.elapsed() >= 4 * chatlink::kAcceptRetryDelayMs * 9 / 10);

    // The clients go; descriptors come free and new clients are accepted again.
    ::close(go[1]);
    ::waitpid(child, nullptr, 0);
    QTcpSocket late; // connects without blocking the loop that drains the backlog
    late.connectToHost(u"127.0.0.1"_s, port);
    QTRY_VERIFY_WITH_TIMEOUT(late.state() == QAbstractSocket::ConnectedState &&
                                 Form1->ServerSocket1.count() == 1 && clientList()->count() == 1,
                             60000);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    late.write(filledBlock("Mlate:hello"));
    QTRY_VERIFY(chatLog()->toPlainText().contains(u"late:hello"_s));
}

void TestHardening::clientThatNeverReads()
{
    auto sleeper = std::make_unique<RawClient>(Form1->ServerSocket1.serverPort(), 4096);
    QVERIFY(QTest::qWaitFor([&] { return clientList()->count() == 1; }));
    auto reader = connectListed();
    QVERIFY(reader);
    chatlink::ClientConnection *stuck = Form1->chatLink().rowClient(0);
    QPointer<chatlink::ClientConnection> guard(stuck);

    // "Full Send" to both, again and again: the reader keeps up, the sleeper never reads.
    Form1->findChild<QRadioButton *>(u"Radio2"_s)->setChecked(true);
    Form1->findChild<QLineEdit *>(u"Edit2"_s)->setText(u"op"_s);
    auto *line = Form1->findChild<QLineEdit *>(u"Edit1"_s);
    int sent = 0;
    qsizetype largestQueue = 0;
    while (guard && guard->isOpen() && sent < 50000) {
        line->setText(u"x"_s);
        Form1->Button1Click();
        largestQueue = qMax(largestQueue, guard ? guard->queuedBytes() : 0);
        ++sent;
        QCOMPARE(reader->receive(chatlink::kBlockSize), filledBlock("Mop:x"));
    }
    QVERIFY2(!guard || !guard->isOpen(), "a client that never reads was never dropped");
    QVERIFY(largestQueue <= chatlink::kSendQueueLimit);
    QTRY_COMPARE(clientList()->count(), 1);
    QTRY_VERIFY(
        m_boxes->texts.contains(u"127.0.0.1 클라이언트가 데이터를 받지 않아 연결을 끊었습니다"_s));
    QVERIFY(m_boxes->errors.isEmpty());

    // The other client is still served.
    line->setText(u"still here"_s);
    Form1->Button1Click();
    QCOMPARE(reader->receive(chatlink::kBlockSize), filledBlock("Mop:still here"));
}

void TestHardening::garbageFromClients()
{
    QRandomGenerator random(20261206);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int c = 0; c < 4; ++c) {
        clients.push_back(connectListed());
        QVERIFY(clients.back());
    }
    // Random bytes in random pieces, partial blocks, texts without zero fill, and blocks with
    // bytes after the zero.
    for (int round = 0; round < 400; ++round) {
        RawClient &client = *clients[size_t(random.bounded(4))];
        QByteArray bytes(random.bounded(1, 300), Qt::Uninitialized);
        switch (random.bounded(4)) {
        case 0:
            for (char &b : bytes)
                b = char(random.bounded(256));
            break;
        case 1:
            bytes = filledBlock("Mg:" + QByteArray::number(round)).first(random.bounded(1, 100));
            break;
        case 2:
            bytes = "Mg:" + QByteArray::number(round);
            break;
        default:
            bytes = "Sg:" + QByteArray::number(round) + '\0';
            while (bytes.size() < chatlink::kBlockSize)
                bytes.append(char(random.bounded(256)));
        }
        client.send(bytes);
        if (round % 20 == 0)
            QCoreApplication::processEvents();
    }
    // Whatever came of it, a well-behaved client is still heard.
    auto good = connectListed();
    QVERIFY(good);
    good->send(filledBlock("Mgood:after garbage"));
    QTRY_VERIFY_WITH_TIMEOUT(chatLog()->toPlainText().contains(u"good:after garbage"_s), 10000);
    QCOMPARE(clientList()->count(), 5);
}

void TestHardening::clientsResettingAndClosingMidBlock()
{
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int c = 0; c < 12; ++c) {
        clients.push_back(connectListed());
        QVERIFY(clients.back());
    }
    // Half of each block, then a reset or an orderly close; every other client stays.
    for (int c = 0; c < 12; c += 2) {
        clients[size_t(c)]->send(filledBlock("Mhalf:" + QByteArray::number(c)).first(50));
        if (c % 4 == 0)
            clients[size_t(c)]->reset();
        else
            clients[size_t(c)]->close();
    }
    QTRY_COMPARE_WITH_TIMEOUT(clientList()->count(), 6, 10000);
    QCOMPARE(Form1->ServerSocket1.count(), 6);
    // Each remaining row still addresses its own client.
    for (int row = 0; row < 6; ++row)
        Form1->chatLink().rowClient(row)->send(filledBlock("Mrow:" + QByteArray::number(row)));
    for (int c = 1; c < 12; c += 2)
        QVERIFY(clients[size_t(c)]->receive(chatlink::kBlockSize).startsWith("Mrow:"));
    QTRY_COMPARE(m_boxes->errors.size(), 3); // the three resets
}

QTEST_MAIN(TestHardening)
#include "tst_hardening.moc"
