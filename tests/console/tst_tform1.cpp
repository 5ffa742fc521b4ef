#include "Unit1.h"
#include "boxwatcher.h"
#include "chatlink/block.h"
#include "chatlink/cp949.h"
#include "fonts.h"
#include "messagebox.h"
#include "rawclient.h"
#include "statusclock.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

QString caption(QWidget *w)
{
    if (auto *box = qobject_cast<QGroupBox *>(w))
        return box->title();
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        return edit->text();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(w))
        return memo->toPlainText();
    return {};
}

} // namespace

class TestTForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowFrame();
    void controls_data();
    void controls();
    void tabOrder();
    void startsEmptyWithPlaceholders();
    void clickEmptiesPlaceholderFields();
    void cleanAndRemoteDoNothing();

    void clockFillsBothPanels();
    void clockTextsFollowLocale();

    void connectedClientIsConfirmedAndListed();
    void incomingChatLineReachesLog();
    void leavingClientLosesItsRow();
    void resetShowsSocketError();

    void guardShowsEscapingErrors();
    void nestedBoxesAreCapped();
    void connectionFloodKeepsEveryRow();
    void portInUseIsReported();

private:
    template <typename T> T *control(const char *name)
    {
        return m_form->findChild<T *>(QLatin1StringView(name));
    }
    std::unique_ptr<RawClient> connectListed();

    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<BoxWatcher> m_boxes;
};

void TestTForm1::initTestCase()
{
    console::installFontSubstitutes();
}

void TestTForm1::init()
{
    m_boxes = std::make_unique<BoxWatcher>();
    m_form = std::make_unique<TForm1>(0);
    QVERIFY(m_form->ServerSocket1.isListening());
}

void TestTForm1::cleanup()
{
    m_form.reset();
    QTRY_COMPARE(messages::openBoxCount(), 0);
    m_boxes.reset();
    const auto leaked = QApplication::topLevelWidgets();
    QVERIFY2(std::none_of(leaked.begin(), leaked.end(), [](QWidget *w) { return w->isVisible(); }),
             "a window was left open");
}

std::unique_ptr<RawClient> TestTForm1::connectListed()
{
    auto *list = control<QListWidget>("ListBox1");
    return ::connectListed(m_form->ServerSocket1.serverPort(), [list] { return list->count(); });
}

void TestTForm1::windowFrame()
{
    QCOMPARE(m_form->windowTitle(), u"Halcyra  Server"_s);
    QCOMPARE(m_form->size(), QSize(382, 604));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QCOMPARE(m_form->pos(), QPoint(196, 67));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_form->font().family(), u"MS Sans Serif"_s);
    QCOMPARE(m_form->font().pointSize(), 8);
    QVERIFY(!m_form->isVisible());
}

