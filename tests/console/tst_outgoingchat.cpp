#include "Unit1.h"
#include "boxwatcher.h"
#include "chatlink/block.h"
#include "chatlink/chatserver.h"
#include "chatlink/cp949.h"
#include "fonts.h"
#include "rawclient.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString kTooLong = u"메시지가 너무 깁니다 (최대 100바이트)"_s;
} // namespace

// Chat lines the operator sends, received by real clients on loopback.
class TestOutgoingChat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sendWithoutModeAsksForOne();
    void directSendsFullBlockToSelectedClient();
    void directWithoutSelectionKeepsTheLine();
    void fullSendReachesEveryClient();
    void fullSendWithoutClientsKeepsTheLine();
    void enterSendsUnfilledTextToFirstClient();
    void enterWithoutClientsKeepsTheLine();
    void enterDoesNothingWhenNotListening();
    void emptyLineIsSent();
    void hangulTravelsAsCodePage949();
    void tooLongLineIsRefused_data();
    void tooLongLineIsRefused();

private:
    template <typename T> T *control(const char *name)
    {
        return m_form->findChild<T *>(QLatin1StringView(name));
    }
    std::unique_ptr<RawClient> connectListed();
    void typeLine(const QString &nick, const QString &line);
    // The next bytes a client receives are the marker: nothing was sent to it before.
    bool receivedNothingElse(RawClient &client, int row);
    QString log() { return control<QPlainTextEdit>("Memo1")->toPlainText(); }
    QString entry() { return control<QLineEdit>("Edit1")->text(); }

    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<BoxWatcher> m_boxes;
};

void TestOutgoingChat::initTestCase()
{
    console::installFontSubstitutes();
}

void TestOutgoingChat::init()
{
    m_boxes = std::make_unique<BoxWatcher>();
    m_form = std::make_unique<TForm1>(0);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestOutgoingChat::cleanup()
{
    m_form.reset();
    m_boxes.reset();
}

std::unique_ptr<RawClient> TestOutgoingChat::connectListed()
{
    auto *list = control<QListWidget>("ListBox1");
    return ::connectListed(m_form->ServerSocket1.serverPort(), [list] { return list->count(); });
}

void TestOutgoingChat::typeLine(const QString &nick, const QString &line)
{
    control<QLineEdit>("Edit2")->setText(nick);
    control<QLineEdit>("Edit1")->setText(line);
}

bool TestOutgoingChat::receivedNothingElse(RawClient &client, int row)
{
    const QByteArray marker = filledBlock("Mmarker");
    m_form->chatLink().rowClient(row)->send(marker);
    return client.receive(marker.size()) == marker;
}

void TestOutgoingChat::sendWithoutModeAsksForOne()
{
    auto client = connectListed();
    QVERIFY(client);
    control<QListWidget>("ListBox1")->setCurrentRow(0);
    typeLine(u"kim"_s, u"hello"_s);
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    QTRY_VERIFY(m_boxes->texts.contains(u"채팅을 선택해주세요 ^_^"_s));
    QTRY_COMPARE(entry(), QString());
    QCOMPARE(log(), QString());
    QVERIFY(receivedNothingElse(*client, 0));
}

void TestOutgoingChat::directSendsFullBlockToSelectedClient()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    control<QRadioButton>("Radio1")->setChecked(true);
    control<QListWidget>("ListBox1")->setCurrentRow(1);
    typeLine(u"kim"_s, u"hello"_s);
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    QCOMPARE(b->receive(100), "Mkim:hello"_ba + QByteArray(90, '\0'));
    QCOMPARE(log(), u"kim:hello"_s);
    QCOMPARE(entry(), QString());
    QCOMPARE(control<QLineEdit>("Edit2")->text(), u"kim"_s);
    QVERIFY(receivedNothingElse(*a, 0));
}

void TestOutgoingChat::directWithoutSelectionKeepsTheLine()
{
    auto client = connectListed();
    QVERIFY(client);
    control<QRadioButton>("Radio1")->setChecked(true);
    typeLine(u"kim"_s, u"hello"_s);
    QVERIFY_THROWS_EXCEPTION(chatlink::ListIndexError, m_form->Button1Click());
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    QTRY_COMPARE(m_boxes->errors, QStringList{u"List index out of bounds (-1)"_s});
    QCOMPARE(log(), QString());
    QCOMPARE(entry(), u"hello"_s);

    // Sending again once a client is selected sends the line once, as typed.
    control<QListWidget>("ListBox1")->setCurrentRow(0);
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    QCOMPARE(client->receive(100), filledBlock("Mkim:hello"));
    QCOMPARE(log(), u"kim:hello"_s);
}

void TestOutgoingChat::fullSendReachesEveryClient()
{
    auto a = connectListed();
    auto b = connectListed();
    auto c = connectListed();
    QVERIFY(a && b && c);
    control<QRadioButton>("Radio2")->setChecked(true);
    typeLine(u"kim"_s, u"to all"_s);
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    for (RawClient *client : {a.get(), b.get(), c.get()})
        QCOMPARE(client->receive(100), filledBlock("Mkim:to all"));
    QCOMPARE(log(), u"kim:to all"_s);
    QCOMPARE(entry(), QString());
    QVERIFY(m_boxes->texts.count() == 3); // the three confirmations only
    // One block each, no more.
    QVERIFY(receivedNothingElse(*a, 0));
    QVERIFY(receivedNothingElse(*c, 2));
}

