// The student's program and the teacher's, together on loopback, driven through their windows.

#include "inboxwindow.h"
#include "messagecomposer.h"
#include "studentprogram.h"
#include "studentwindow.h"
#include "testprogram.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestStudent : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The student's settings go to a folder of the test's own.
        qputenv("XDG_CONFIG_HOME", m_settings.path().toLocal8Bit());
        QCoreApplication::setOrganizationName(u"Halcyra"_s);
    }

    void init()
    {
        m_student = std::make_unique<student::StudentProgram>();
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }

    void cleanup()
    {
        m_student.reset();
        m_teacher.reset();
    }

    void chatAndMessagesBothWays()
    {
        QVERIFY(joinTeacher());
        // The student's Hangul line, with Enter; it shows in both logs as the teacher's do.
        auto &entry = control<QLineEdit>(window(), "chatEntry");
        type(entry, u"안녕하세요"_s);
        QTest::keyClick(&entry, Qt::Key_Return);
        QTRY_COMPARE(m_teacher->chatLog().toPlainText(), u"학생:안녕하세요"_s);
        // The teacher's, Direct to the student, then with Enter (no zero fill): both arrive exact.
        QTest::mouseClick(m_teacher->clientList().viewport(), Qt::LeftButton, {},
                          m_teacher->clientList()
                              .visualRect(m_teacher->clientList().model()->index(0, 0))
                              .center());
        QTest::mouseClick(&m_teacher->directMode(), Qt::LeftButton);
        type(m_teacher->nicknameField(), u"선생님"_s);
        type(m_teacher->chatEntry(), u"반가워요"_s);
        QTest::mouseClick(&m_teacher->sendButton(), Qt::LeftButton);
        type(m_teacher->chatEntry(), u"엔터로"_s);
        QTest::keyClick(&m_teacher->chatEntry(), Qt::Key_Return);
        auto &log = control<chatlog::ChatLogView>(window(), "chatLog");
        QTRY_COMPARE(log.toPlainText(), u"학생:안녕하세요\n선생님:반가워요\n선생님:엔터로"_s);

        // A message each way; the teacher's two in a row are both kept.
        QTest::mouseClick(&control<QPushButton>(window(), "composeButton"), Qt::LeftButton);
        auto &body = control<QPlainTextEdit>(m_student->composer(), "messageBody");
        type(body, u"첫 줄"_s);
        QTest::keyClick(&body, Qt::Key_Return);
        type(body, u"둘째 줄"_s);
        QTest::mouseClick(&control<QPushButton>(m_student->composer(), "sendButton"),
                          Qt::LeftButton);
        QTRY_COMPARE(m_teacher->program.viewer().text(), u"학생:첫 줄\n둘째 줄"_s);
        for (const QString &text : {u"하나"_s, u"둘"_s}) {
            QTest::mouseClick(&m_teacher->composeButton(), Qt::LeftButton);
            type(m_teacher->composerBody(), text);
            QTest::mouseClick(&m_teacher->composerSend(), Qt::LeftButton);
        }
        QTRY_COMPARE(m_student->inbox().text(), u"Input Data:하나\nInput Data:둘"_s);
        QTest::mouseClick(&control<QPushButton>(m_student->inbox(), "readButton"), Qt::LeftButton);
        QVERIFY(m_student->inbox().text().isEmpty() && !m_student->inbox().isVisible());

        // The teacher's address and the nickname are remembered for the next start.
        m_student = std::make_unique<student::StudentProgram>();
        QCOMPARE(control<QLineEdit>(window(), "hostField").text(), u"127.0.0.1"_s);
        QCOMPARE(control<QLineEdit>(window(), "nicknameField").text(), u"학생"_s);
    }

    void aLineTooLongIsRefused()
    {
        QVERIFY(joinTeacher());
        // "M", "학생", ":" and 51 syllables, two bytes each in code page 949: 108 bytes, 8 too
        // many.
        auto &entry = control<QLineEdit>(window(), "chatEntry");
        const QString line(51, u'가');
        QApplication::clipboard()->setText(line);
        QTest::keyClick(&entry, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(&entry, Qt::Key_Return);
        QTRY_COMPARE(m_teacher->boxes.texts.last(),
                     u"8바이트 너무 깁니다 (최대 100바이트, 한글은 한 글자에 2바이트)"_s);
        QCOMPARE(entry.text(), line);
        // Nothing went out: the next line is the first the teacher gets.
        QTRY_COMPARE(m_teacher->boxes.visible(), 0);
        entry.clear();
        type(entry, u"짧게"_s);
        QTest::keyClick(&entry, Qt::Key_Return);
        QTRY_COMPARE(m_teacher->chatLog().toPlainText(), u"학생:짧게"_s);
        // A message too long stays in the composer as typed.
        QTest::mouseClick(&control<QPushButton>(window(), "composeButton"), Qt::LeftButton);
        auto &body = control<QPlainTextEdit>(m_student->composer(), "messageBody");
        QApplication::clipboard()->setText(line);
        QTest::keyClick(&body, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(&control<QPushButton>(m_student->composer(), "sendButton"),
                          Qt::LeftButton);
        QTRY_COMPARE(m_teacher->boxes.texts.last(),
                     u"8바이트 너무 깁니다 (최대 100바이트, 한글은 한 글자에 2바이트)"_s);
        QCOMPARE(body.toPlainText(), line);
        QVERIFY(m_student->composer().isVisible());
    }

    void theServerLeavesAndComesBack()
    {
        QVERIFY(joinTeacher());
        const quint16 port = m_teacher->program.server().serverPort();
        m_teacher.reset();
        QTRY_COMPARE(status(), u"선생님 서버가 연결을 끊었습니다 · 1초 뒤 다시 접속합니다"_s);
        QTRY_COMPARE(spoken(), status());
        // Tried again on its own, each time after twice the pause, until the teacher's program is
        // back.
        for (const QString &pause : {u"2초"_s, u"4초"_s})
            QTRY_VERIFY_WITH_TIMEOUT(
                status().startsWith(u"접속 거부: "_s) &&
                    status().endsWith(u" · %1 뒤 다시 접속합니다"_s.arg(pause)),
                5000);
        m_teacher = std::make_unique<TestProgram>(0, port);
        QTRY_COMPARE_WITH_TIMEOUT(m_teacher->clientList().model()->rowCount(), 1, 20000);
        QVERIFY2(status().startsWith(u"127.0.0.1:%1에 접속함"_s.arg(port)), qPrintable(status()));
        QTRY_COMPARE(spoken(), status());
        // Leaving stops it.
        QTest::mouseClick(&control<QPushButton>(window(), "leaveButton"), Qt::LeftButton);
        QCOMPARE(status(), u"접속하지 않음"_s);
        QTRY_COMPARE(m_teacher->clientList().model()->rowCount(), 0);
    }

    void failuresAreTold_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("withinMs");
        QTest::newRow("refused") << u"127.0.0.1"_s
                                 << u"접속 거부: 127.0.0.1:%1에서 선생님 서버가 실행되고 있지 "
                                    u"않습니다 (Connection refused)"_s
                                 << 2000;
        QTest::newRow("unreachable") << u"255.255.255.255"_s
                                     << u"연결할 수 없음: 255.255.255.255에 닿을 수 없습니다 "
                                        u"(Network unreachable)"_s
                                     << 2000;
#ifndef Q_OS_WIN // where a full backlog refuses rather than not answering
        QTest::newRow("no answer")
            << u"127.0.0.1"_s << u"시간 초과: 127.0.0.1:%1이(가) 5초 안에 응답하지 않았습니다"_s
            << 8000;
#endif
    }
    void failuresAreTold()
    {
        QFETCH(QString, host);
        QFETCH(QString, told);
        QFETCH(int, withinMs);
        // A port nothing listens on any more; or a server whose backlog is full, which drops the
        // connection's handshake: no answer ever comes.
        QTcpServer server;
        server.setListenBacklogSize(0);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const quint16 port = server.serverPort();
        QTcpSocket queued;
        if (withinMs > 2000) {
            server.pauseAccepting();
            queued.connectToHost(QHostAddress::LocalHost, port);
            QVERIFY(queued.waitForConnected(2000));
        } else {
            server.close();
        }
        const QSize size = window().size();
        join(host, port);
        // Refusals well before the connection's own time-out, and not tried again; spoken, and cut
        // short on screen rather than widening the window.
        QTRY_COMPARE_WITH_TIMEOUT(status(), told.arg(port), withinMs);
        QTRY_COMPARE(spoken(), status());
        auto &panel = control<QLabel>(window(), "statusPanel");
        QCOMPARE(panel.toolTip(), status());
        QCOMPARE(window().size(), size);
        QVERIFY(control<QPushButton>(window(), "connectButton").isEnabled());
    }

    void closingTheWindowEndsTheProgram()
    {
        // With its other two windows open, and connected: they close, and so does the connection.
        QVERIFY(joinTeacher());
        QTest::mouseClick(&control<QPushButton>(window(), "composeButton"), Qt::LeftButton);
        m_student->inbox().present(u"선생님:hi"_s);
        QVERIFY(m_student->inbox().isVisible() && m_student->composer().isVisible());
        QTimer::singleShot(0, &window(), [this] { window().close(); });
        QTimer hung;
        hung.callOnTimeout([] { QCoreApplication::exit(1); });
        hung.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        hung.stop();
        QVERIFY(!m_student->inbox().isVisible() && !m_student->composer().isVisible());
        QTRY_COMPARE(m_teacher->clientList().model()->rowCount(), 0);
    }

private:
    // Whole, as screen readers and the tooltip give it.
    QString status()
    {
        return control<QLabel>(window(), "statusPanel").accessibleName();
    }

    QString spoken()
    {
        return control<QWidget>(window(), "statusAnnouncer").accessibleName();
    }
    student::StudentWindow &window()
    {
        return m_student->window();
    }

    // Fills in the teacher's address and the nickname, and clicks "접속".
    void join(const QString &host, quint16 port, const QString &nickname = u"학생"_s)
    {
        auto &portField = control<QSpinBox>(window(), "portField");
        auto &hostField = control<QLineEdit>(window(), "hostField");
        hostField.clear();
        type(hostField, host);
        QTest::keyClick(&portField, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&portField, QString::number(port));
        auto &nicknameField = control<QLineEdit>(window(), "nicknameField");
        nicknameField.clear();
        type(nicknameField, nickname);
        QTest::mouseClick(&control<QPushButton>(window(), "connectButton"), Qt::LeftButton);
    }

    // Joins the teacher's program, and waits until its console lists the student.
    bool joinTeacher()
    {
        m_teacher = std::make_unique<TestProgram>();
        join(u"127.0.0.1"_s, m_teacher->program.server().serverPort());
        return QTest::qWaitFor([&] { return m_teacher->clientList().model()->rowCount() == 1; });
    }

    QTemporaryDir m_settings;
    std::unique_ptr<TestProgram> m_teacher;
    std::unique_ptr<student::StudentProgram> m_student;
};

QTEST_MAIN(TestStudent)
#include "tst_student.moc"