void TestTForm1::controls_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<int>("colourRole");
    QTest::addColumn<QColor>("colour");

    const QString form = u"TForm1"_s;
    const QString hy = u"HY울릉도B"_s;
    const QString dotum = u"돋움체"_s;
    const QString plain = u"MS Sans Serif"_s;
    const int title = QPalette::WindowText;
    const int button = QPalette::ButtonText;
    const int text = QPalette::Text;
    const int none = -1;
    auto row = [&](const char *name, const QString &parent, QRect g, const QString &t,
                   const QString &family, bool bold, bool underline, int role, QColor colour) {
        QTest::newRow(name) << parent << g << t << family << bold << underline << role << colour;
    };
    row("GroupBox4", form, {-1, 482, 194, 41}, u"Send"_s, dotum, true, true, title, kGreen);
    row("IP", form, {0, 288, 193, 193}, u"IP"_s, hy, true, true, title, kGreen);
    row("GroupBox3", form, {0, 24, 201, 177}, u"Chat"_s, dotum, true, true, title, kGreen);
    row("GroupBox2", form, {200, 479, 177, 44}, u"Adder_Name"_s, hy, true, true, title, kGreen);
    row("GroupBox1", form, {-1, 234, 194, 47}, u"Option"_s, plain, true, true, title, kGreen);
    row("Memo1", form, {6, 42, 186, 145}, QString(), plain, false, false, none, {});
    row("Edit1", form, {-1, 208, 154, 21}, QString(), plain, false, false, none, {});
    row("Button1", form, {157, 208, 41, 26}, u"Send"_s, hy, false, true, button, kBlack);
    row("ListBox1", form, {5, 304, 185, 169}, QString(), plain, false, false, none, {});
    row("Radio1", form, {17, 256, 65, 17}, u"Direct"_s, plain, false, false, none, {});
    row("Radio2", form, {102, 256, 73, 17}, u"Full Send"_s, plain, false, false, none, {});
    row("Edit2", form, {1, 0, 150, 19}, u"Nick  Name"_s, hy, false, true, text, kBlack);
    row("Button2", form, {152, 0, 41, 25}, u"Clean"_s, hy, false, true, button, kBlack);
    row("Edit3", form, {213, 496, 122, 21}, u"Input Data"_s, plain, true, false, none, {});
    row("Button3", form, {33, 497, 120, 23}, u" Message"_s, hy, false, true, button, kBlack);
    row("StatusBar1", form, {0, 580, 382, 24}, QString(), plain, false, false, none, {});
    row("TreeView1", form, {200, 0, 177, 474}, QString(), plain, false, false, none, {});
    row("GroupBox5", form, {0, 528, 193, 49}, u"Internet Search"_s, plain, true, true, title,
        kGreen);
    row("Button4", u"GroupBox5"_s, {129, 14, 57, 25}, u"Search"_s, plain, true, false, none, {});
    row("Edit4", u"GroupBox5"_s, {4, 17, 121, 21}, u"Write Your Question"_s, plain, true, true,
        text, kBlue);
    row("GroupBox6", form, {199, 528, 178, 49}, u"Remote Control"_s, plain, true, true, title,
        kGreen);
    row("Button5", u"GroupBox6"_s, {48, 18, 75, 25}, u"Remote"_s, plain, false, false, none, {});
}

void TestTForm1::controls()
{
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, family);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    QFETCH(int, colourRole);
    QFETCH(QColor, colour);

    auto *w = m_form->findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(w);
    QCOMPARE(w->parentWidget()->objectName(), parent);
    QCOMPARE(w->geometry(), geometry);
    QCOMPARE(caption(w), text);
    QCOMPARE(w->font().family(), family);
    QCOMPARE(w->font().pointSize(), 8);
    QCOMPARE(w->font().bold(), bold);
    QCOMPARE(w->font().underline(), underline);
    if (colourRole >= 0)
        QCOMPARE(w->palette().color(QPalette::ColorRole(colourRole)), colour);
    // Faces named in the layout resolve to one that holds Hangul.
    QVERIFY(QFontMetrics(w->font()).inFont(u'한'));
}

void TestTForm1::tabOrder()
{
    const QStringList expected{u"Memo1"_s,  u"Edit1"_s,   u"Button1"_s,   u"ListBox1"_s,
                               u"Radio1"_s, u"Radio2"_s,  u"Edit2"_s,     u"Button2"_s,
                               u"Edit3"_s,  u"Button3"_s, u"TreeView1"_s, u"Button4"_s,
                               u"Edit4"_s,  u"Button5"_s};
    QStringList order;
    QWidget *w = control<QWidget>("Memo1");
    do {
        if (expected.contains(w->objectName()))
            order.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != control<QWidget>("Memo1"));
    QCOMPARE(order, expected);
    for (const char *name : {"GroupBox1", "GroupBox5", "IP", "StatusBar1"})
        QCOMPARE(control<QWidget>(name)->focusPolicy(), Qt::NoFocus);
}

