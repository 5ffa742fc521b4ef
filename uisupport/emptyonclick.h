#pragma once

class QLineEdit;

namespace uisupport {

// The field empties itself when the operator clicks into it, ready for a new entry.
void emptyOnClick(QLineEdit &field);

} // namespace uisupport
