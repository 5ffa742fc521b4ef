#include "Unit1.h"
#include "boxwatcher.h"
#include "fonts.h"
#include "websearch.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrlQuery>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QStringList kPresets{u"교장선생님"_s, u"교감선생님"_s, u"국어선생님"_s, u"영어선생님"_s,
                           u"수학선생님"_s, u"사회선생님"_s, u"과학선생님"_s, u"체육선생님"_s,
                           u"기술선생님"_s, u"가정선생님"_s, u"미술선생님"_s, u"보건선생님"_s,
                           u"도덕선생님"_s};

QImage iconImage(const QIcon &icon, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(16, 16), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage roleImage(int index)
{
    return QImage(u":/halcyra/roles/role%1.png"_s.arg(index, 2, 10, QChar(u'0')))
        .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// The contact tree with its menu, and the web-search box.
class TestContacts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void presetsWithTheirIcons();
    void addWithSelectionGoesToItsLevel();
    void addWithoutSelectionGoesToTopLevel();
    void addTwiceGivesTwoEntries();
    void addedEntriesHaveTheirOwnIcon();
    void deleteTakesChildrenAlong();
    void deleteWithoutSelectionDoesNothing();
    void deleteAllThenAdd();
    void rightClickOpensMenuWithoutSelecting();
    void entriesCanBeRenamedInPlace();

    void searchAddress_data();
    void searchAddress();
    void searchOpensBrowserAndKeepsQuestion();
    void searchSaysWhenNoBrowserOpens();

private:
    QStringList texts(QTreeWidgetItem *parent = nullptr) const;
    void select(const QString &text);
    QAction *menuItem(const char *name)
    {
        return m_form->findChild<QAction *>(QLatin1StringView(name));
    }

    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<BoxWatcher> m_boxes;
    QTreeWidget *m_tree = nullptr;
    QLineEdit *m_contact = nullptr;
};

void TestContacts::initTestCase()
{
    console::installFontSubstitutes();
}

void TestContacts::init()
{
    m_boxes = std::make_unique<BoxWatcher>();
    m_form = std::make_unique<TForm1>(0);
    m_tree = m_form->findChild<QTreeWidget *>(u"TreeView1"_s);
    m_contact = m_form->findChild<QLineEdit *>(u"Edit3"_s);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestContacts::cleanup()
{
    m_form.reset();
    m_boxes.reset();
}

QStringList TestContacts::texts(QTreeWidgetItem *parent) const
{
    QStringList result;
    const int count = parent ? parent->childCount() : m_tree->topLevelItemCount();
    for (int i = 0; i < count; ++i)
        result.append((parent ? parent->child(i) : m_tree->topLevelItem(i))->text(0));
    return result;
}

void TestContacts::select(const QString &text)
{
    const auto found = m_tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY(!found.isEmpty());
    m_tree->setCurrentItem(found.first());
}

void TestContacts::presetsWithTheirIcons()
{
    QCOMPARE(texts(), kPresets);
    QVERIFY(m_tree->selectedItems().isEmpty());
    QCOMPARE(m_tree->indentation(), 19);
    for (int i = 0; i < kPresets.size(); ++i) {
        QTreeWidgetItem *entry = m_tree->topLevelItem(i);
        QCOMPARE(entry->childCount(), 0);
        QVERIFY(entry->flags() & Qt::ItemIsEditable);
        QCOMPARE(iconImage(entry->icon(0)), roleImage(i));
        QCOMPARE(iconImage(entry->icon(0), QIcon::Selected), roleImage(0));
    }
    // Thirteen different pictures.
    for (int i = 0; i < 13; ++i) {
        for (int j = i + 1; j < 13; ++j)
            QVERIFY(roleImage(i) != roleImage(j));
    }
}

void TestContacts::addWithSelectionGoesToItsLevel()
{
    select(u"영어선생님"_s);
    m_contact->setText(u"kim"_s);
    m_form->N1Click();
    QCOMPARE(texts(), kPresets + QStringList{u"kim"_s});
    QCOMPARE(m_tree->selectedItems().first()->text(0), u"영어선생님"_s);

    // Under a nested entry the new one goes to the end of that entry's level.
    QTreeWidgetItem *head = m_tree->topLevelItem(0);
    head->addChild(new QTreeWidgetItem(QStringList{u"lee"_s}));
    head->addChild(new QTreeWidgetItem(QStringList{u"park"_s}));
    select(u"lee"_s);
    m_contact->setText(u"choi"_s);
    m_form->N1Click();
    QCOMPARE(texts(head), QStringList({u"lee"_s, u"park"_s, u"choi"_s}));
    QCOMPARE(m_tree->topLevelItemCount(), kPresets.size() + 1);
}

void TestContacts::addWithoutSelectionGoesToTopLevel()
{
    m_form->N1Click(); // the placeholder, unchanged
    m_contact->clear();
    m_form->N1Click(); // an empty name
    QCOMPARE(texts(), kPresets + QStringList({u"Input Data"_s, QString()}));
    QVERIFY(m_tree->selectedItems().isEmpty());
}

void TestContacts::addTwiceGivesTwoEntries()
{
    m_contact->setText(u"kim"_s);
    m_form->N1Click();
    m_form->N1Click();
    QCOMPARE(texts().count(u"kim"_s), 2);
}

void TestContacts::addedEntriesHaveTheirOwnIcon()
{
    m_contact->setText(u"kim"_s);
    m_form->N1Click();
    QTreeWidgetItem *added = m_tree->topLevelItem(kPresets.size());
    const QImage own = iconImage(added->icon(0));
    QVERIFY(!own.isNull());
    for (int i = 0; i < 13; ++i)
        QVERIFY(own != roleImage(i));
    QCOMPARE(iconImage(added->icon(0), QIcon::Selected), roleImage(0));
    QVERIFY(added->flags() & Qt::ItemIsEditable);
}

void TestContacts::deleteTakesChildrenAlong()
{
    QTreeWidgetItem *head = m_tree->topLevelItem(2);
    head->addChild(new QTreeWidgetItem(QStringList{u"child"_s}));
    select(u"국어선생님"_s);
    m_form->N2Click();
    QStringList expected = kPresets;
    expected.removeAt(2);
    QCOMPARE(texts(), expected);
    QVERIFY(m_tree->findItems(u"child"_s, Qt::MatchRecursive).isEmpty());
}

void TestContacts::deleteWithoutSelectionDoesNothing()
{
    m_form->N2Click();
    QCOMPARE(texts(), kPresets);
    QVERIFY(m_boxes->texts.isEmpty());
}

void TestContacts::deleteAllThenAdd()
{
    for (int i = 0; i < kPresets.size(); ++i) {
        m_tree->clearSelection();
        m_tree->topLevelItem(0)->setSelected(true);
        m_form->N2Click();
    }
    QCOMPARE(m_tree->topLevelItemCount(), 0);
    m_form->N2Click();
    m_contact->setText(u"kim"_s);
    m_form->N1Click();
    QCOMPARE(texts(), QStringList{u"kim"_s});
}

void TestContacts::rightClickOpensMenuWithoutSelecting()
{
    QMenu *menu = m_form->PopupMenu1();
    QCOMPARE(menuItem("N1")->text(), u"친구추가"_s);
    QCOMPARE(menuItem("N2")->text(), u"친구삭제"_s);
    QCOMPARE(menu->actions(), QList<QAction *>({menuItem("N1"), menuItem("N2")}));

    select(u"수학선생님"_s);
    const QRect other = m_tree->visualItemRect(m_tree->topLevelItem(8));
    // The right button's press and release, then the context-menu request the window system
    // makes of them.
    QTest::mouseClick(m_tree->viewport(), Qt::RightButton, {}, other.center());
    QContextMenuEvent request(QContextMenuEvent::Mouse, other.center(),
                              m_tree->viewport()->mapToGlobal(other.center()));
    QCoreApplication::sendEvent(m_tree->viewport(), &request);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(m_tree->selectedItems().size(), 1);
    QCOMPARE(m_tree->selectedItems().first()->text(0), u"수학선생님"_s);

    // The menu's delete acts on the selected entry, not on the one clicked.
    menuItem("N2")->trigger();
    menu->hide();
    QVERIFY(m_tree->findItems(u"수학선생님"_s, Qt::MatchExactly).isEmpty());
    QVERIFY(!m_tree->findItems(u"기술선생님"_s, Qt::MatchExactly).isEmpty());
}

void TestContacts::entriesCanBeRenamedInPlace()
{
    QTreeWidgetItem *entry = m_tree->topLevelItem(3);
    m_tree->setFocus();
    m_tree->setCurrentItem(entry);
    QTest::keyClick(m_tree, Qt::Key_F2);
    QLineEdit *editor = nullptr;
    QTRY_VERIFY((editor = m_tree->viewport()->findChild<QLineEdit *>()) != nullptr);
    editor->setText(u"원어민선생님"_s);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(entry->text(0), u"원어민선생님"_s);
}

void TestContacts::searchAddress_data()
{
    QTest::addColumn<QString>("query");
    QTest::newRow("placeholder") << u"Write Your Question"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("ampersand and hash") << u"rock & roll #1"_s;
    QTest::newRow("percent and plus") << u"100% c++ = a+b"_s;
    QTest::newRow("Hangul") << u"오늘 날씨"_s;
    QTest::newRow("equals and question mark") << u"a=b?c"_s;
}

void TestContacts::searchAddress()
{
    QFETCH(QString, query);
    const QUrl url = console::searchAddress(query);
    QVERIFY(url.isValid());
    const QByteArray encoded = url.toEncoded();
    QVERIFY(encoded.startsWith("http://search.naver.com/search.naver?where=nexearch&query="));
    QVERIFY(encoded.endsWith("&frm=t1"));
    // The service splits on "&" and "=" and decodes each value: it gets exactly the question.
    const QList<QByteArray> items = url.query(QUrl::FullyEncoded).toUtf8().split('&');
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0), "where=nexearch"_ba);
    QCOMPARE(items.at(2), "frm=t1"_ba);
    QVERIFY(items.at(1).startsWith("query="));
    const QByteArray value = items.at(1).sliced(6);
    QVERIFY(!value.contains('+')); // "+" would read as a space
    QCOMPARE(QString::fromUtf8(QByteArray::fromPercentEncoding(value)), query);
    if (query.isEmpty())
        QCOMPARE(encoded, "http://search.naver.com/search.naver?where=nexearch&query=&frm=t1"_ba);
}