void TestTForm1::startsEmptyWithPlaceholders()
{
    QVERIFY(control<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
    QVERIFY(!control<QPlainTextEdit>("Memo1")->isReadOnly());
    QCOMPARE(control<QPlainTextEdit>("Memo1")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(control<QLineEdit>("Edit1")->text().isEmpty());
    QVERIFY(!control<QRadioButton>("Radio1")->isChecked());
    QVERIFY(!control<QRadioButton>("Radio2")->isChecked());
    QCOMPARE(control<QListWidget>("ListBox1")->count(), 0);
    QCOMPARE(control<QTreeWidget>("TreeView1")->indentation(), 19);
    QCOMPARE(m_form->selectedRow(), -1);
}

void TestTForm1::clickEmptiesPlaceholderFields()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    for (const char *name : {"Edit2", "Edit3", "Edit4"}) {
        auto *edit = control<QLineEdit>(name);
        QVERIFY(!edit->text().isEmpty());
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(edit->text(), QString());
        QTest::keyClicks(edit, u"kim"_s);
        QTest::mouseClick(control<QWidget>("Memo1"), Qt::LeftButton);
        QCOMPARE(edit->text(), u"kim"_s);
        // Every click empties it, not only the first.
        QTest::mouseClick(edit, Qt::LeftButton);
        QCOMPARE(edit->text(), QString());
    }
    m_form->hide();
}

void TestTForm1::cleanAndRemoteDoNothing()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    auto *nick = control<QLineEdit>("Edit2");
    auto *log = control<QPlainTextEdit>("Memo1");
    log->appendPlainText(u"kim:hello"_s);
    QTest::mouseClick(control<QPushButton>("Button2"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("Button5"), Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(nick->text(), u"Nick  Name"_s);
    QCOMPARE(log->toPlainText(), u"kim:hello"_s);
    QVERIFY(m_boxes->texts.isEmpty());
    m_form->hide();
}

void TestTForm1::clockFillsBothPanels()
{
    auto *status = control<QStatusBar>("StatusBar1");
    auto *version = status->findChild<QLabel *>(u"Panel0"_s);
    auto *date = status->findChild<QLabel *>(u"Panel1"_s);
    auto *time = status->findChild<QLabel *>(u"Panel2"_s);
    QCOMPARE(version->text(), u"Halcyra V.10"_s);
    QCOMPARE(version->width(), 170);
    QCOMPARE(date->width(), 100);
    QCOMPARE(time->width(), 50);
    QVERIFY(!date->text().isEmpty());
    QVERIFY(!time->text().isEmpty());

    // Both are rewritten on every tick, shown or not.
    date->clear();
    time->clear();
    QCOMPARE(m_form->Timer1.interval(), 1000);
    QSignalSpy tick(&m_form->Timer1, &QTimer::timeout);
    QVERIFY(tick.wait(2000));
    const console::ClockTexts now = console::clockTexts(QDateTime::currentDateTime());
    QCOMPARE(date->text(), now.date);
    QVERIFY(!time->text().isEmpty());
    QVERIFY(!m_form->isVisible());
}

void TestTForm1::clockTextsFollowLocale()
{
    const QDateTime evening(QDate(2026, 12, 6), QTime(21, 5, 3));
    const console::ClockTexts us = console::clockTexts(evening, QLocale(u"en_US"_s));
    QCOMPARE(us.date, u"12/6/26"_s);
    QCOMPARE(us.time, u"9:05:03 PM"_s);
    const console::ClockTexts midnight =
        console::clockTexts(QDateTime(QDate(2026, 12, 7), QTime(0, 0)), QLocale(u"de_DE"_s));
    QCOMPARE(midnight.date, u"07.12.26"_s);
    QCOMPARE(midnight.time, u"00:00:00"_s);
}

void TestTForm1::connectedClientIsConfirmedAndListed()
{
    auto client = connectListed();
    QVERIFY(client);
    QCOMPARE(m_boxes->texts, QStringList{u"클라이언트와 연결되었습니다"_s});
    QCOMPARE(control<QListWidget>("ListBox1")->item(0)->text(), u"127.0.0.1"_s);
}

void TestTForm1::incomingChatLineReachesLog()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    auto *log = control<QPlainTextEdit>("Memo1");
    a->send(filledBlock("Mkim:hello"));
    QTRY_COMPARE(log->toPlainText(), u"kim:hello"_s);
    b->send(filledBlock(chatlink::toCp949(u"M이:안녕하세요"_s)));
    QTRY_COMPARE(log->toPlainText(), u"kim:hello\n이:안녕하세요"_s);
}

void TestTForm1::leavingClientLosesItsRow()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    auto *list = control<QListWidget>("ListBox1");
    list->setCurrentRow(1);
    QCOMPARE(m_form->selectedRow(), 1);
    a->close();
    QTRY_COMPARE(list->count(), 1);
    QCOMPARE(m_form->selectedRow(), 0);
    m_form->chatLink().selectedClient()->send(filledBlock("Mfor:b"));
    QCOMPARE(b->receive(chatlink::kBlockSize), filledBlock("Mfor:b"));
    QVERIFY(m_boxes->errors.isEmpty());
}

