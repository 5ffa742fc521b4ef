#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "boxwatcher.h"
#include "chatlink/block.h"
#include "chatlink/cp949.h"
#include "fonts.h"
#include "forms.h"
#include "rawclient.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

// The viewer and composer with the console, created and connected as the program does.
class TestMessageWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windows_data();
    void windows();
    void messageButtonOpensEmptyComposer();
    void sendsMessageToSelectedClient();
    void joinsBodyLinesWithCrLf();
    void failedSendKeepsTheBody();
    void tooLongBodyIsRefused();
    void clearEmptiesTheBodyOnly();
    void replyOpensEmptyComposer();
    void incomingMessageOpensViewer();
    void incomingMessageLeavesComposerAlone();
    void messagesArrivingDuringTheBoxAreKept();
    void closeBoxOnlyHides();
    void closingConsoleEndsProgramWithWindowsOpen();

private:
    std::unique_ptr<RawClient> connectListed();
    static QPlainTextEdit *memo(QWidget *window)
    {
        return window->findChild<QPlainTextEdit *>(u"Memo1"_s);
    }
    static QPushButton *button(QWidget *window, const char *name)
    {
        return window->findChild<QPushButton *>(QLatin1StringView(name));
    }

    std::unique_ptr<BoxWatcher> m_boxes;
};

void TestMessageWindows::initTestCase()
{
    console::installFontSubstitutes();
}

void TestMessageWindows::init()
{
    m_boxes = std::make_unique<BoxWatcher>();
    shell::createForms(0);
    Form2->Timer1Timer(); // straight to the console
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void TestMessageWindows::cleanup()
{
    shell::destroyForms();
    m_boxes.reset();
}

std::unique_ptr<RawClient> TestMessageWindows::connectListed()
{
    auto *list = Form1->findChild<QListWidget *>(u"ListBox1"_s);
    auto client =
        ::connectListed(Form1->ServerSocket1.serverPort(), [list] { return list->count(); });
    list->setCurrentRow(list->count() - 1);
    return client;
}

void TestMessageWindows::windows_data()
{
    QTest::addColumn<bool>("viewer");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QRect>("memoGeometry");
    QTest::addColumn<QStringList>("buttons"); // name, text, geometry as "x,y,w,h"
    QTest::newRow("viewer") << true << u"Form3"_s << QSize(359, 384) << QPoint(453, 286)
                            << QRect(0, 0, 353, 329)
                            << QStringList{u"Button1"_s, u"Retry To Write The Message"_s,
                                           u"48,352,265,25"_s};
    QTest::newRow("composer")
        << false << u"Form4"_s << QSize(360, 327) << QPoint(457, 302) << QRect(0, 0, 353, 273)
        << QStringList{u"Button1"_s, u"Send To Message"_s,         u"8,288,145,25"_s,
                       u"Button2"_s, u"Retry Write the Message"_s, u"208,288,131,25"_s};
}

void TestMessageWindows::windows()
{
    QFETCH(bool, viewer);
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(QPoint, position);
    QFETCH(QRect, memoGeometry);
    QFETCH(QStringList, buttons);
    QWidget *window = viewer ? static_cast<QWidget *>(Form3) : Form4;
    QVERIFY(!window->isVisible());
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->size(), size);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->pos(), position);
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(memo(window)->geometry(), memoGeometry);
    QVERIFY(memo(window)->toPlainText().isEmpty());
    QVERIFY(!memo(window)->isReadOnly());
    QCOMPARE(memo(window)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo(window)->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    for (qsizetype i = 0; i < buttons.size(); i += 3) {
        QPushButton *b = window->findChild<QPushButton *>(buttons.at(i));
        QVERIFY(b);
        QCOMPARE(b->text(), buttons.at(i + 1));
        const QStringList g = buttons.at(i + 2).split(u',');
        QCOMPARE(b->geometry(), QRect(g[0].toInt(), g[1].toInt(), g[2].toInt(), g[3].toInt()));
    }
}

void TestMessageWindows::messageButtonOpensEmptyComposer()
{
    memo(Form4)->setPlainText(u"left over"_s);
    QTest::mouseClick(button(Form1, "Button3"), Qt::LeftButton);
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->body(), QString());
}

void TestMessageWindows::sendsMessageToSelectedClient()
{
    auto client = connectListed();
    QVERIFY(client);
    Form1->Button3Click();
    QTest::keyClicks(memo(Form4), u"hi"_s);
    // Neither the chat mode nor anything else of the chat matters.
    QTest::mouseClick(button(Form4, "Button1"), Qt::LeftButton);
    QCOMPARE(client->receive(100), "SInput Data:hi"_ba + QByteArray(86, '\0'));
    QCOMPARE(Form4->body(), QString());
    QVERIFY(!Form4->isVisible());
}

void TestMessageWindows::joinsBodyLinesWithCrLf()
{
    auto client = connectListed();
    QVERIFY(client);
    Form1->findChild<QLineEdit *>(u"Edit3"_s)->setText(u"교감선생님"_s);
    Form1->Button3Click();
    memo(Form4)->setPlainText(u"a\nb"_s);
    Form4->Button1Click();
    QCOMPARE(client->receive(100),
             filledBlock("S"_ba + chatlink::toCp949(u"교감선생님"_s) + ":a\r\nb"_ba));
}