void TestOutgoingChat::fullSendWithoutClientsKeepsTheLine()
{
    control<QRadioButton>("Radio2")->setChecked(true);
    typeLine(u"kim"_s, u"anyone?"_s);
    QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    QTRY_COMPARE(m_boxes->texts, QStringList{u"연결된 접속자가 없습니다 "_s});
    QCOMPARE(log(), QString());
    QCOMPARE(entry(), u"anyone?"_s);
}

void TestOutgoingChat::enterSendsUnfilledTextToFirstClient()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    control<QListWidget>("ListBox1")->setCurrentRow(1);
    control<QLineEdit>("Edit2")->setText(u"kim"_s);
    auto *edit = control<QLineEdit>("Edit1");
    edit->setFocus();
    QTest::keyClicks(edit, u"hello"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    // Exactly the text's ten bytes, then the marker: no zero fill.
    const QByteArray marker = filledBlock("Mmarker");
    m_form->chatLink().rowClient(0)->send(marker);
    QCOMPARE(a->receive(10 + marker.size()), "Mkim:hello"_ba + marker);
    QCOMPARE(log(), u"kim:hello"_s);
    QCOMPARE(edit->text(), QString());
    QVERIFY(receivedNothingElse(*b, 1));
}

void TestOutgoingChat::enterWithoutClientsKeepsTheLine()
{
    typeLine(u"kim"_s, u"hello"_s);
    QTest::keyClick(control<QLineEdit>("Edit1"), Qt::Key_Return);
    QTRY_COMPARE(m_boxes->errors, QStringList{u"List index out of bounds (0)"_s});
    QCOMPARE(log(), QString());
    QCOMPARE(entry(), u"hello"_s);
}

void TestOutgoingChat::enterDoesNothingWhenNotListening()
{
    TForm1 second(m_form->ServerSocket1.serverPort());
    QVERIFY(!second.ServerSocket1.isListening());
    QTRY_COMPARE(m_boxes->errors.size(), 1); // the port could not be opened
    auto *edit = second.findChild<QLineEdit *>(u"Edit1"_s);
    edit->setText(u"hello"_s);
    second.Edit1KeyPress(QChar(u'\r'));
    QCOMPARE(edit->text(), u"hello"_s);
    QCOMPARE(second.findChild<QPlainTextEdit *>(u"Memo1"_s)->toPlainText(), QString());
    QCOMPARE(m_boxes->errors.size(), 1);
}

void TestOutgoingChat::emptyLineIsSent()
{
    auto client = connectListed();
    QVERIFY(client);
    control<QRadioButton>("Radio1")->setChecked(true);
    control<QListWidget>("ListBox1")->setCurrentRow(0);
    typeLine(u"kim"_s, QString());
    m_form->Button1Click();
    QCOMPARE(client->receive(100), filledBlock("Mkim:"));
    QCOMPARE(log(), u"kim:"_s);
}

void TestOutgoingChat::hangulTravelsAsCodePage949()
{
    auto client = connectListed();
    QVERIFY(client);
    control<QRadioButton>("Radio1")->setChecked(true);
    control<QListWidget>("ListBox1")->setCurrentRow(0);
    typeLine(u"김선생"_s, u"안녕하세요"_s);
    m_form->Button1Click();
    const QByteArray expected =
        "M\xB1\xE8\xBC\xB1\xBB\xFD:\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4"_ba;
    QCOMPARE(client->receive(100), filledBlock(expected));
    QCOMPARE(log(), u"김선생:안녕하세요"_s);
}

void TestOutgoingChat::tooLongLineIsRefused_data()
{
    QTest::addColumn<bool>("enter");
    QTest::addColumn<QString>("line");
    // "Mkim:" is five bytes; each Hangul syllable is two.
    QTest::newRow("send, 96 ASCII bytes") << false << QString(96, u'x');
    QTest::newRow("send, 48 syllables") << false << QString(48, u'한');
    QTest::newRow("enter, 48 syllables") << true << QString(48, u'한');
}

void TestOutgoingChat::tooLongLineIsRefused()
{
    QFETCH(bool, enter);
    QFETCH(QString, line);
    auto client = connectListed();
    QVERIFY(client);
    control<QRadioButton>("Radio1")->setChecked(true);
    control<QListWidget>("ListBox1")->setCurrentRow(0);
    typeLine(u"kim"_s, line);
    if (enter)
        QTest::keyClick(control<QLineEdit>("Edit1"), Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>("Button1"), Qt::LeftButton);
    QTRY_COMPARE(m_boxes->errors, QStringList{kTooLong});
    QCOMPARE(entry(), line);
    QCOMPARE(log(), QString());
    QVERIFY(receivedNothingElse(*client, 0));

    // One character less fits exactly.
    line.chop(1);
    typeLine(u"kim"_s, line);
    m_form->Button1Click();
    const QByteArray text = "Mkim:"_ba + chatlink::toCp949(line);
    QVERIFY(text.size() >= 99);
    QCOMPARE(client->receive(100), filledBlock(text));
}

QTEST_MAIN(TestOutgoingChat)
#include "tst_outgoingchat.moc"
