#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace uisupport {

// At most this many boxes are open at once: past it a further box is not shown and what follows
// it happens at once, so that a flood of events cannot open windows without bound.
inline constexpr int kMaxOpenBoxes = 8;

// Shows a box with the application's title, the text and an OK button, and returns at once; no
// event loop runs inside. The box blocks the windows that were visible when it opened; windows
// shown later take input. Once it is dismissed, `dismissed` runs, unless the context has been
// deleted meanwhile; when kMaxOpenBoxes are open, it runs at once instead.
void messageBox(const QString &text, const QObject *context = nullptr,
                std::function<void()> dismissed = {});
// The standard display of an error that stopped an action: the same box with an error icon.
void errorBox(const QString &text);
// How many boxes are open now.
int openBoxCount();

} // namespace uisupport
