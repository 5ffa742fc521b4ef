#pragma once

// The block: the only unit of text exchanged with clients, over TCP port 5000.
//
//   offset  length    content
//   0       1         tag: 'M' (0x4D) chat line, 'S' (0x53) message
//   1       n         name: nickname (chat line) or contact name (message); may be empty
//   1+n     1         ':' (0x3A)
//   2+n     m         body; a message body may hold CR LF pairs
//   2+n+m   98-n-m    zero bytes up to offset 99
//
// Tag, name, colon and body together are the block's text: at most 100 bytes of code page 949,
// never containing a zero byte, so the first zero marks its end. There is no length field,
// checksum or escaping; the receiver does not split name from body. A text of exactly 100 bytes
// fills the block without any zero.

#include <QByteArray>
#include <QByteArrayView>
#include <array>

namespace wire {

inline constexpr quint16 kServerPort = 5000;
inline constexpr qsizetype kBlockSize = 100;
inline constexpr char kTagChatLine = 'M';
inline constexpr char kTagMessage = 'S';
inline constexpr char kNameSeparator = ':';

using Block = std::array<char, kBlockSize>;

// tag + name + ':' + body.
QByteArray composeText(char tag, QByteArrayView name, QByteArrayView body);

// Throws SendError (TooLong) when the text is longer than a block.
void ensureFitsBlock(QByteArrayView text);

// The text at offset 0 of an otherwise zero block; throws SendError (TooLong) when it does not fit.
Block buildBlock(QByteArrayView text);

enum class TextKind { Ignored, ChatLine, Message };

struct ReceivedText
{
    TextKind kind = TextKind::Ignored;
    QByteArrayView payload; // the text without its tag: a view of the text given
};

// Byte-exact and case-sensitive: 'M' is a chat line, 'S' a message, anything else (and the empty
// text) is ignored.
ReceivedText recognise(QByteArrayView text);

} // namespace wire
