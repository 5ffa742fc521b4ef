#include "Unit1.h"

#include "Unit3.h"
#include "Unit4.h"
#include "chatlink/block.h"
#include "fixedwindow.h"
#include "guard.h"
#include "statusclock.h"
#include "ui_Unit1.h"
#include "websearch.h"
#include "wording.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace {

constexpr QPoint kFramePosition(196, 67);
constexpr int kClockIntervalMs = 1000;
constexpr int kPanelWidths[] = {170, 100, 50};

// Entries the operator adds get an icon of their own, unlike any role; selected, every entry
// shows the first role icon, as the presets do.
QIcon friendIcon()
{
    QIcon icon(u":/halcyra/roles/friend.png"_s);
    icon.addFile(u":/halcyra/roles/role00.png"_s, QSize(), QIcon::Selected);
    return icon;
}

} // namespace

TForm1 *Form1 = nullptr;

TForm1::TForm1(quint16 port, QWidget *parent)
    : QWidget(parent, uisupport::kFixedDialogFrame), ServerSocket1(port),
      m_ui(std::make_unique<Ui::TForm1>()), m_link(ServerSocket1, *this, *this, *this)
{
    m_ui->setupUi(this);
    uisupport::fixWindow(*this, kFramePosition);

    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel(m_ui->StatusBar1);
        m_panels[i]->setObjectName(u"Panel%1"_s.arg(i));
        m_panels[i]->setFixedWidth(kPanelWidths[i]);
        m_ui->StatusBar1->addWidget(m_panels[i]);
    }
    m_panels[0]->setText(u"Halcyra V.10"_s);

    for (QLineEdit *edit : {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4})
        edit->installEventFilter(this);
    uisupport::connectGuarded(m_ui->Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    uisupport::connectGuarded(m_ui->Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
    uisupport::connectGuarded(m_ui->Button4, &QPushButton::clicked, this, &TForm1::Button4Click);

    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    QAction *add = m_popupMenu->addAction(u"친구추가"_s);
    add->setObjectName(u"N1"_s);
    uisupport::connectGuarded(add, &QAction::triggered, this, &TForm1::N1Click);
    QAction *remove = m_popupMenu->addAction(u"친구삭제"_s);
    remove->setObjectName(u"N2"_s);
    uisupport::connectGuarded(remove, &QAction::triggered, this, &TForm1::N2Click);
    connect(m_ui->TreeView1, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        m_popupMenu->popup(m_ui->TreeView1->viewport()->mapToGlobal(at));
    });
    // The menu acts on the selected entry: a right click opens it without selecting.
    m_ui->TreeView1->viewport()->installEventFilter(this);

    if (!ServerSocket1.start()) {
        // Shown once the event loop runs, over the splash; the program goes on without clients.
        const QString reason = ServerSocket1.errorString();
        QTimer::singleShot(0, this, [port, reason] {
            uisupport::errorBox(console::wording::portNotOpened(port, reason));
        });
    }

    m_chatLog = std::make_unique<console::ChatLog>(*m_ui->Memo1);

    // Precise: a coarse timer may come up to 5% of its interval late by design.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(kClockIntervalMs);
    connect(&Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    Timer1.start();
    Timer1Timer();

    m_ui->Memo1->clear();
    m_ui->Edit1->clear();
}

TForm1::~TForm1() = default;

void TForm1::logChatLine()
{
    m_chatLog->appendNow(m_ui->Edit2->text() + QLatin1Char(chatlink::kNameSeparator) +
                         m_ui->Edit1->text());
}

void TForm1::Button1Click()
{
    if (!m_ui->Radio1->isChecked() && !m_ui->Radio2->isChecked()) {
        uisupport::messageBox(console::wording::chooseChatMode);
        m_ui->Edit1->clear();
        return;
    }
    // The chat link fails before sending anything, and then the line is neither logged nor
    // cleared: a refused line stays in the entry exactly as typed.
    const QString name = m_ui->Edit2->text();
    const QString line = m_ui->Edit1->text();
    if (m_ui->Radio2->isChecked()) {
        if (m_link.sendChatLineToAll(name, line) == 0) {
            uisupport::messageBox(console::wording::noClientConnected);
            return;
        }
    } else {
        m_link.sendChatLine(name, line);
    }
    logChatLine();
    m_ui->Edit1->clear();
}

void TForm1::Edit1KeyPress(QChar key)
{
    if (key != QChar(u'\r') || !ServerSocket1.isListening())
        return;
    m_link.sendChatTextToFirst(m_ui->Edit2->text(), m_ui->Edit1->text());
    logChatLine();
    m_ui->Edit1->clear();
}

void TForm1::Button3Click()
{
    Form4->clearBody();
    Form4->open();
}

void TForm1::Button4Click()
{
    const QUrl address = console::searchAddress(m_ui->Edit4->text());
    if (!openUrl(address))
        uisupport::messageBox(console::wording::browserNotOpened(address.toString()));
}

void TForm1::N1Click()
{
    auto *entry = new QTreeWidgetItem(QStringList{m_ui->Edit3->text()});
    entry->setIcon(0, friendIcon());
    entry->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    const QList<QTreeWidgetItem *> selected = m_ui->TreeView1->selectedItems();
    QTreeWidgetItem *parent = selected.isEmpty() ? nullptr : selected.first()->parent();
    if (parent)
        parent->addChild(entry);
    else
        m_ui->TreeView1->addTopLevelItem(entry);
}

void TForm1::N2Click()
{
    const QList<QTreeWidgetItem *> selected = m_ui->TreeView1->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
}

void TForm1::Timer1Timer()
{
    const console::ClockTexts texts = console::clockTexts(QDateTime::currentDateTime());
    m_panels[1]->setText(texts.date);
    m_panels[2]->setText(texts.time);
}

void TForm1::Edit2Click()
{
    m_ui->Edit2->clear();
}

void TForm1::Edit3Click()
{
    m_ui->Edit3->clear();
}

void TForm1::Edit4Click()
{
    m_ui->Edit4->clear();
}

void TForm1::FormShow()
{
    emit shown();
}

void TForm1::FormClose()
{
    emit closing();
}

void TForm1::appendRow(const QString &text)
{
    m_ui->ListBox1->addItem(text);
}

void TForm1::removeRow(int row)
{
    // Left alone, the list would move the selection to a neighbour, and the operator's next line
    // would go to a student they never picked.
    const bool wasSelected = selectedRow() == row;
    delete m_ui->ListBox1->takeItem(row);
    if (wasSelected) {
        m_ui->ListBox1->setCurrentItem(nullptr);
        m_ui->ListBox1->clearSelection();
    }
}

int TForm1::selectedRow() const
{
    return m_ui->ListBox1->currentItem() && m_ui->ListBox1->currentItem()->isSelected()
               ? m_ui->ListBox1->currentRow()
               : -1;
}

void TForm1::appendChatLine(const QString &line)
{
    m_chatLog->append(line);
}

void TForm1::presentMessage(const QString &message)
{
    // Past the box cap a message gets no box: it joins the viewer instead of wiping messages the
    // operator has not seen yet.
    if (!uisupport::boxesFull()) {
        Form3->clearMessages();
        uisupport::messageBox(console::wording::messageArrived);
    }
    Form3->show();
    Form3->raise();
    Form3->appendMessage(message);
}

void TForm1::clientConnected(const QString &)
{
    uisupport::messageBox(console::wording::clientConnected);
}

void TForm1::networkSetupError()
{
    uisupport::messageBox(console::wording::networkSetupError);
}

void TForm1::socketError(const QString &text)
{
    uisupport::errorBox(text);
}

void TForm1::clientDropped(const QString &address)
{
    uisupport::messageBox(console::wording::clientDropped(address));
}

QString TForm1::contactName() const
{
    return m_ui->Edit3->text();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        uisupport::guarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    uisupport::guarded([this] { FormClose(); });
    QWidget::closeEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->TreeView1->viewport()) {
        const auto type = event->type();
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
             type == QEvent::MouseButtonDblClick) &&
            static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return true;
        return QWidget::eventFilter(watched, event);
    }
    if (watched == m_ui->Edit1 && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            uisupport::guarded([this] { Edit1KeyPress(QChar(u'\r')); });
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_ui->Edit2)
            uisupport::guarded([this] { Edit2Click(); });
        else if (watched == m_ui->Edit3)
            uisupport::guarded([this] { Edit3Click(); });
        else if (watched == m_ui->Edit4)
            uisupport::guarded([this] { Edit4Click(); });
    }
    return QWidget::eventFilter(watched, event);
}
