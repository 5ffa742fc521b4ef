#include "Unit1.h"

#include "statusclock.h"
#include "ui_Unit1.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace {

constexpr QPoint kFramePosition(196, 67);
constexpr int kClockIntervalMs = 1000;
constexpr int kPanelWidths[] = {170, 100, 50};

} // namespace

TForm1::TForm1(quint16 port, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ServerSocket1(port), m_ui(std::make_unique<Ui::TForm1>()),
      m_link(ServerSocket1, *this, *this, m_prompt)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    move(kFramePosition);

    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        m_panels[i] = new QLabel(m_ui->StatusBar1);
        m_panels[i]->setObjectName(u"Panel%1"_s.arg(i));
        m_panels[i]->setFixedWidth(kPanelWidths[i]);
        m_ui->StatusBar1->addWidget(m_panels[i]);
    }
    m_panels[0]->setText(u"Halcyra V.10"_s);

    for (QLineEdit *edit : {m_ui->Edit2, m_ui->Edit3, m_ui->Edit4})
        edit->installEventFilter(this);

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
            console::errorBox(
                u"포트 %1을(를) 열 수 없어 클라이언트의 접속을 받을 수 없습니다.\n%2"_s.arg(port)
                    .arg(reason));
        });
    }

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
    console::guarded([&] { m_link.clientConnected(socket); });
}

void TForm1::ServerSocket1ClientRead(chatlink::ClientConnection *socket)
{
    console::guarded([&] { m_link.clientRead(socket); });
}

void TForm1::ServerSocket1ClientError(chatlink::ClientConnection *socket, int errorCode,
                                      const QString &text)
{
    console::guarded([&] { m_link.clientError(socket, errorCode, text); });
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
    delete m_ui->ListBox1->takeItem(row);
}

int TForm1::selectedRow() const
{
    return m_ui->ListBox1->currentItem() && m_ui->ListBox1->currentItem()->isSelected()
               ? m_ui->ListBox1->currentRow()
               : -1;
}

void TForm1::appendChatLine(const QString &line)
{
    m_ui->Memo1->appendPlainText(line);
}

void TForm1::presentMessage(const QString &message)
{
    Q_UNUSED(message);
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        console::guarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    console::guarded([this] { FormClose(); });
    QWidget::closeEvent(event);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_ui->Edit2)
            console::guarded([this] { Edit2Click(); });
        else if (watched == m_ui->Edit3)
            console::guarded([this] { Edit3Click(); });
        else if (watched == m_ui->Edit4)
            console::guarded([this] { Edit4Click(); });
    }
    return QWidget::eventFilter(watched, event);
}
