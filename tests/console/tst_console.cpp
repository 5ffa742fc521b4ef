// The console with the viewer and composer, as the program creates them, and real clients.

#include "Unit1.h"
#include "Unit3.h"
#include "Unit4.h"
#include "chatlink/clientconnection.h"
#include "guard.h"
#include "program.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QLineEdit *entry()
{
    return control<QLineEdit>(Form1, "Edit1");
}

// Types a chat line as "kim", in a mode ("Radio1" Direct, "Radio2" Full Send, or none as at
// start-up).
void typeLine(const char *mode, const QString &line)
{
    if (mode)
        control<QRadioButton>(Form1, mode)->setChecked(true);
    control<QLineEdit>(Form1, "Edit2")->setText(u"kim"_s);
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
    void init() { m_program = std::make_unique<Program>(); }
    void cleanup() { m_program.reset(); }

    void sendsExactBytes_data();
    void sendsExactBytes();
    void fullSendReachesEveryClient();
    void refusedSendKeepsWhatWasTyped_data();
    void refusedSendKeepsWhatWasTyped();
    void messageWindowsRoundTrip();
    void guardShowsEscapingErrors();

private:
    std::unique_ptr<Program> m_program;
};

void TestConsole::sendsExactBytes_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("logged");
    QTest::newRow("Direct: a whole block")
        << u"direct"_s << u"hello"_s << filledBlock("Mkim:hello") << u"kim:hello"_s;
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
    typeLine("Radio1", text);
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
}

void TestConsole::fullSendReachesEveryClient()
{
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(m_program->connectListed());
    typeLine("Radio2", u"to all"_s);
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
    const char *mode = how == u"none" ? nullptr : how == u"all" ? "Radio2" : "Radio1";
    typeLine(mode, how == u"composer" ? u"typed"_s : text);
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
