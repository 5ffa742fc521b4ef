// libFuzzer target: whatever a client sends, in whatever pieces and with whatever pauses, read
// the way the server reads it.

#include "chatlink/block.h"
#include "chatlink/blockreader.h"
#include "chatlink/cp949.h"

#include <QList>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Feeds the stream in reads whose sizes, and settle events where there are pauses, the control
// bytes choose; returns every text, each checked.
QList<QByteArray> read(QByteArrayView stream, QByteArrayView control, bool pauses)
{
    chatlink::BlockReader reader;
    QList<QByteArray> texts;
    const auto take = [&](std::optional<QByteArrayView> text) {
        if (!text)
            return;
        check(!text->isEmpty() && text->size() <= chatlink::kBlockSize && !text->contains('\0'));
        check(chatlink::fromCp949(*text).size() <= text->size());
        texts.append(text->toByteArray());
    };
    for (qsizetype next = 0; !stream.isEmpty(); ++next) {
        const auto c = control.isEmpty() ? 100 : std::uint8_t(control.at(next % control.size()));
        if (pauses && c % 7 == 0 && reader.isHolding()) {
            take(reader.settle());
            continue;
        }
        check(reader.room() >= 1 && reader.room() <= chatlink::kBlockSize);
        const qsizetype n = qMin<qsizetype>(1 + c % reader.room(), stream.size());
        take(reader.feed(stream.first(n)));
        stream = stream.sliced(n);
    }
    if (pauses) {
        take(reader.settle());
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
    read(stream, control, true);

    // Whole blocks, made of the stream's first zero-free runs, in any pieces and without a pause:
    // exactly their texts, in order.
    constexpr int kMaxBlocks = 32;
    QList<QByteArray> sent;
    QByteArray blocks;
    for (QByteArrayView rest = stream; !rest.isEmpty() && sent.size() < kMaxBlocks;) {
        qsizetype end = rest.indexOf('\0');
        end = qMin(end < 0 ? rest.size() : end, chatlink::kBlockSize);
        const chatlink::Block block = chatlink::buildBlock(rest.first(end));
        blocks.append(block.data(), block.size());
        if (end > 0)
            sent.append(rest.first(end).toByteArray());
        rest = rest.sliced(qMin(end + 1, rest.size()));
    }
    check(read(blocks, control, false) == sent);
    return 0;
}
