// The console with the viewer and composer, as the program creates them, and real clients.

#include "Unit1.h"
#include "Unit3.h"
#include "Unit4.h"
#include "chatlink/block.h"
#include "chatlink/clientconnection.h"
#include "chatlink/cp949.h"
#include "chatlog.h"
#include "guard.h"
#include "program.h"
#include "websearch.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QLineEdit *entry()
{
    return control<QLineEdit>(Form1, "Edit1");
}

// Types a chat line with a nickname and a mode ("Radio1" Direct, "Radio2" Full Send, or none, as
// at start-up).
void typeLine(const char *mode, const QString &nick, const QString &line)
{
    if (mode)
        control<QRadioButton>(Form1, mode)->setChecked(true);
    control<QLineEdit>(Form1, "Edit2")->setText(nick);
    entry()->setText(line);
}

// The next bytes a client receives are what it was sent and then a marker: nothing else came.
QByteArray receivedBeforeMarker(RawClient &client, int row, qsizetype size)
{
    const QByteArray marker = filledBlock("Mmarker");
    Form1->chatLink().rowClient(row)->send(marker);
    const QByteArray got = client.receive(size + marker.size());
    return got.endsWith(marker) ? got.chopped(marker.size()) : "(no marker) " + got;
}

} // namespace

class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendsExactBytes_data();
    void sendsExactBytes();
    void fullSendReachesEveryClient();
    void refusedSendKeepsWhatWasTyped_data();
    void refusedSendKeepsWhatWasTyped();
    void messageWindowsRoundTrip();
    void contactMenuAddsAndDeletes();
    void webSearch();
    void chatLogBatchesInOrderAndStaysBounded();
    void guardShowsEscapingErrors();

private:
    std::unique_ptr<Program> m_program;
};

void TestConsole::init()
{
    m_program = std::make_unique<Program>();
}

void TestConsole::cleanup()
{
    m_program.reset();
}

void TestConsole::sendsExactBytes_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("logged");
    QTest::newRow("Direct: a whole block")
        << u"direct"_s << u"hello"_s << filledBlock("Mkim:hello") << u"kim:hello"_s;
    QTest::newRow("Direct: an empty line")
        << u"direct"_s << QString() << filledBlock("Mkim:") << u"kim:"_s;
    QTest::newRow("Direct: Hangul in code page 949")
        << u"direct"_s << u"안녕"_s << filledBlock("Mkim:\xBE\xC8\xB3\xE7") << u"kim:안녕"_s;
    QTest::newRow("Enter: the text alone")
        << u"enter"_s << u"hello"_s << "Mkim:hello"_ba << u"kim:hello"_s;
    QTest::newRow("composer: lines joined by CR LF")
        << u"composer"_s << u"a\nb"_s << filledBlock("SInput Data:a\r\nb") << QString();
}

void TestConsole::sendsExactBytes()
{
    QFETCH(QString, how);
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    QFETCH(QString, logged);
    auto first = m_program->connectListed();
    auto second = m_program->connectListed();
    QVERIFY(first && second);
    clientList()->setCurrentRow(1);
    typeLine("Radio1", u"kim"_s, text);
    if (how == u"direct") {
        Form1->Button1Click();
    } else if (how == u"enter") {
        QTest::keyClick(entry(), Qt::Key_Return);
    } else {
        control<QPushButton>(Form1, "Button3")->click();
        control<QPlainTextEdit>(Form4, "Memo1")->setPlainText(text);
        Form4->Button1Click();
        QVERIFY(!Form4->isVisible());
    }
    // Enter goes to the first client, the others to the selected one.
    RawClient &to = how == u"enter" ? *first : *second;
    RawClient &other = how == u"enter" ? *second : *first;
    QCOMPARE(receivedBeforeMarker(to, how == u"enter" ? 0 : 1, wire.size()), wire);
    QCOMPARE(receivedBeforeMarker(other, how == u"enter" ? 1 : 0, 0), QByteArray());
    QCOMPARE(chatLog()->toPlainText(), logged);
    QVERIFY(entry()->text().isEmpty() || how == u"composer");
    QVERIFY(m_program->boxes.texts.count() == 2); // the two confirmations
}

