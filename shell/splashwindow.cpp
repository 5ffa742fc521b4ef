#include "splashwindow.h"

#include "ui_splashwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace {
constexpr QPoint kPosition(704, 159);
} // namespace

namespace shell {

SplashWindow::SplashWindow(int showMs, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_ui(std::make_unique<Ui::SplashWindow>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    move(kPosition);
    // Precise: a coarse timer may fire up to 5% early, cutting the splash short.
    m_handOver.setTimerType(Qt::PreciseTimer);
    m_handOver.setSingleShot(true);
    m_handOver.setInterval(showMs);
    connect(&m_handOver, &QTimer::timeout, this, &SplashWindow::handOver);
    m_handOver.start();
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::handOver()
{
    hide();
    emit handOverDue();
}

void SplashWindow::stopHandOver()
{
    m_handOver.stop();
}

void SplashWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Whether shown or hidden, closing the main window ends the program.
    QCoreApplication::quit();
}

} // namespace shell
