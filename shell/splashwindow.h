#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class SplashWindow;
}

namespace shell {

// The splash window: shown alone at start-up, then hands over to the console. It is the
// application's main window, so closing it ends the program.
class SplashWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kShowMs = 4000;

    // The hand-over is due the given time after the splash is created.
    explicit SplashWindow(int showMs = kShowMs, QWidget *parent = nullptr);
    ~SplashWindow() override;

public slots:
    // The console has been shown: the hand-over never happens again.
    void stopHandOver();

signals:
    // The splash has hidden itself: the console is to be shown.
    void handOverDue();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void handOver();

private:
    std::unique_ptr<Ui::SplashWindow> m_ui;
    QTimer m_handOver;
};

} // namespace shell
