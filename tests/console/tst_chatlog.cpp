#include "chatlog.h"

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

using namespace Qt::StringLiterals;
using console::ChatLog;

class TestChatLog : public QObject
{
    Q_OBJECT

private slots:
    void showsALineAfterQuiet();
    void keepsOrderAcrossBursts();
    void operatorLinesComeAfterPendingOnes();
    void keepsOnlyTheNewestLines();
    void multiLineTextsKeepTheirLines();
};

void TestChatLog::showsALineAfterQuiet()
{
    QPlainTextEdit view;
    ChatLog log(view);
    log.append(u"kim:hello"_s);
    QTRY_COMPARE(view.toPlainText(), u"kim:hello"_s);
}

void TestChatLog::keepsOrderAcrossBursts()
{
    QPlainTextEdit view;
    ChatLog log(view);
    QStringList expected;
    for (int burst = 0; burst < 5; ++burst) {
        for (int i = 0; i < 200; ++i) {
            expected.append(u"%1:%2"_s.arg(burst).arg(i));
            log.append(expected.last());
        }
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE(view.document()->blockCount(), int(expected.size()));
    QCOMPARE(view.toPlainText(), expected.join(u'\n'));
}

void TestChatLog::operatorLinesComeAfterPendingOnes()
{
    QPlainTextEdit view;
    ChatLog log(view);
    log.append(u"kim:first"_s);
    log.append(u"lee:second"_s);
    log.appendNow(u"me:reply"_s);
    // Shown at once, without running the event loop, after what came before it.
    QCOMPARE(view.toPlainText(), u"kim:first\nlee:second\nme:reply"_s);
}

void TestChatLog::keepsOnlyTheNewestLines()
{
    QPlainTextEdit view;
    ChatLog log(view);
    const int total = ChatLog::kMaxLines + 50;
    for (int i = 0; i < total; ++i)
        log.append(QString::number(i));
    QTRY_COMPARE(view.document()->lastBlock().text(), QString::number(total - 1));
    QCOMPARE(view.document()->blockCount(), ChatLog::kMaxLines);
    QCOMPARE(view.document()->firstBlock().text(), u"50"_s);
}

void TestChatLog::multiLineTextsKeepTheirLines()
{
    QPlainTextEdit view;
    ChatLog log(view);
    log.append(u"kim:a\nb"_s);
    log.append(u"lee:c"_s);
    QTRY_COMPARE(view.toPlainText(), u"kim:a\nb\nlee:c"_s);
}

QTEST_MAIN(TestChatLog)
#include "tst_chatlog.moc"
