#include "program.h"

#include "Unit1.h"
#include "Unit2.h"
#include "fonts.h"
#include "forms.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

BoxWatcher::BoxWatcher()
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &BoxWatcher::poll);
    m_timer.start();
}

void BoxWatcher::poll()
{
    int open = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(widget);
        if (!box || !box->isVisible())
            continue;
        ++open;
        if (m_seen.contains(box))
            continue;
        m_seen.append(box);
        texts.append(box->text());
        if (box->icon() == QMessageBox::Critical)
            errors.append(box->text());
    }
    mostOpen = qMax(mostOpen, open);
    if (holdWhile && holdWhile())
        return;
    if (QMessageBox *top = topBox())
        top->button(QMessageBox::Ok)->click();
}

QMessageBox *BoxWatcher::topBox() const
{
    // Boxes nest: the innermost open box is the last one opened that is still visible.
    for (auto it = m_seen.crbegin(); it != m_seen.crend(); ++it) {
        if (*it && (*it)->isVisible())
            return *it;
    }
    return nullptr;
}

Program::Program(bool handOver)
{
    console::installFontSubstitutes();
    shell::createForms(0);
    if (handOver)
        Form2->Timer1Timer();
    else
        Form2->show();
    if (!QTest::qWaitForWindowExposed(handOver ? static_cast<QWidget *>(Form1) : Form2))
        qWarning("no window was shown");
}

Program::~Program()
{
    shell::destroyForms();
}

std::unique_ptr<RawClient> Program::connectListed()
{
    return ::connectListed(Form1->ServerSocket1.serverPort(), [] { return clientList()->count(); });
}

QListWidget *clientList()
{
    return control<QListWidget>(Form1, "ListBox1");
}

QPlainTextEdit *chatLog()
{
    return control<QPlainTextEdit>(Form1, "Memo1");
}
