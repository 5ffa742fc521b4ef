#pragma once

#include <QPoint>
#include <QWidget>

namespace uisupport {

// A fixed dialog frame: a title and a close box, no minimise or maximise box, not resizable.
inline constexpr Qt::WindowFlags kFixedDialogFrame =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
    Qt::MSWindowsFixedSizeDialogHint;

// Keeps the window at the client size its layout gave it, with its frame's top-left corner at
// the given screen position.
inline void fixWindow(QWidget &window, QPoint framePosition)
{
    window.setFixedSize(window.size());
    window.move(framePosition);
}

} // namespace uisupport
