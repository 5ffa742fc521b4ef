#pragma once

// Conversion between the windows' Unicode text and the wire's code page 949 (Unified Hangul Code).

#include <QByteArray>
#include <QString>

namespace wire {

inline constexpr char kUnmappableByte = '?';

// Characters that code page 949 cannot hold become '?', one per character.
QByteArray toCp949(QStringView text);

// The characters of the text that code page 949 cannot hold, each once, in the order they first
// come.
QString unencodable(QStringView text);

// Bytes that do not form a valid sequence become U+FFFD, one per byte.
QString fromCp949(QByteArrayView bytes);

} // namespace wire
