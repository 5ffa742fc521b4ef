#pragma once

#include "block.h"

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace wire {

// A text shorter than a block with no zero after it is either complete (some clients send texts
// without the zero fill) or the front of a block that TCP split inside its text. It is held this
// long for the rest of the block before being taken as it is.
inline constexpr int kTextSettleMs = 50;

// Cuts one client's byte stream into texts, keeping in step with the blocks. No I/O and no
// timers: its owner feeds it the bytes of each read and tells it when held bytes have settled.
//
// Reading rules:
// - A read takes at most the rest of one block (room()). Where a text would start, a byte that
//   is not zero starts one, which runs to its first zero or its 100th byte; a zero there starts
//   a block with an empty text (a client that reused its buffer: what follows is stale).
// - The rest of a block after its text's zero (up to 100 bytes from its start) is ignored: the
//   bytes after a text in its own read whatever they are; otherwise the first byte that is not
//   zero decides: a tag (M or S) starts the next text (the zeros were the fill of a block the
//   reader was out of step with, or the client ends its texts with a single zero), any other
//   byte means the rest of the block is ignored too.
// - A front with no zero is held until its block is complete or it settles; settled, it is a
//   text of its own (a client that sends texts without the zero fill).
// - After a settled front of k bytes, the next 100 - k bytes are that block's rest, and dropped,
//   when what follows them is a tag or nothing yet, or they end in a zero and a byte that is not
//   zero follows; so a late rest, filled or not, does not put later blocks out of step. Anything
//   else starts a block of its own. At a settle, part of a rest that does not start with a tag
//   stays held (as a text it would be ignored anyway).
class BlockReader
{
public:
    // How many bytes the next read may take: never more than completes one text.
    qsizetype room() const;
    // One read's bytes, at most room() of them; the text they complete, if any. A text is a view
    // of the bytes fed or of the reader's own, valid until the reader is used again.
    std::optional<QByteArrayView> feed(QByteArrayView bytes);
    // The held bytes have waited kTextSettleMs and nothing more has come: they are taken as
    // they are, by the rules above.
    std::optional<QByteArrayView> settle();
    // True while held bytes wait for their settle; the owner then times it.
    bool isHolding() const;
    void reset();

    // Feeds bytes of any length from the front of the view, read by read, until they complete a
    // text or are all taken; the view is left with the bytes not taken.
    std::optional<QByteArrayView> feedSome(QByteArrayView &bytes);

private:
    std::optional<QByteArrayView> take(QByteArrayView bytes);
    std::optional<QByteArrayView> endRemainder();
    // The held bytes and the tail as one text, kept in m_text.
    QByteArrayView takeHeld(QByteArrayView tail);

    QByteArray m_held;         // a front without zero, or the candidate for a block's rest
    qsizetype m_remainder = 0; // > 0: the length of a settled front's block rest to recognise
    qsizetype m_gap = 0;       // bytes left of a block whose text has ended
    bool m_skipping = false;   // the rest of that block is ignored whatever it holds
    QByteArray m_text;         // the last text made of held bytes
    QByteArray m_candidate;    // a candidate that turned out not to be a block's rest
};

} // namespace wire
