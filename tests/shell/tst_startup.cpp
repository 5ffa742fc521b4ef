#include "Unit1.h"
#include "Unit2.h"
#include "boxwatcher.h"
#include "forms.h"
#include "rawclient.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <chrono>

using namespace Qt::StringLiterals;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void splashWindow();
    void splashShowsBitmapAtNaturalSize();
    void startsWithSplashAloneWhileListening();
    void handsOverOnce();
    void timerHandsOverAfterFourSeconds();
    void consoleShownDuringABoxTakesInput();
    void closingConsoleEndsProgram();
    void closingHiddenSplashEndsProgram();
    void artworkFormats();

private:
    // Runs the event loop until the program ends; false if it did not within the time.
    bool runUntilQuit(int timeoutMs = 5000);
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

bool TestStartup::runUntilQuit(int timeoutMs)
{
    bool timedOut = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    watchdog.start(timeoutMs);
    QApplication::exec();
    return !timedOut;
}

void TestStartup::splashWindow()
{
    QCOMPARE(Form2->windowTitle(), u"Halcyra Server"_s);
    QVERIFY(Form2->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(Form2->size(), QSize(633, 360));
    QCOMPARE(Form2->pos(), QPoint(704, 159));
    auto *image = Form2->findChild<QLabel *>(u"Image1"_s);
    QVERIFY(image);
    QCOMPARE(image->geometry(), QRect(0, -8, 633, 369));
    QVERIFY(!image->hasScaledContents());
    QCOMPARE(image->pixmap().size(), QSize(655, 368));
}

void TestStartup::splashShowsBitmapAtNaturalSize()
{
    const QImage bitmap(u":/halcyra/splash.bmp"_s);
    const QImage shown = Form2->grab().toImage();
    QCOMPARE(shown.size(), QSize(633, 360));
    // Rows 8 to 367 and columns 0 to 632 of the bitmap are visible, unscaled.
    for (const QPoint p : {QPoint(0, 0), QPoint(632, 359), QPoint(316, 180), QPoint(40, 330)})
        QCOMPARE(QColor(shown.pixel(p)), QColor(bitmap.pixel(p + QPoint(0, 8))));
}

void TestStartup::startsWithSplashAloneWhileListening()
{
    QVERIFY(Form2->isVisible());
    QVERIFY(!Form1->isVisible());
    QVERIFY(Form1->ServerSocket1.isListening());
    QVERIFY(Form1->Timer1.isActive());
    QVERIFY(Form2->Timer1.isActive());
    QCOMPARE(Form2->Timer1.interval(), 4000);
}

void TestStartup::handsOverOnce()
{
    Form2->Timer1Timer();
    QVERIFY(!Form2->isVisible());
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form2->Timer1.isActive());
    QCOMPARE(Form2->Timer1.interval(), 0);
    // Showing the console again never brings the splash back.
    Form1->hide();
    Form1->show();
    QCoreApplication::processEvents();
    QVERIFY(!Form2->isVisible());
    QVERIFY(!Form2->Timer1.isActive());
}

void TestStartup::timerHandsOverAfterFourSeconds()
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
    QVERIFY(Form1->isVisible());
    QVERIFY(!Form2->Timer1.isActive());
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

void TestStartup::closingConsoleEndsProgram()
{
    Form2->Timer1Timer();
    QTimer::singleShot(0, Form1, &QWidget::close);
    QVERIFY(runUntilQuit());
    QVERIFY(!Form1->isVisible());
}

void TestStartup::closingHiddenSplashEndsProgram()
{
    Form2->Timer1Timer();
    QVERIFY(!Form2->isVisible());
    QTimer::singleShot(0, Form2, &QWidget::close);
    QVERIFY(runUntilQuit());
}

void TestStartup::artworkFormats()
{
    QFile bmp(u":/halcyra/splash.bmp"_s);
    QVERIFY(bmp.open(QIODevice::ReadOnly));
    const QByteArray header = bmp.read(54);
    QVERIFY(header.startsWith("BM"));
    QCOMPARE(qFromLittleEndian<qint32>(header.constData() + 18), 655);
    QCOMPARE(qFromLittleEndian<qint32>(header.constData() + 22), 368);
    QCOMPARE(qFromLittleEndian<quint16>(header.constData() + 28), 24);

    QFile ico(u":/halcyra/halcyra.ico"_s);
    QVERIFY(ico.open(QIODevice::ReadOnly));
    const QByteArray entry = ico.read(22);
    QCOMPARE(quint8(entry[6]), 32);                                  // width
    QCOMPARE(quint8(entry[7]), 32);                                  // height
    QCOMPARE(quint8(entry[8]), 16);                                  // colours
    QCOMPARE(qFromLittleEndian<quint16>(entry.constData() + 12), 4); // bits per pixel
    QCOMPARE(QImage(u":/halcyra/halcyra.ico"_s).size(), QSize(32, 32));

    for (int i = 0; i < 13; ++i)
        QCOMPARE(QImage(u":/halcyra/roles/role%1.png"_s.arg(i, 2, 10, QChar(u'0'))).size(),
                 QSize(16, 16));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
