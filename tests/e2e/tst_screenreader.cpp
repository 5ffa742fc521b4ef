// What a blind operator and a blind student hear: the real halcyra-server and halcyra-student
// under Orca, the screen reader Debian ships, on a virtual display. The keys are pressed through
// the X server, as the operator presses them, and what Orca says is read from its debug log.

#include "cp949.h"
#include "desktop.h"
#include "rawclient.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// A block as a client sends it: the text in code page 949, zero-filled.
QByteArray block(const QString &text)
{
    return filledBlock(wire::toCp949(text));
}

} // namespace

class TestScreenReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Orca keeps its settings under the home folder, the student's program too: a fresh one
        // for every program the test starts is a first start.
        qputenv("HOME", m_home.path().toLocal8Bit());
        m_speech.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_speech.start(u"speech-dispatcher"_s, {u"--run-single"_s, u"--timeout"_s, u"0"_s,
                                                u"--config-dir"_s, QStringLiteral(SPEECHD_CONFIG)});
        m_orca.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_orca.setStandardOutputFile(QProcess::nullDevice());
        m_orca.setStandardInputFile(QProcess::nullDevice());
        // Orca writes its log through a buffer of several kilobytes: each line is flushed at once
        // here, so that what it says can be read as it says it.
        QVERIFY(QDir(m_home.path()).mkpath(u".local/share/orca"_s));
        QFile customizations(m_home.filePath(u".local/share/orca/orca-customizations.py"_s));
        QVERIFY(customizations.open(QIODevice::WriteOnly));
        customizations.write("import orca.debug\n"
                             "orca.debug.debugFile.reconfigure(line_buffering=True)\n");
        customizations.close();
        m_orca.start(u"orca"_s, {u"--debug-file="_s + m_home.filePath(u"orca.log"_s)});
        QVERIFY(hears(u"Screen reader on"_s, 20000));

        m_server.setProcessChannelMode(QProcess::ForwardedChannels);
        m_server.start(QStringLiteral(HALCYRA_SERVER));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        m_kim = connectConfirmed();
        QVERIFY(m_kim);
    }

    void cleanupTestCase()
    {
        for (QProcess *helper : {&m_server, &m_student, &m_orca, &m_speech}) {
            helper->kill();
            helper->waitForFinished();
        }
    }

    void aMessageIsSpoken()
    {
        // The operator at the console, in the chat entry, once Orca has followed there: Orca takes
        // a window of the same role, title, size and place as its active one for that window, so a
        // box that comes before it has seen the last box go goes unsaid.
        focusWindow(u"Halcyra  Server"_s);
        xdotool(u"mousemove 272 285 click 1"_s);
        QVERIFY(hears(u"채팅 입력"_s));
        forget();
        m_kim->send(block(u"Skim:편지 왔어요\r\n둘째 줄"_s));
        QVERIFY(hears(u"메시지 kim:편지 왔어요 둘째 줄"_s));
        QVERIFY(hears(u"Message"_s)); // and the box after it
        forget();
        xdotool(u"key Return"_s);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Form3"_s) != 0, 5000);
        // The viewer tells what it is (read from the first line as the student's window is).
        focusWindow(u"Form3"_s);
        QVERIFY(hears(u"Form3 받은 메시지 창"_s));
    }

    void aBurstIsSummedUp()
    {
        // At most a line at once and then one summary of the rest, however the burst is read.
        forget();
        QByteArray burst;
        for (int i = 0; i < 20; ++i)
            burst += block(u"Mkim:b%1"_s.arg(i));
        m_kim->send(burst);
        QVERIFY(hears(u"줄"_s));
        static const QRegularExpression summary(u"kim:b(\\d+) 외 (\\d+)줄"_s);
        const QStringList spoken = m_said.filter(u"kim:b"_s);
        QVERIFY2(spoken.size() <= 2, qPrintable(spoken.join(u" | "_s)));
        const auto match = summary.match(spoken.constLast());
        QVERIFY2(match.hasMatch(), qPrintable(spoken.constLast()));
        QCOMPARE(match.captured(1).toInt() + match.captured(2).toInt(), 19);
    }

    void namesHoldTheCaptions()
    {
        // From the nickname field (top left) down the left column, then the right one, each key
        // once Orca has told of the one before. Two clients are listed: the keys pass through the
        // list, which makes its first row current; at " Message" that client leaves.
        auto lee = connectConfirmed();
        QVERIFY(lee);
        forget();
        focusWindow(u"Halcyra  Server"_s);
        xdotool(u"mousemove 272 76 click 1"_s);
        QVERIFY(hears(u"닉네임"_s));
        const std::pair<const char *, QString> steps[] = {
            {"Tab", u"Clean push button"_s},
            {"Tab", u"채팅 기록"_s},
            {"Tab", u"채팅 입력"_s},
            {"Tab", u"Send push button"_s},
            {"Tab", u"Direct."_s}, // not the "Direct면" of the button's description
            {"Right", u"Full Send"_s},
            {"Tab", u"접속한 클라이언트"_s},
            {"Tab", u" Message push button"_s},
            {"Tab", u"검색어"_s},
            {"Tab", u"Search push button"_s},
            {"Tab", u"교장선생님"_s}, // the tree tells its current entry
            {"Menu Down", u"친구추가"_s},
            // Keys wait for Orca in the program, each aimed at the window that had the focus as
            // it came: one that leaves the menu, the next after it has gone.
            {"Escape", u"교장선생님"_s},
            {"Tab", u"친구 이름"_s},
            {"Tab", u"Remote push button"_s},
        };
        QStringList said;
        for (const auto &[keys, heard] : steps) {
            forget();
            xdotool(u"key "_s + QLatin1StringView(keys));
            QVERIFY(hears(heard));
            said += m_said;
            if (heard == u" Message push button") {
                // Once a later line is spoken, whatever the leaving caused has been said: no
                // false focus on the list or a row.
                forget();
                m_kim.reset();
                lee->send(block(u"Mlee:after"_s));
                QVERIFY(hears(u"lee:after"_s));
                QVERIFY2(!m_said.join(u'|').contains(u"127.0.0.1"_s) &&
                             !m_said.join(u'|').contains(u"List"_s),
                         qPrintable(m_said.join(u'|')));
            }
        }
        // Frames' captions come with what they frame.
        const QString all = said.join(u'|');
        for (const QString &sequence : {u"IP panel.|접속한 클라이언트."_s, u"Option.|Direct."_s,
                                        u"Adder_Name panel.|친구 이름"_s})
            QVERIFY2(all.contains(sequence), qPrintable(sequence + u" in "_s + all));
    }

    void theStudentsControlsAreNamed()
    {
        QVERIFY(m_teacher.listen(QHostAddress::LocalHost, 5001));
        m_student.setProcessChannelMode(QProcess::ForwardedChannels);
        m_student.start(QStringLiteral(HALCYRA_STUDENT), {u"127.0.0.1"_s, u"5001"_s});
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra 학생"_s) != 0, 10000);
        forget();
        focusWindow(u"Halcyra 학생"_s);
        // From the first field on, each key once Orca has told of the one before: the names hold
        // the captions.
        QVERIFY(hears(u"선생님 PC"_s));
        for (const auto &[keys, heard] :
             {std::pair(u"Tab"_s, u"포트"_s), std::pair(u"Tab"_s, u"닉네임"_s),
              std::pair(u"l e e Tab"_s, u"접속 push button"_s)}) {
            forget();
            xdotool(u"key "_s + keys);
            QVERIFY(hears(heard));
        }
        // Connected, the button that was pressed is no longer there to press: the focus moves on to
        // the log. The entry, next, is told of the first time it has the focus.
        forget();
        xdotool(u"key space"_s);
        QVERIFY(m_teacher.waitForNewConnection(30000));
        m_class = m_teacher.nextPendingConnection();
        QVERIFY(hears(u"127.0.0.1:5001에 접속함"_s));
        QVERIFY(hears(u"채팅 기록"_s));
        forget();
        xdotool(u"key Tab"_s);
        QVERIFY(hears(u"채팅 입력"_s));
    }

    void theStudentHearsTheClass()
    {
        QVERIFY(m_class);
        // With the focus in the entry; then in the log, read with the caret.
        forget();
        m_class->write(block(u"M선생님:안녕하세요"_s));
        QVERIFY(hears(u"선생님:안녕하세요"_s));
        xdotool(u"key shift+Tab"_s);
        QVERIFY(hears(u"채팅 기록"_s));
        m_class->write(block(u"M선생님:둘째 줄"_s));
        QVERIFY(hears(u"선생님:둘째 줄"_s));
        forget();
        xdotool(u"key ctrl+End Up"_s);
        QVERIFY(hears(u"선생님:안녕하세요"_s));
        // With another window in front: a line, then a message, whose window is read from its
        // first line.
        QProcess other;
        other.start(u"xmessage"_s, {u"-title"_s, u"other"_s, u"다른 프로그램"_s});
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"other"_s) != 0, 5000);
        focusWindow(u"other"_s);
        forget();
        m_class->write(block(u"M선생님:셋째 줄"_s));
        QVERIFY(hears(u"선생님:셋째 줄"_s));
        m_class->write(block(u"S선생님:숙제 있어요\r\n내일까지"_s));
        QVERIFY(hears(u"메시지 선생님:숙제 있어요 내일까지"_s));
        other.kill();
        other.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"받은 메시지"_s) != 0, 5000);
        forget();
        focusWindow(u"받은 메시지"_s);
        QVERIFY(hears(u"선생님:숙제 있어요"_s));
        // A line too long is refused in a box, which is spoken.
        focusWindow(u"Halcyra 학생"_s);
        forget();
        xdotool(u"mousemove 0 0"_s); // out of the way
        xdotool(u"key Tab"_s);
        QVERIFY(hears(u"채팅 입력"_s));
        xdotool(u"type"_s, {QString(100, u'x')});
        xdotool(u"key Return"_s);
        QVERIFY(hears(u"5바이트 너무 깁니다"_s));
        xdotool(u"key Return"_s);
    }

    void theStudentHearsTheConnection()
    {
        // The teacher's program goes away and comes back: both are spoken, without a key.
        QVERIFY(m_class);
        forget();
        m_teacher.close();
        m_class->close();
        QVERIFY(hears(u"선생님 서버가 연결을 끊었습니다"_s));
        QVERIFY(m_teacher.listen(QHostAddress::LocalHost, 5001));
        forget();
        QVERIFY(hears(u"127.0.0.1:5001에 접속함"_s));
    }

