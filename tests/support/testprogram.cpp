#include "testprogram.h"

#include "fonts.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QTest>

BoxWatcher::BoxWatcher()
{
    qApp->installEventFilter(this);
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &BoxWatcher::poll);
    m_timer.start();
}

bool BoxWatcher::eventFilter(QObject *watched, QEvent *event)
{
    // Seen as each box shows, so that the last one seen is the newest.
    auto *box = qobject_cast<QMessageBox *>(watched);
    if (box && event->type() == QEvent::Show && !m_seen.contains(box)) {
        m_seen.append(box);
        texts.append(box->text());
        mostOpen = qMax(mostOpen, visible());
    }
    return false;
}

void BoxWatcher::poll()
{
    if (holdWhile && holdWhile())
        return;
    if (QMessageBox *top = topBox())
        clickThroughWindow(*top->button(QMessageBox::Ok));
}

int BoxWatcher::visible() const
{
    return int(std::count_if(m_seen.cbegin(), m_seen.cend(), [](const QPointer<QMessageBox> &box) {
        return box && box->isVisible();
    }));
}

QMessageBox *BoxWatcher::topBox() const
{
    // The last box opened that is still visible: it is over the others.
    for (auto it = m_seen.crbegin(); it != m_seen.crend(); ++it) {
        if (*it && (*it)->isVisible())
            return *it;
    }
    return nullptr;
}

TestProgram::TestProgram(int splashMs, quint16 port) : program(port, splashMs)
{
    shell::installFontSubstitutes();
    program.splash().show();
    if (splashMs == 0 && !(QTest::qWaitFor([this] { return console().isVisible(); }) &&
                           QTest::qWaitForWindowExposed(&console())))
        qWarning("the console was never shown");
}

std::unique_ptr<RawClient> TestProgram::connectListed()
{
    return ::connectListed(program.server().serverPort(),
                           [this] { return clientList().model()->rowCount(); });
}

void clickThroughWindow(QWidget &widget, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                        QPoint at)
{
    if (at == QPoint(-1, -1))
        at = widget.rect().center();
    QTest::mouseClick(widget.window()->windowHandle(), button, modifiers,
                      widget.mapTo(widget.window(), at));
}

void type(QWidget &field, const QString &text)
{
    QTest::mouseClick(&field, Qt::LeftButton);
    QInputMethodEvent typed;
    typed.setCommitString(text);
    QApplication::sendEvent(&field, &typed);
}
