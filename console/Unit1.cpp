#include "Unit1.h"

#include "Unit3.h"
#include "chatlink/cp949.h"
#include "fixedwindow.h"
#include "statusclock.h"
#include "ui_Unit1.h"
#include "websearch.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

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
    : QWidget(parent, messages::kFixedDialogFrame), ServerSocket1(port),
      m_ui(std::make_unique<Ui::TForm1>()), m_link(ServerSocket1, *this, *this, m_prompt)
{
    m_ui->setupUi(this);
    messages::fixWindow(*this, kFramePosition);

    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel(m_ui->StatusBar1);
        m_panels[i]->setObjectName(u"Panel%1"_s.arg(i));
        m_panels[i]->setFixedWidth(kPanelWidths[i]);
        m_ui->StatusBar1->addWidget(m_panels[i]);
    }
    m_panels[0]->setText(u"Halcyra V.10"_s);

    for (QLineEdit *edit : {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4})
        edit->installEventFilter(this);
    connect(m_ui->Button1, &QPushButton::clicked, this,
            [this] { messages::guarded([this] { Button1Click(); }); });
    connect(m_ui->Button3, &QPushButton::clicked, this,
            [this] { messages::guarded([this] { Button3Click(); }); });
    connect(m_ui->Button4, &QPushButton::clicked, this,
            [this] { messages::guarded([this] { Button4Click(); }); });

    openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    QAction *add = m_popupMenu->addAction(u"친구추가"_s);
    add->setObjectName(u"N1"_s);
    connect(add, &QAction::triggered, this, [this] { messages::guarded([this] { N1Click(); }); });
    QAction *remove = m_popupMenu->addAction(u"친구삭제"_s);
    remove->setObjectName(u"N2"_s);
    connect(remove, &QAction::triggered, this,
            [this] { messages::guarded([this] { N2Click(); }); });
    connect(m_ui->TreeView1, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        m_popupMenu->popup(m_ui->TreeView1->viewport()->mapToGlobal(at));
    });
    // The menu acts on the selected entry: a right click opens it without selecting.
    m_ui->TreeView1->viewport()->installEventFilter(this);

    connect(&ServerSocket1, &chatlink::ChatServer::clientConnected, this,
            &TForm1::ServerSocket1ClientConnect);
    connect(&ServerSocket1, &chatlink::ChatServer::clientRead, this,
            &TForm1::ServerSocket1ClientRead);
    connect(&ServerSocket1, &chatlink::ChatServer::clientError, this,
            &TForm1::ServerSocket1ClientError);
    if (!ServerSocket1.start()) {
        // Shown once the event loop runs, over the splash; the program goes on without clients.
        const QString reason = ServerSocket1.errorString();
        QTimer::singleShot(0, this, [port, reason] {
            messages::errorBox(
                u"포트 %1을(를) 열 수 없어 클라이언트의 접속을 받을 수 없습니다.\n%2"_s.arg(port)
                    .arg(reason));
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

void TForm1::ServerSocket1ClientConnect(chatlink::ClientConnection *socket)
{
    messages::guarded([&] { m_link.clientConnected(socket); });
}

void TForm1::ServerSocket1ClientRead(chatlink::ClientConnection *socket)
{
    messages::guarded([&] { m_link.clientRead(socket); });
}

void TForm1::ServerSocket1ClientError(chatlink::ClientConnection *socket, int errorCode,
                                      const QString &text)
{
    messages::guarded([&] { m_link.clientError(socket, errorCode, text); });
}

QByteArray TForm1::chatLineText() const
{
    const QByteArray text =
        chatlink::composeText(chatlink::kTagChatLine, chatlink::toCp949(m_ui->Edit2->text()),
                              chatlink::toCp949(m_ui->Edit1->text()));
    chatlink::ensureFitsBlock(text);
    return text;
}

void TForm1::logChatLine()
{
    m_chatLog->appendNow(m_ui->Edit2->text() + QLatin1Char(chatlink::kNameSeparator) +
                         m_ui->Edit1->text());
}

void TForm1::Button1Click()
{
    if (!m_ui->Radio1->isChecked() && !m_ui->Radio2->isChecked()) {
        messages::messageBox(u"채팅을 선택해주세요 ^_^"_s);
        m_ui->Edit1->clear();
        return;
    }
    // Everything that can fail comes before the line is logged, so a refused line stays in the
    // entry exactly as typed.
    const chatlink::Block block = chatlink::buildBlock(chatLineText());
    if (m_ui->Radio2->isChecked()) {
        const QList<QPointer<chatlink::ClientConnection>> clients(
            ServerSocket1.connections().begin(), ServerSocket1.connections().end());
        if (clients.isEmpty()) {
            messages::messageBox(u"연결된 접속자가 없습니다 "_s);
            return;
        }
        logChatLine();
        for (const auto &client : clients) {
            if (client)
                client->sendBlock(block);
        }
    } else {
        chatlink::ClientConnection *client = selectedClient();
        logChatLine();
        client->sendBlock(block);
    }
    m_ui->Edit1->clear();
}

void TForm1::Edit1KeyPress(QChar key)
{
    if (key != QChar(u'\r') || !ServerSocket1.isListening())
        return;
    const QByteArray text = chatLineText();
    chatlink::ClientConnection *first = ServerSocket1.connection(0);
    logChatLine();
    first->send(text);
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
        messages::messageBox(u"웹 브라우저를 열 수 없습니다: %1"_s.arg(address.toString()));
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
    if (!messages::boxesFull()) {
        Form3->clearMessages();
        messages::messageBox(u"Message"_s);
    }
    Form3->show();
    Form3->raise();
    Form3->appendMessage(message);
}

QString TForm1::contactName() const
{
    return m_ui->Edit3->text();
}

chatlink::ClientConnection *TForm1::selectedClient() const
{
    return m_link.selectedClient();
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        messages::guarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    messages::guarded([this] { FormClose(); });
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
            messages::guarded([this] { Edit1KeyPress(QChar(u'\r')); });
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_ui->Edit2)
            messages::guarded([this] { Edit2Click(); });
        else if (watched == m_ui->Edit3)
            messages::guarded([this] { Edit3Click(); });
        else if (watched == m_ui->Edit4)
            messages::guarded([this] { Edit4Click(); });
    }
    return QWidget::eventFilter(watched, event);
}
