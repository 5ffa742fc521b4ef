#pragma once

// halcyra-client's platform side: standard input and the locale's character set.

#include <QByteArray>

namespace terminal {

// The character set of the user's locale, as the platform names it ("UTF-8", "EUC-KR", ...).
QByteArray localeCodeset();

// Standard input, for a QSocketNotifier.
qintptr inputHandle();

enum class Input { Data, NoData, End };

// Appends what standard input holds to bytes; NoData when a read found nothing after all.
Input readInput(QByteArray &bytes);

} // namespace terminal
