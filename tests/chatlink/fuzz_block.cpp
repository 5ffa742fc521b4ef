// libFuzzer target: whatever a client sends, in whatever pieces and with whatever pauses, read
// the way the server reads it.

#include "chatlink/block.h"
#include "chatlink/blockreader.h"
#include "chatlink/cp949.h"
#include "chatlink/errors.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// What the windows show of a text, and what they would send back.
void checkText(const QByteArray &text)
{
    check(!text.isEmpty() && text.size() <= chatlink::kBlockSize && !text.contains('\0'));
    const chatlink::ReceivedText received = chatlink::recognise(text);
    if (received.kind == chatlink::TextKind::Ignored) {
        check(received.payload.isEmpty());
        return;
    }
    check(received.payload == QByteArrayView(text).sliced(1));
    const QString shown = chatlink::fromCp949(received.payload);
    check(shown.size() <= received.payload.size());
    const QByteArray again = chatlink::toCp949(shown);
    check(again.size() <= 2 * shown.size());
    try {
        const chatlink::Block echoed =
            chatlink::buildBlock(chatlink::composeText(chatlink::kTagChatLine, {}, again));
        check(chatlink::readBlock(echoed).size() <= chatlink::kBlockSize);
    } catch (const chatlink::BlockOverflowError &e) {
        check(e.size() > chatlink::kBlockSize);
    }
}

// Feeds the stream in reads whose sizes (and settle events, with pauses) the control bytes
// choose; returns every text.
QList<QByteArray> read(QByteArrayView stream, QByteArrayView control, bool pauses)
{
    chatlink::BlockReader reader;
    QList<QByteArray> texts;
    qsizetype next = 0;
    while (!stream.isEmpty()) {
        const auto c = control.isEmpty() ? std::uint8_t(100)
                                         : std::uint8_t(control.at(next++ % control.size()));
        if (pauses && c % 7 == 0 && reader.isHolding()) {
            if (auto text = reader.settle())
                texts.append(text->toByteArray());
            continue;
        }
        check(reader.room() >= 1 && reader.room() <= chatlink::kBlockSize);
        const qsizetype n = qMin<qsizetype>(1 + c % reader.room(), stream.size());
        if (auto text = reader.feed(stream.first(n)))
            texts.append(text->toByteArray());
        stream = stream.sliced(n);
    }
    if (pauses) {
        if (auto text = reader.settle())
            texts.append(text->toByteArray());
        check(!reader.isHolding());
    }
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    // The first 16 bytes choose the reads; the rest is the stream.
    const QByteArrayView control = input.first(qMin<qsizetype>(16, input.size()));
    const QByteArrayView stream = input.sliced(control.size());

    // Anything at all, with pauses: every text is sound.
    for (const QByteArray &text : read(stream, control, true))
        checkText(text);

    // Whole blocks, made of the stream's first zero-free runs, in any pieces and without a pause:
    // exactly their texts, in order.
    constexpr int kMaxBlocks = 32;
    QList<QByteArray> sent;
    QByteArray blocks;
    for (QByteArrayView rest = stream;
         !rest.isEmpty() && blocks.size() < kMaxBlocks * chatlink::kBlockSize;) {
        qsizetype end = rest.indexOf('\0');
        end = qMin(end < 0 ? rest.size() : end, chatlink::kBlockSize);
        const QByteArrayView text = rest.first(end);
        const chatlink::Block block = chatlink::buildBlock(text);
        blocks.append(block.data(), block.size());
        if (!text.isEmpty())
            sent.append(text.toByteArray());
        rest = rest.sliced(qMin(end + 1, rest.size()));
    }
    check(read(blocks, control, false) == sent);
    return 0;
}
