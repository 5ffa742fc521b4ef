// libFuzzer target: whatever a client sends, in whatever pieces and with whatever pauses, read
// the way the server reads it.

#include "block.h"
#include "blockreader.h"
#include "cp949.h"

#include <QList>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Feeds the parts in reads whose sizes, and settle events where there are pauses, the control
// bytes choose; the settle time also passes after each part. Returns every text, each checked.
QList<QByteArray> read(const QList<QByteArrayView> &parts, QByteArrayView control, bool pauses)
{
    wire::BlockReader reader;
    QList<QByteArray> texts;
    const auto take = [&](std::optional<QByteArrayView> text) {
        if (!text)
            return;
        check(!text->isEmpty() && text->size() <= wire::kBlockSize && !text->contains('\0'));
        check(wire::fromCp949(*text).size() <= text->size());
        texts.append(text->toByteArray());
    };
    qsizetype next = 0;
    for (QByteArrayView stream : parts) {
        while (!stream.isEmpty()) {
            const auto c =
                control.isEmpty() ? 100 : std::uint8_t(control.at(next++ % control.size()));
            if (pauses && c % 7 == 0 && reader.isHolding()) {
                take(reader.settle());
                continue;
            }
            check(reader.room() >= 1 && reader.room() <= wire::kBlockSize);
            const qsizetype n = qMin<qsizetype>(1 + c % reader.room(), stream.size());
            take(reader.feed(stream.first(n)));
            stream = stream.sliced(n);
        }
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
    read({stream}, control, true);

    // Whole blocks, made of the stream's first zero-free runs; where a run is empty, a block that
    // starts with a zero, the stream's next bytes in it and its first other byte no tag. Tagged:
    // the same texts with M or S first, without the zero-first blocks.
    constexpr int kMaxBlocks = 32;
    QList<QByteArray> sent, tagged;
    QByteArray blocks, taggedBlocks;
    for (QByteArrayView rest = stream; !rest.isEmpty() && sent.size() < kMaxBlocks;) {
        qsizetype end = rest.indexOf('\0');
        end = qMin(end < 0 ? rest.size() : end, wire::kBlockSize);
        const qsizetype size = end > 0 ? end : qMin(rest.size(), wire::kBlockSize);
        wire::Block block = wire::buildBlock(rest.first(size));
        rest = rest.sliced(qMin(end > 0 ? end + 1 : size, rest.size()));
        const auto first = std::find_if(block.begin(), block.end(), [](char b) { return b; });
        if (end == 0 && first != block.end())
            *first |= 0x20; // never M or S
        blocks.append(block.data(), block.size());
        if (end == 0)
            continue;
        sent.append(QByteArray(block.data(), end));
        block[0] = "MS"[block[0] & 1];
        tagged.append(QByteArray(block.data(), end));
        taggedBlocks.append(block.data(), block.size());
    }
    // In any pieces and without a pause: exactly the whole blocks' texts, in order (the zero-first
    // blocks add and change none).
    check(read({blocks}, control, false) == sent);
    // With one pause anywhere: each text exactly, but the one it split may come out as a prefix.
    const qsizetype pause = qsizetype(qHash(control) % size_t(taggedBlocks.size() + 1));
    const QList<QByteArray> got =
        read({taggedBlocks.first(pause), taggedBlocks.sliced(pause)}, control, false);
    check(got.size() == tagged.size());
    for (qsizetype i = 0, cut = 0; i < got.size(); ++i)
        check(got[i] == tagged[i] || (tagged[i].startsWith(got[i]) && ++cut == 1));
    return 0;
}
