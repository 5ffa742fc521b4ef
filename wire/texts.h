#pragma once

#include <QByteArray>
#include <QString>

namespace wire {

// The texts a side of the chat sends, in code page 949; both throw SendError, ControlCharacter for
// a control character, which has no place in a block, and Unencodable for a character that code
// page 949 cannot hold. Whether a text fits its block is
// checked where the block is made (buildBlock, ensureFitsBlock).

// A chat line: "M", the name, ":" and the line.
QByteArray chatLineText(const QString &name, const QString &line);
// A message: "S", the name, ":" and the body, its line breaks as CR LF (the only control
// characters it may hold).
QByteArray messageText(const QString &name, const QString &body);

} // namespace wire