void TestConsole::fullSendReachesEveryClient()
{
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(m_program->connectListed());
    typeLine("Radio2", u"kim"_s, u"to all"_s);
    Form1->Button1Click();
    for (int row = 0; row < 3; ++row)
        QCOMPARE(receivedBeforeMarker(*clients[size_t(row)], row, chatlink::kBlockSize),
                 filledBlock("Mkim:to all"));
    QCOMPARE(chatLog()->toPlainText(), u"kim:to all"_s);
}

void TestConsole::refusedSendKeepsWhatWasTyped_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("clients");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("kept");
    const QString tooLong(101, u'x');
    const QString tooLongBox = u"메시지가 너무 깁니다 (최대 100바이트)"_s;
    const QString noRow = u"List index out of bounds (-1)"_s;
    QTest::newRow("no chat mode") << u"none"_s << 1 << u"hi"_s << u"채팅을 선택해주세요 ^_^"_s
                                  << QString();
    QTest::newRow("Direct, nothing selected") << u"direct"_s << 1 << u"hi"_s << noRow << u"hi"_s;
    QTest::newRow("Direct, the selected client left")
        << u"left"_s << 1 << u"hi"_s << noRow << u"hi"_s;
    QTest::newRow("Direct, too long") << u"direct"_s << 1 << tooLong << tooLongBox << tooLong;
    QTest::newRow("Full Send, nobody connected")
        << u"all"_s << 0 << u"hi"_s << u"연결된 접속자가 없습니다 "_s << u"hi"_s;
    QTest::newRow("Enter, nobody connected")
        << u"enter"_s << 0 << u"hi"_s << u"List index out of bounds (0)"_s << u"hi"_s;
    QTest::newRow("composer, nothing selected")
        << u"composer"_s << 1 << u"a\nb"_s << noRow << u"a\nb"_s;
    QTest::newRow("composer, too long") << u"composer"_s << 1 << tooLong << tooLongBox << tooLong;
}

void TestConsole::refusedSendKeepsWhatWasTyped()
{
    QFETCH(QString, how);
    QFETCH(int, clients);
    QFETCH(QString, text);
    QFETCH(QString, box);
    QFETCH(QString, kept);
    auto client = clients ? m_program->connectListed() : nullptr;
    if (how == u"left") {
        // When the selected client leaves, the selection moves to no other client.
        auto leaving = m_program->connectListed();
        clientList()->setCurrentRow(1);
        leaving->close();
        QTRY_COMPARE(clientList()->count(), 1);
        how = u"direct"_s;
    }
    if (how == u"direct" && text.size() > 100)
        clientList()->setCurrentRow(0);
    typeLine(how == u"none"  ? nullptr
             : how == u"all" ? "Radio2"
                             : "Radio1",
             u"kim"_s, how == u"composer" ? u"typed"_s : text);
    const qsizetype boxes = m_program->boxes.texts.size();
    auto *body = control<QPlainTextEdit>(Form4, "Memo1");
    if (how == u"composer") {
        if (text.size() > 100)
            clientList()->setCurrentRow(0);
        Form4->open();
        body->setPlainText(text);
        control<QPushButton>(Form4, "Button1")->click();
    } else if (how == u"enter") {
        QTest::keyClick(entry(), Qt::Key_Return);
    } else {
        control<QPushButton>(Form1, "Button1")->click();
    }
    QTRY_COMPARE(m_program->boxes.texts.sliced(boxes), QStringList{box});
    QCOMPARE(how == u"composer" ? body->toPlainText() : entry()->text(), kept);
    QVERIFY(chatLog()->toPlainText().isEmpty());
    if (client)
        QCOMPARE(receivedBeforeMarker(*client, 0, 0), QByteArray());
}

void TestConsole::messageWindowsRoundTrip()
{
    auto client = m_program->connectListed();
    QVERIFY(client);
    auto *body = control<QPlainTextEdit>(Form4, "Memo1");
    // " Message" opens the composer empty; its clear button empties it and leaves it open.
    body->setPlainText(u"draft"_s);
    control<QPushButton>(Form1, "Button3")->click();
    QVERIFY(Form4->isVisible() && body->toPlainText().isEmpty());
    body->setPlainText(u"half written"_s);
    control<QPushButton>(Form4, "Button2")->click();
    QVERIFY(Form4->isVisible() && body->toPlainText().isEmpty());
    // A message: its box, then the viewer with it; the reply empties both and opens the composer.
    client->send(filledBlock("Skim:see you\r\nbye"));
    QTRY_COMPARE(Form3->text(), u"kim:see you\nbye"_s);
    QVERIFY(Form3->isVisible() && m_program->boxes.texts.contains(u"Message"_s));
    body->setPlainText(u"old"_s);
    control<QPushButton>(Form3, "Button1")->click();
    QVERIFY(!Form3->isVisible() && Form3->text().isEmpty());
    QVERIFY(Form4->isVisible() && body->toPlainText().isEmpty());
}