private:
    // Everything Orca said since the last call, one utterance per entry.
    QStringList heard()
    {
        static const QRegularExpression speech(
            u"SPEECH OUTPUT: '(.*)'(?: voice=\\w+)?\\{'established"_s);
        QFile log(m_home.filePath(u"orca.log"_s));
        if (!log.open(QIODevice::ReadOnly) || !log.seek(m_logRead))
            return {};
        const QByteArray fresh = log.readAll();
        const qsizetype complete = fresh.lastIndexOf('\n') + 1; // Orca may be writing the rest
        m_logRead += complete;
        QStringList said;
        for (const QByteArray &line : fresh.first(complete).split('\n')) {
            if (const auto match = speech.match(QString::fromUtf8(line)); match.hasMatch())
                said.append(match.captured(1));
        }
        return said;
    }

    // Waits until Orca has said something containing the text since the last forget().
    bool hears(const QString &text, int timeoutMs = 15000)
    {
        const bool heardIt = QTest::qWaitFor(
            [&] {
                m_said += heard();
                return std::any_of(m_said.cbegin(), m_said.cend(),
                                   [&](const QString &said) { return said.contains(text); });
            },
            timeoutMs);
        if (!heardIt)
            qWarning().noquote() << "Orca said:" << m_said.join(u" | "_s);
        return heardIt;
    }

    void forget()
    {
        heard();
        m_said.clear();
    }

    // A client, once the operator has dismissed its confirmation box.
    std::unique_ptr<RawClient> connectConfirmed()
    {
        auto client = std::make_unique<RawClient>(quint16(5000));
        return dismissBox() ? std::move(client) : nullptr;
    }

    QTemporaryDir m_home;
    QProcess m_speech;
    QProcess m_orca;
    QProcess m_server;
    qint64 m_logRead = 0;
    QStringList m_said; // since the last check
    std::unique_ptr<RawClient> m_kim;
    QProcess m_student;
    QTcpServer m_teacher; // on port 5001, standing in for the teacher's program
    QTcpSocket *m_class = nullptr;
};

QTEST_GUILESS_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
