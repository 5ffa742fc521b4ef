#include "Unit2.h"

#include "Unit1.h"
#include "guard.h"
#include "ui_Unit2.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace {
constexpr QPoint kPosition(704, 159);
constexpr int kSplashMs = 4000;
} // namespace

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_ui(std::make_unique<Ui::TForm2>())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    move(kPosition);
    // Precise: a coarse timer may fire up to 5% early, cutting the splash short.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(kSplashMs);
    uisupport::connectGuarded(&Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);
    Timer1.start();
}

TForm2::~TForm2() = default;

void TForm2::Timer1Timer()
{
    hide();
    Form1->show();
}

void TForm2::stopHandOver()
{
    Timer1.stop();
    Timer1.setInterval(0);
}

void TForm2::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Whether shown or hidden, closing the main window ends the program.
    QCoreApplication::quit();
}
