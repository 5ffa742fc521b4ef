#pragma once

#include "block.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>

namespace chatlink {

// A text shorter than a block with no zero after it is either complete (some clients send texts
// without the zero fill) or the front of a block that TCP split inside its text. It is held this
// long for the rest of the block before being taken as it is.
inline constexpr int kTextSettleMs = 50;

// Cuts one client's byte stream into texts, keeping in step with the blocks. No I/O and no
// timers: its owner feeds it the bytes of each read and tells it when held bytes have settled.
//
// Reading rules:
// - A read takes at most the rest of one block (room()); its text runs to the first zero, and
//   the bytes after that zero in the same read belong to the block and are ignored.
// - No text starts with a zero byte: zeros where a text would start are the rest of a block's
//   fill, split off by TCP or left behind by a text read together with the front of a block,
//   and are dropped.
// - A front with no zero is held until its block is complete or it settles; settled, it is a
//   text of its own (a client that sends texts without the zero fill).
// - After a settled front of k bytes, the next 100 - k bytes are recognised as the rest of that
//   block when they end in a zero and are followed by the start of a text (or by nothing yet):
//   they are dropped, so that a block whose rest came late does not put later blocks out of
//   step. Anything else starts a block of its own.
class BlockReader
{
public:
    // How many bytes the next read may take: never more than completes one text.
    qsizetype room() const;
    // One read's bytes, at most room() of them; the text they complete, if any. A text is a view
    // of the bytes fed or of the reader's own, valid until the reader is used again.
    std::optional<QByteArrayView> feed(QByteArrayView bytes);
    // The held bytes have waited kTextSettleMs: whatever they hold is taken as it is.
    std::optional<QByteArrayView> settle();
    // True while bytes wait for the rest of their block; the owner then times the settle.
    bool isHolding() const { return !m_held.isEmpty(); }
    void reset();

    // Feeds bytes of any length, read by read, and returns every text they complete.
    QList<QByteArray> feedAll(QByteArrayView bytes);

private:
    std::optional<QByteArrayView> take(QByteArrayView bytes);
    std::optional<QByteArrayView> endRemainder();
    // The held bytes and the tail as one text, kept in m_text.
    QByteArrayView takeHeld(QByteArrayView tail);

    QByteArray m_held;         // a front without zero, or the candidate for a block's rest
    qsizetype m_remainder = 0; // > 0: the length of a settled front's block rest to recognise
    QByteArray m_text;         // the last text made of held bytes
    QByteArray m_candidate;    // a candidate that turned out not to be a block's rest
};

} // namespace chatlink
