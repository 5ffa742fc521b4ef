#pragma once

#include <QTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class TForm2;
}

// The splash window: shown alone at start-up, then hands over to the console. It is the
// application's main window, so closing it ends the program.
class TForm2 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    QTimer Timer1;

    // Hides the splash and shows the console.
    void Timer1Timer();
    // Called when the console is shown: the hand-over never happens again.
    void stopHandOver();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::TForm2> m_ui;
};

extern TForm2 *Form2;
