// The console with the viewer and composer, as the program makes them, driven through real clicks
// and keys, with real clients.

#include "chatlogview.h"
#include "clientconnection.h"
#include "statusclock.h"
#include "testprogram.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The tree as "entry[child,child]|entry*", a star marking the selected entry.
QString render(const QTreeWidgetItem &parent)
{
    QStringList entries;
    for (int i = 0; i < parent.childCount(); ++i) {
        const QTreeWidgetItem &entry = *parent.child(i);
        entries.append(entry.text(0) + (entry.isSelected() ? u"*"_s : QString()) +
                       (entry.childCount() ? u"["_s + render(entry) + u"]"_s : QString()));
    }
    return entries.join(u'|');
}

} // namespace

class TestConsole : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_program = std::make_unique<TestProgram>(); }
    void cleanup() { m_program.reset(); }

    void attention()
    {
        int asked = 0;
        console::ConsoleWindow &console = m_program->console();
        console.setAttentionRequester([&](QWidget &window) { asked += &window == &console; });
        auto client = m_program->connectListed();
        QVERIFY(client);
        const auto activate = [](QWidget &window) {
            window.activateWindow();
            return QTest::qWaitForWindowActive(&window);
        };
        const auto arrive = [&](const QByteArray &blocks, const QString &last) {
            client->send(blocks);
            return QTest::qWaitFor(
                [&] { return m_program->chatLog().toPlainText().endsWith(last); });
        };
        // Nothing while the console is active.
        QVERIFY(activate(console));
        QVERIFY(arrive(filledBlock("Mkim:here"), u"kim:here"_s));
        QCOMPARE(asked, 0);
        // Once for a message and the lines after it, while another window is in front.
        QTest::mouseClick(&m_program->composeButton(), Qt::LeftButton);
        QVERIFY(activate(m_program->program.composer()));
        client->send(filledBlock("Skim:look"));
        QTRY_COMPARE(m_program->program.viewer().text(), u"kim:look"_s);
        QCOMPARE(asked, 1);
        QVERIFY(arrive(filledBlock("Mkim:one") + filledBlock("Mkim:two"), u"kim:two"_s));
        QCOMPARE(asked, 1);
        // Once the operator has been back, a line asks again.
        QVERIFY(activate(console));
        QVERIFY(activate(m_program->program.composer()));
        QVERIFY(arrive(filledBlock("Mkim:three"), u"kim:three"_s));
        QCOMPARE(asked, 2);
    }

    void addressesForStudents()
    {
#ifndef Q_OS_LINUX
        QSKIP("the test makes its interface with Linux's ip, in a network of its own");
#else
        const auto ip = [](const QString &command) {
            return QProcess::execute(u"ip"_s, command.split(u' ')) == 0;
        };
        QVERIFY(ip(u"link add halcyra0 type veth peer name halcyra1"_s));
        const auto remove = qScopeGuard([&] { ip(u"link del halcyra0"_s); });
        QVERIFY(ip(u"addr add 10.1.2.3/24 dev halcyra0"_s) && ip(u"link set halcyra0 up"_s) &&
                ip(u"link set halcyra1 up"_s));
        // Shown in the empty client list, as the version panel's tooltip, and to screen readers;
        // the port, as it is not 5000.
        const QString port = QString::number(m_program->program.server().serverPort());
        const QString told = u"학생 PC에서 이 주소로 접속합니다: 10.1.2.3:"_s + port;
        auto &hint = control<QLabel>(m_program->console(), "addressHint");
        QTRY_COMPARE_WITH_TIMEOUT(hint.text(), told, 5000);
        QVERIFY(hint.isVisible());
        QCOMPARE(control<QLabel>(m_program->console(), "versionPanel").toolTip(), told);
        QAccessibleInterface *list =
            QAccessible::queryAccessibleInterface(&m_program->clientList());
        QCOMPARE(list->text(QAccessible::Description), u"클라이언트마다 IP 주소 한 줄. "_s + told);
        // The PC moves to another room's network.
        QVERIFY(ip(u"addr flush dev halcyra0"_s) && ip(u"addr add 172.16.0.9/16 dev halcyra0"_s));
        QTRY_COMPARE_WITH_TIMEOUT(hint.text(),
                                  u"학생 PC에서 이 주소로 접속합니다: 172.16.0.9:"_s + port, 5000);
        // A client listed, the list shows clients only.
        auto client = m_program->connectListed();
        QVERIFY(client);
        QVERIFY(!hint.isVisible());
#endif
    }

    void portTakenThenFreed()
    {
        // A second program on the first one's port: told in a box and in the status bar, and told
        // again while a retry fails.
        const quint16 port = m_program->program.server().serverPort();
        shell::Program second(port, 0);
        console::ConsoleWindow &console = second.console();
        console.show();
        QVERIFY(QTest::qWaitForWindowExposed(&console));
        const QString box = u"포트 %1을(를) 열 수 없어 클라이언트의 접속을 받을 수 없습니다.\n"
                            u"The bound address is already in use"_s.arg(port);
        QTRY_COMPARE(m_program->boxes.texts.count(box), 1);
        auto &panel = control<QLabel>(console, "notListeningPanel");
        auto &version = control<QLabel>(console, "versionPanel");
        auto &retry = control<QPushButton>(console, "retryListeningButton");
        QVERIFY(panel.isVisible() && retry.isVisible() && !version.isVisible());
        QCOMPARE(panel.text(), u"포트 %1 닫힘"_s.arg(port));
        QCOMPARE(retry.text(), u"다시 시도"_s);
        QTRY_COMPARE(m_program->boxes.visible(), 0);
        clickThroughWindow(retry);
        QTRY_COMPARE(m_program->boxes.texts.count(box), 2);
        // Freed, the port is taken up at the next retry, without a restart.
        m_program->program.server().close();
        QTRY_COMPARE(m_program->boxes.visible(), 0);
        clickThroughWindow(retry);
        QVERIFY(!panel.isVisible() && !retry.isVisible() && version.isVisible());
        RawClient client(port);
        QTRY_COMPARE(second.router().clients().everyone().size(), 1);
        QCOMPARE(m_program->boxes.texts.count(box), 2);
    }

    void searchAddress_data()
    {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("box"); // when no browser can be started
        const QString base = u"http://search.naver.com/search.naver?where=nexearch&query="_s;
        QTest::newRow("spaces and the query's own characters")
            << u"a b&c=d+#"_s << base + u"a%20b%26c%3Dd%2B%23&frm=t1"_s << QString();
        QTest::newRow("no browser") << u"a"_s << base + u"a&frm=t1"_s
                                    << u"웹 브라우저를 열 수 없습니다: "_s + base + u"a&frm=t1"_s;
    }
    void searchAddress()
    {
        QFETCH(QString, question);
        QFETCH(QString, address);
        QFETCH(QString, box);
        QList<QUrl> opened;
        m_program->console().setUrlOpener([&](const QUrl &url) {
            opened.append(url);
            return box.isEmpty();
        });
        type(m_program->searchField(), question); // the click empties the field first
        QTest::mouseClick(&m_program->searchButton(), Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened.first().toString(QUrl::FullyEncoded), address);
        QTRY_COMPARE(m_program->boxes.texts, box.isEmpty() ? QStringList() : QStringList{box});
    }

    void contactTree()
    {
        // The tree as three presets, the second with a child. The operator right-clicks the last
        // entry (which must not select it) and picks a menu item.
        QTreeWidget &view = m_program->contactTree();
        while (view.topLevelItemCount() > 3)
            delete view.topLevelItem(3);
        new QTreeWidgetItem(view.topLevelItem(1), QStringList{u"아이"_s});
        view.expandAll();
        type(m_program->contactField(), u"new"_s);
        const auto select = [&](const QString &entry) {
            const QTreeWidgetItem *item = view.findItems(entry, Qt::MatchRecursive).first();
            clickThroughWindow(*view.viewport(), Qt::LeftButton, {},
                               view.visualItemRect(item).center());
        };
        const auto pick = [&](int item) {
            clickThroughWindow(*view.viewport(), Qt::RightButton, {},
                               view.visualItemRect(view.topLevelItem(2)).center());
            auto &menu = control<QMenu>(m_program->console(), "contactMenu");
            QTRY_VERIFY(menu.isVisible());
            clickThroughWindow(menu, Qt::LeftButton, {},
                               menu.actionGeometry(menu.actions().at(item)).center());
        };
        const auto tree = [&] { return render(*view.invisibleRootItem()); };
        pick(0); // added at the top level while nothing is selected
        QTRY_COMPARE(tree(), u"교장선생님|교감선생님[아이]|국어선생님|new"_s);
        select(u"아이"_s);
        pick(0); // at the selected entry's level
        QTRY_COMPARE(tree(), u"교장선생님|교감선생님[아이*|new]|국어선생님|new"_s);
        select(u"교감선생님"_s);
        pick(1); // with its children
        QTRY_COMPARE(tree(), u"교장선생님|국어선생님*|new"_s);
    }

    void clockShowsTheWholeTime_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("time");
        QTest::newRow("ko_KR") << QLocale(u"ko_KR"_s)
                               << uR"(오[전후] \d{1,2}시 \d{1,2}분 \d{1,2}초)"_s;
        QTest::newRow("en_US") << QLocale(u"en_US"_s) << uR"(\d{1,2}:\d\d:\d\d [AP]M)"_s;
    }
    void clockShowsTheWholeTime()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, time);
        m_program.reset();
        QLocale::setDefault(locale);
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        m_program = std::make_unique<TestProgram>();
        QVERIFY(QTest::qWaitForWindowExposed(&m_program->console()));
        const auto &panel = control<QLabel>(m_program->console(), "timePanel");
        QVERIFY2(QRegularExpression(u"^"_s + time + u"$"_s).match(panel.text()).hasMatch(),
                 qPrintable(panel.text()));
        QVERIFY(panel.isVisible());
        QVERIFY2(
            panel.fontMetrics().horizontalAdvance(panel.text()) <= panel.contentsRect().width(),
            qPrintable(u"%1 in %2 pixels"_s.arg(panel.text()).arg(panel.contentsRect().width())));
    }

    void sending_data()
    {
        // Two clients, the second selected, when a send is to succeed; one or none, nothing
        // selected, when it is refused. Either way the clients receive exactly the bytes given.
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QString>("box");
        const auto sent = [](const char *tag, const QString &how, const QString &text,
                             const QByteArray &first, const QByteArray &second,
                             const QString &logged) {
            QTest::newRow(tag) << how << text << first << second << logged << QString();
        };
        const auto refused = [](const char *tag, const QString &how, const QString &text,
                                const QString &box) {
            QTest::newRow(tag) << how << text << ""_ba
                               << ""_ba << QString() << box;
        };
        const QByteArray hello = filledBlock("Mkim:hello");
        const QString control = u"보낼 수 없는 제어 문자가 있습니다"_s;
        const QString noRow = u"List index out of bounds (-1)"_s;
        sent("Direct", u"direct"_s, u"hello"_s, ""_ba, hello, u"kim:hello"_s);
        sent("Enter: the text alone to the first client", u"enter"_s, u"hello"_s, "Mkim:hello"_ba,
             ""_ba, u"kim:hello"_s);
        sent("Full Send", u"all"_s, u"hello"_s, hello, hello, u"kim:hello"_s);
        sent("composer: lines joined by CR LF", u"composer"_s, u"a\nb"_s, ""_ba,
             filledBlock("SInput Data:a\r\nb"), QString());
        refused("no chat mode", u"none"_s, u"hi"_s, u"채팅을 선택해주세요 ^_^"_s);
        refused("Direct, nothing selected", u"direct"_s, u"hi"_s, noRow);
        refused("Direct, the selected client left", u"direct, selected left"_s, u"hi"_s, noRow);
        refused("Direct, the current but unselected client left", u"direct, unselected left"_s,
                u"hi"_s, noRow);
        refused("Direct, too long", u"direct"_s, QString(101, u'x'),
                u"메시지가 너무 깁니다 (최대 100바이트)"_s);
        refused("Direct, a character code page 949 has not", u"direct"_s, u"이모지 😀 test 😀"_s,
                u"보낼 수 없는 문자가 있습니다 (코드 페이지 949에 없는 문자): 😀"_s);
        refused("Full Send, nobody connected", u"all, nobody"_s, u"hi"_s,
                u"연결된 접속자가 없습니다 "_s);
        refused("Enter, nobody connected", u"enter, nobody"_s, u"hi"_s,
                u"List index out of bounds (0)"_s);
        refused("Enter, a tab", u"enter"_s, u"a\tb"_s, control);
        refused("composer, nothing selected", u"composer"_s, u"a\nb"_s, noRow);
    }

    void sending()
    {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QString, logged);
        QFETCH(QString, box);
        QListView &list = m_program->clientList();
        const auto clickRow = [&](int row, Qt::KeyboardModifiers modifiers = {}) {
            clickThroughWindow(*list.viewport(), Qt::LeftButton, modifiers,
                               list.visualRect(list.model()->index(row, 0)).center());
        };
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = how.endsWith(u"nobody") ? 0 : box.isEmpty() ? 2 : 1; i > 0; --i)
            clients.push_back(m_program->connectListed());
        if (box.isEmpty())
            clickRow(1);
        if (how.endsWith(u"left")) {
            // When its row goes, the selection moves to no other client. Clicked with Ctrl a second
            // time, the row is current but no longer selected.
            auto leaver = m_program->connectListed();
            clickRow(1);
            if (how.contains(u"unselected"))
                clickRow(1, Qt::ControlModifier);
            leaver->close();
            QTRY_COMPARE(list.model()->rowCount(), 1);
        }
        const qsizetype boxes = m_program->boxes.texts.size();
        if (!how.startsWith(u"none"))
            QTest::mouseClick(how.startsWith(u"all") ? &m_program->fullSendMode()
                                                     : &m_program->directMode(),
                              Qt::LeftButton);
        type(m_program->nicknameField(), u"kim"_s);
        // Pasted: the keyboard cannot type every character that must be refused.
        QApplication::clipboard()->setText(text);
        QWidget &field = how == u"composer" ? static_cast<QWidget &>(m_program->composerBody())
                                            : m_program->chatEntry();
        if (how == u"composer")
            QTest::mouseClick(&m_program->composeButton(), Qt::LeftButton);
        QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
        if (how.startsWith(u"enter"))
            QTest::keyClick(&field, Qt::Key_Return);
        else
            QTest::mouseClick(how == u"composer" ? &m_program->composerSend()
                                                 : &m_program->sendButton(),
                              Qt::LeftButton);

        QTRY_COMPARE(m_program->boxes.texts.sliced(boxes),
                     box.isEmpty() ? QStringList() : QStringList{box});
        const QString kept = how == u"composer" ? m_program->composerBody().toPlainText()
                                                : m_program->chatEntry().text();
        QCOMPARE(kept, box.isEmpty() || how == u"none" ? QString() : text);
        QCOMPARE(m_program->chatLog().toPlainText(), logged);
        for (int row = 0; row < int(clients.size()); ++row)
            QCOMPARE(
                receivedBeforeMarker(*clients[size_t(row)], row, (row ? second : first).size()),
                row ? second : first);
    }

    void messageWindowsRoundTrip()
    {
        auto client = m_program->connectListed();
        QVERIFY(client);
        messages::MessageComposer &composer = m_program->program.composer();
        QPlainTextEdit &body = m_program->composerBody();
        // " Message" opens the composer empty; its clear button empties it and leaves it open.
        body.setPlainText(u"draft"_s);
        QTest::mouseClick(&m_program->composeButton(), Qt::LeftButton);
        QVERIFY(composer.isVisible() && body.toPlainText().isEmpty());
        QTest::keyClicks(&body, u"half written"_s);
        QTest::mouseClick(&m_program->composerClear(), Qt::LeftButton);
        QVERIFY(composer.isVisible() && body.toPlainText().isEmpty());
        // A message: its box, then the viewer with it; the reply empties both and opens the
        // composer.
        client->send(filledBlock("Skim:see you\r\nbye"));
        messages::MessageViewer &viewer = m_program->program.viewer();
        QTRY_COMPARE(viewer.text(), u"kim:see you\nbye"_s);
        QVERIFY(viewer.isVisible() && m_program->boxes.texts.contains(u"Message"_s));
        // With no box open as it arrives, a message replaces what the viewer shows.
        QTRY_COMPARE(m_program->boxes.visible(), 0);
        client->send(filledBlock("Skim:again"));
        QTRY_COMPARE(viewer.text(), u"kim:again"_s);
        QTest::keyClicks(&body, u"old"_s);
        QTest::mouseClick(&m_program->replyButton(), Qt::LeftButton);
        QVERIFY(!viewer.isVisible() && viewer.text().isEmpty());
        QVERIFY(composer.isVisible() && body.toPlainText().isEmpty());
    }

    void chatLog()
    {
        auto client = m_program->connectListed();
        QVERIFY(client);
        chatlog::ChatLogView &log = m_program->chatLog();
        QWidget &screen = *log.viewport();
        const auto lines = [](const char *prefix, int from, int to) {
            QStringList lines;
            for (int i = from; i < to; ++i)
                lines.append(u"kim:%1%2"_s.arg(QLatin1StringView(prefix)).arg(i));
            return lines;
        };
        const auto send = [&](const QStringList &lines) {
            QByteArray blocks;
            for (const QString &line : lines)
                blocks += filledBlock('M' + line.toLatin1());
            client->send(blocks);
        };
        // Where a character is drawn, in the view; nowhere when it is not wholly in sight.
        const auto place = [&](qsizetype offset) {
            const QRect box = log.characterRect(offset);
            const QRect local(screen.mapFromGlobal(box.topLeft()), box.size());
            return screen.rect().contains(local) ? local : QRect();
        };
        const auto shown = [&](qsizetype offset) { return !place(offset).isEmpty(); };
        const auto end = [&] { return log.toPlainText().size() - 1; };

        // It follows the end, a long line wrapped to the view's width.
        const QString wide = u"kim:"_s + QString(60, u'w');
        send(lines("a", 0, 30) << wide);
        QTRY_VERIFY(log.toPlainText().endsWith(wide) && shown(end()));
        QVERIFY(!shown(0));
        // Scrolled to the top, it stays there as lines come; at the end again, it follows again.
        QTest::mouseClick(&screen, Qt::LeftButton);
        QTest::keyClick(&log, Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(shown(0));
        const int maximum = log.verticalScrollBar()->maximum();
        send(lines("b", 0, 30));
        // Caught up with all 30: more than the first read's 16 lines could scroll.
        QTRY_VERIFY(log.verticalScrollBar()->maximum() >= maximum + 20);
        QVERIFY(shown(0) && !shown(end()));
        QTest::keyClick(&log, Qt::Key_End, Qt::ControlModifier);
        send(lines("c", 0, 10));
        QTRY_VERIFY(log.toPlainText().endsWith(u"kim:c9"_s) && shown(end()));

        // Ctrl+A then Ctrl+C takes all.
        const QString all =
            (lines("a", 0, 30) << wide << lines("b", 0, 30) << lines("c", 0, 10)).join(u'\n');
        QCOMPARE(log.toPlainText(), all);
        QTest::keyClick(&log, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&log, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), all);

        // Line breaks in a line start new lines, whichever kind.
        client->send(filledBlock("Mkim:one\r\ntwo\rthree\nfour"));
        QTRY_VERIFY(log.toPlainText().endsWith(u"\nkim:one\ntwo\nthree\nfour"_s));
    }

private:
    // The next bytes a client receives are what it was sent and then a marker: nothing else came.
    QByteArray receivedBeforeMarker(RawClient &client, int row, qsizetype size)
    {
        const QByteArray marker = filledBlock("Mmarker");
        server::ClientModel &clients = m_program->program.router().clients();
        clients.connection(server::ClientModel::idAt(clients.index(row))).send(marker);
        const QByteArray got = client.receive(size + marker.size());
        return got.endsWith(marker) ? got.chopped(marker.size()) : "(no marker) " + got;
    }

    std::unique_ptr<TestProgram> m_program;
};

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
