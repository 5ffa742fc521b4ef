#pragma once

#include <QString>

namespace uisupport {

// Boxes opened from socket events nest: each runs its own loop inside the one before. Past this
// many open boxes a further notice is skipped (its action still happens), so a flood of events
// cannot nest loops until the stack overflows.
inline constexpr int kMaxOpenBoxes = 8;

// A box with the application's title, the text and an OK button; returns once dismissed. It
// blocks the windows that were visible when it opened; socket notifications and timers go on
// being handled meanwhile, and windows shown meanwhile take input.
void messageBox(const QString &text);
// The standard display of an error that stopped an action: the same box with an error icon.
void errorBox(const QString &text);
int openBoxCount();
// True while kMaxOpenBoxes are open: a further box would not be shown.
bool boxesFull();

} // namespace uisupport
