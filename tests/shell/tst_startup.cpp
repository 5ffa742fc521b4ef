// Start-up: the splash, the hand-over to the console, and the end of the program.

#include "Unit1.h"
#include "Unit2.h"
#include "boxwatcher.h"
#include "forms.h"
#include "rawclient.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <chrono>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void splashAloneWhileListeningThenConsoleOnce();
    void handOverNeverComesEarly();
    void consoleShownDuringABoxTakesInput();
    void closingEitherWindowEndsProgram_data();
    void closingEitherWindowEndsProgram();
};

void TestStartup::init()
{
    shell::createForms(0);
    Form2->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
}

void TestStartup::cleanup()
{
    shell::destroyForms();
}

void TestStartup::splashAloneWhileListeningThenConsoleOnce()
{
    QVERIFY(!Form1->isVisible());
    QVERIFY(Form1->ServerSocket1.isListening());
    Form2->Timer1Timer();
    QVERIFY(!Form2->isVisible());
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form2->Timer1.isActive());
    // Showing the console again never brings the splash back.
    Form1->hide();
    Form1->show();
    QCoreApplication::processEvents();
    QVERIFY(!Form2->isVisible());
    QVERIFY(!Form2->Timer1.isActive());
}

void TestStartup::handOverNeverComesEarly()
{
    // A coarse timer may fire up to 5 % early, at a whole second of the monotonic clock: start
    // the splash's timer where that would show, 150 ms past a whole second.
    using namespace std::chrono;
    const auto phase = [] {
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()) % 1000;
    };
    for (const auto until = steady_clock::now() + 2s; steady_clock::now() < until;) {
        if (phase() == 150ms)
            break;
    }
    QElapsedTimer clock;
    clock.start();
    Form2->Timer1.start();
    QSignalSpy shown(Form1, &TForm1::shown);
    QVERIFY(shown.wait(8000));
    QVERIFY2(clock.elapsed() >= 4000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!Form2->isVisible());
}

void TestStartup::consoleShownDuringABoxTakesInput()
{
    // A client connects during the splash; the hand-over comes while its box is open. The
    // console was not visible when the box opened, so it takes the operator's keys.
    BoxWatcher boxes;
    QString typed;
    bool handedOver = false;
    boxes.holdWhile = [&] {
        if (boxes.texts.isEmpty() || handedOver)
            return false;
        Form2->Timer1Timer();
        auto *edit = Form1->findChild<QLineEdit *>(u"Edit1"_s);
        edit->setFocus();
        QTest::keyClick(Form1->windowHandle(), 'a');
        typed = edit->text();
        handedOver = true;
        return false;
    };
    RawClient client(Form1->ServerSocket1.serverPort());
    QTRY_VERIFY(handedOver);
    QCOMPARE(typed, u"a"_s);
    QTRY_COMPARE(Form1->findChild<QListWidget *>(u"ListBox1"_s)->count(), 1);
}

void TestStartup::closingEitherWindowEndsProgram_data()
{
    QTest::addColumn<bool>("console");
    QTest::newRow("the console") << true;
    QTest::newRow("the hidden splash") << false;
}

void TestStartup::closingEitherWindowEndsProgram()
{
    QFETCH(bool, console);
    Form2->Timer1Timer();
    QTimer::singleShot(0, console ? static_cast<QWidget *>(Form1) : Form2, &QWidget::close);
    bool ended = true;
    QTimer::singleShot(5000, [&] {
        ended = false;
        QCoreApplication::quit();
    });
    QApplication::exec();
    QVERIFY(ended);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
