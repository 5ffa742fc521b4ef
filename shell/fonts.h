#pragma once

namespace shell {

// The window layouts name Windows faces ("MS Sans Serif", "돋움체", "HY울릉도B"); map them to
// installed faces that hold Hangul, so that no text renders as empty boxes.
void installFontSubstitutes();

} // namespace shell