void TestConsole::contactMenuAddsAndDeletes()
{
    auto *tree = control<QTreeWidget>(Form1, "TreeView1");
    auto *contact = control<QLineEdit>(Form1, "Edit3");
    QCOMPARE(tree->topLevelItemCount(), 13);
    // Nothing selected: a new top-level entry at the end.
    contact->setText(u"kim"_s);
    Form1->PopupMenu1()->findChild<QAction *>(u"N1"_s)->trigger();
    QCOMPARE(tree->topLevelItem(13)->text(0), u"kim"_s);
    // A child selected: at the end of its level, and the selection stays.
    auto *child = new QTreeWidgetItem(tree->topLevelItem(0), {u"child"_s});
    tree->setCurrentItem(child);
    contact->setText(u"lee"_s);
    Form1->N1Click();
    QCOMPARE(tree->topLevelItem(0)->child(1)->text(0), u"lee"_s);
    QCOMPARE(tree->currentItem(), child);
    // Deleting takes the children along; with nothing selected it does nothing.
    tree->setCurrentItem(tree->topLevelItem(0));
    Form1->N2Click();
    tree->clearSelection();
    Form1->N2Click();
    QCOMPARE(tree->topLevelItemCount(), 13);
    QVERIFY(tree->findItems(u"lee"_s, Qt::MatchRecursive).isEmpty());
}

void TestConsole::webSearch()
{
    // The question reaches the service as typed, whatever it holds.
    const QUrl address = console::searchAddress(u"rock & roll #1 + 100%"_s);
    QCOMPARE(address.toEncoded(), "http://search.naver.com/search.naver?where=nexearch&query="
                                  "rock%20%26%20roll%20%231%20%2B%20100%25&frm=t1"_ba);
    QList<QUrl> opened;
    Form1->openUrl = [&](const QUrl &url) { return opened.append(url), opened.size() == 1; };
    control<QLineEdit>(Form1, "Edit4")->setText(u"rock & roll #1 + 100%"_s);
    Form1->Button4Click(); // opens
    Form1->Button4Click(); // does not
    QCOMPARE(opened, QList({address, address}));
    QTRY_COMPARE(m_program->boxes.texts,
                 QStringList{u"웹 브라우저를 열 수 없습니다: "_s + address.toString()});
}

void TestConsole::chatLogBatchesInOrderAndStaysBounded()
{
    QPlainTextEdit view;
    console::ChatLog log(view);
    // Bursts arrive in order; an operator's line comes at once, after the pending ones.
    log.append(u"kim:first"_s);
    log.appendNow(u"me:reply"_s);
    QCOMPARE(view.toPlainText(), u"kim:first\nme:reply"_s);
    const int total = console::ChatLog::kMaxLines + 50;
    for (int i = 0; i < total; ++i) {
        log.append(QString::number(i));
        if (i % 1000 == 0)
            QCoreApplication::processEvents();
    }
    QTRY_COMPARE(view.document()->lastBlock().text(), QString::number(total - 1));
    QCOMPARE(view.document()->blockCount(), console::ChatLog::kMaxLines);
    QCOMPARE(view.document()->firstBlock().text(), u"50"_s);
    QTextBlock block = view.document()->firstBlock();
    for (int i = 50; i < total; ++i, block = block.next())
        QCOMPARE(block.text(), QString::number(i));
}

void TestConsole::guardShowsEscapingErrors()
{
    uisupport::guarded([] { throw chatlink::ListIndexError(-1); });
    uisupport::guarded([] { throw std::runtime_error("plain failure"); });
    uisupport::guarded([] { throw 42; });
    QCOMPARE(m_program->boxes.errors,
             QStringList({u"List index out of bounds (-1)"_s, u"plain failure"_s, QString()}));
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
