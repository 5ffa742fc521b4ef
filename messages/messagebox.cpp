#include "messagebox.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScopeGuard>

namespace messages {
namespace {

int g_openBoxes = 0;

void showBox(QMessageBox::Icon icon, const QString &text)
{
    if (g_openBoxes >= kMaxOpenBoxes)
        return;
    ++g_openBoxes;
    const auto closed = qScopeGuard([] { --g_openBoxes; });
    QMessageBox box(icon, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok);
    box.exec();
}

} // namespace

void messageBox(const QString &text)
{
    showBox(QMessageBox::NoIcon, text);
}

void errorBox(const QString &text)
{
    showBox(QMessageBox::Critical, text);
}

int openBoxCount()
{
    return g_openBoxes;
}

} // namespace messages