void TestTForm1::resetShowsSocketError()
{
    auto a = connectListed();
    QVERIFY(a);
    a->reset();
    QTRY_COMPARE(m_boxes->errors.size(), 1);
    QVERIFY(m_boxes->errors.at(0).contains(u"Connection reset by peer"_s));
    QCOMPARE(control<QListWidget>("ListBox1")->count(), 0);
}

void TestTForm1::guardShowsEscapingErrors()
{
    messages::guarded([] { throw chatlink::ListIndexError(-1); });
    messages::guarded([] { throw std::runtime_error("plain failure"); });
    messages::guarded([] { throw 42; });
    QCOMPARE(m_boxes->errors,
             QStringList({u"List index out of bounds (-1)"_s, u"plain failure"_s, QString()}));
}

void TestTForm1::nestedBoxesAreCapped()
{
    constexpr int kEvents = messages::kMaxOpenBoxes + 4;
    int finished = 0;
    bool capHeld = false;
    // The boxes stay open until the cap is full and the events past it have finished; this runs
    // inside the innermost box's loop, where the test function itself cannot.
    m_boxes->holdWhile = [&] {
        if (messages::openBoxCount() == messages::kMaxOpenBoxes &&
            finished == kEvents - messages::kMaxOpenBoxes)
            capHeld = true;
        return !capHeld;
    };
    // Each event opens a box from inside the previous box's loop, as socket events do.
    for (int i = 0; i < kEvents; ++i) {
        QTimer::singleShot(0, this, [&] {
            messages::messageBox(u"box"_s);
            ++finished;
        });
    }
    QTRY_COMPARE(finished, kEvents);
    QVERIFY(capHeld);
    QCOMPARE(m_boxes->texts.size(), messages::kMaxOpenBoxes);
    QCOMPARE(m_boxes->mostOpen, messages::kMaxOpenBoxes);
}

void TestTForm1::connectionFloodKeepsEveryRow()
{
    constexpr int kClients = 20;
    auto *list = control<QListWidget>("ListBox1");
    bool capHeld = false;
    // Clients past the cap are listed at once while the first boxes are still open.
    m_boxes->holdWhile = [&] {
        if (list->count() == kClients - messages::kMaxOpenBoxes)
            capHeld = true;
        return !capHeld;
    };
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kClients; ++i)
        clients.push_back(std::make_unique<RawClient>(m_form->ServerSocket1.serverPort()));
    QTRY_COMPARE(list->count(), kClients);
    QVERIFY(capHeld);
    QCOMPARE(m_boxes->mostOpen, messages::kMaxOpenBoxes);
    // Every row still addresses its own client.
    for (int row = 0; row < kClients; ++row)
        m_form->chatLink().rowClient(row)->send(filledBlock("Mrow:" + QByteArray::number(row)));
    for (const auto &client : clients)
        QVERIFY(client->receive(chatlink::kBlockSize).startsWith("Mrow:"));
}

void TestTForm1::portInUseIsReported()
{
    TForm1 second(m_form->ServerSocket1.serverPort());
    QVERIFY(!second.ServerSocket1.isListening());
    QTRY_COMPARE(m_boxes->errors.size(), 1);
    QVERIFY(m_boxes->errors.at(0).contains(QString::number(m_form->ServerSocket1.serverPort())));
    QVERIFY(m_boxes->errors.at(0).contains(second.ServerSocket1.errorString()));
}

QTEST_MAIN(TestTForm1)
#include "tst_tform1.moc"