void TestContacts::searchOpensBrowserAndKeepsQuestion()
{
    QList<QUrl> opened;
    m_form->openUrl = [&](const QUrl &url) {
        opened.append(url);
        return true;
    };
    auto *question = m_form->findChild<QLineEdit *>(u"Edit4"_s);
    QTest::mouseClick(m_form->findChild<QPushButton *>(u"Button4"_s), Qt::LeftButton);
    QCOMPARE(opened, QList<QUrl>{console::searchAddress(u"Write Your Question"_s)});
    question->setText(u"급식 메뉴 & 시간"_s);
    m_form->Button4Click();
    QCOMPARE(opened.last(), console::searchAddress(u"급식 메뉴 & 시간"_s));
    QCOMPARE(question->text(), u"급식 메뉴 & 시간"_s);
    QVERIFY(m_boxes->texts.isEmpty());
}

void TestContacts::searchSaysWhenNoBrowserOpens()
{
    m_form->openUrl = [](const QUrl &) { return false; };
    m_form->Button4Click();
    QTRY_COMPARE(m_boxes->texts.size(), 1);
    QVERIFY(m_boxes->texts.first().startsWith(u"웹 브라우저를 열 수 없습니다"_s));
}

QTEST_MAIN(TestContacts)
#include "tst_contacts.moc"