void TestMessageWindows::failedSendKeepsTheBody()
{
    auto client = connectListed();
    QVERIFY(client);
    Form1->findChild<QListWidget *>(u"ListBox1"_s)->setCurrentRow(-1);
    Form1->Button3Click();
    memo(Form4)->setPlainText(u"hi"_s);
    QTest::mouseClick(button(Form4, "Button1"), Qt::LeftButton);
    QTRY_COMPARE(m_boxes->errors, QStringList{u"List index out of bounds (-1)"_s});
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->body(), u"hi"_s);
    QCOMPARE(Form1->findChild<QLineEdit *>(u"Edit3"_s)->text(), u"Input Data"_s);

    // Sending again with a client selected sends the body once.
    Form1->findChild<QListWidget *>(u"ListBox1"_s)->setCurrentRow(0);
    Form4->Button1Click();
    QCOMPARE(client->receive(100), filledBlock("SInput Data:hi"));
}

void TestMessageWindows::tooLongBodyIsRefused()
{
    auto client = connectListed();
    QVERIFY(client);
    Form1->Button3Click();
    const QString body(90, u'x'); // with "SInput Data:" that is 102 bytes
    memo(Form4)->setPlainText(body);
    QTest::mouseClick(button(Form4, "Button1"), Qt::LeftButton);
    QTRY_COMPARE(m_boxes->errors, QStringList{u"메시지가 너무 깁니다 (최대 100바이트)"_s});
    QCOMPARE(Form4->body(), body);
    QVERIFY(Form4->isVisible());
    const QByteArray marker = filledBlock("Mmarker");
    Form1->selectedClient()->send(marker);
    QCOMPARE(client->receive(100), marker);
}

void TestMessageWindows::clearEmptiesTheBodyOnly()
{
    Form1->Button3Click();
    memo(Form4)->setPlainText(u"draft"_s);
    QTest::mouseClick(button(Form4, "Button2"), Qt::LeftButton);
    QCOMPARE(Form4->body(), QString());
    QVERIFY(Form4->isVisible());
}

void TestMessageWindows::replyOpensEmptyComposer()
{
    Form3->appendMessage(u"kim:see you"_s);
    Form3->show();
    memo(Form4)->setPlainText(u"old draft"_s);
    QTest::mouseClick(button(Form3, "Button1"), Qt::LeftButton);
    QVERIFY(!Form3->isVisible());
    QCOMPARE(Form3->text(), QString());
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->body(), QString());
}

void TestMessageWindows::incomingMessageOpensViewer()
{
    auto client = connectListed();
    QVERIFY(client);
    Form3->appendMessage(u"old"_s);
    bool viewerHiddenDuringBox = false;
    m_boxes->holdWhile = [&] {
        if (m_boxes->texts.endsWith(u"Message"_s))
            viewerHiddenDuringBox = !Form3->isVisible() && Form3->text().isEmpty();
        return false;
    };
    client->send(filledBlock(chatlink::toCp949(u"Skim:또 만나요\r\n내일"_s)));
    QTRY_VERIFY(Form3->isVisible());
    QVERIFY(m_boxes->texts.endsWith(u"Message"_s));
    QVERIFY(viewerHiddenDuringBox);
    QCOMPARE(Form3->text(), u"kim:또 만나요\n내일"_s);
}

void TestMessageWindows::incomingMessageLeavesComposerAlone()
{
    auto client = connectListed();
    QVERIFY(client);
    Form1->Button3Click();
    memo(Form4)->setPlainText(u"half written"_s);
    client->send(filledBlock("Skim:ping"));
    QTRY_COMPARE(Form3->text(), u"kim:ping"_s);
    QVERIFY(Form4->isVisible());
    QCOMPARE(Form4->body(), u"half written"_s);
}

void TestMessageWindows::messagesArrivingDuringTheBoxAreKept()
{
    auto client = connectListed();
    QVERIFY(client);
    // The second message arrives while the first one's box is open; its box opens over the first.
    bool secondSent = false;
    m_boxes->holdWhile = [&] {
        const qsizetype boxes = m_boxes->texts.count(u"Message"_s);
        if (boxes == 1 && !secondSent) {
            client->send(filledBlock("Skim:second"));
            secondSent = true;
        }
        return boxes < 2;
    };
    client->send(filledBlock("Skim:first"));
    QTRY_COMPARE(Form3->text(), u"kim:second\nkim:first"_s);
    QCOMPARE(messages::openBoxCount(), 0);
}

void TestMessageWindows::closeBoxOnlyHides()
{
    Form1->Button3Click();
    Form3->show();
    QVERIFY(Form3->close());
    QVERIFY(Form4->close());
    QVERIFY(!Form3->isVisible() && !Form4->isVisible());
    QVERIFY(Form1->isVisible());
    // Still there, only hidden.
    Form1->Button3Click();
    QVERIFY(Form4->isVisible());
}

void TestMessageWindows::closingConsoleEndsProgramWithWindowsOpen()
{
    Form3->show();
    Form1->Button3Click();
    QTimer::singleShot(0, Form1, &QWidget::close);
    QTimer watchdog;
    bool timedOut = false;
    connect(&watchdog, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    watchdog.start(5000);
    QApplication::exec();
    QVERIFY(!timedOut);
}

QTEST_MAIN(TestMessageWindows)
#include "tst_messagewindows.moc"
