// libFuzzer target: whatever a client sends, read the way the server reads it.

#include "chatlink/block.h"
#include "chatlink/cp949.h"
#include "chatlink/errors.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    // The first byte says how the stream is cut into reads; the rest is the stream.
    const int cut = input.isEmpty() ? 100 : 1 + std::uint8_t(input.front()) % 100;
    QByteArrayView stream = input.isEmpty() ? input : input.sliced(1);
    while (!stream.isEmpty()) {
        const qsizetype n = qMin<qsizetype>(cut, stream.size());
        chatlink::Block buffer{};
        std::memcpy(buffer.data(), stream.data(), size_t(n));
        stream = stream.sliced(n);

        const QByteArrayView text = chatlink::readBlock(buffer);
        check(text.size() <= chatlink::kBlockSize && !text.contains('\0'));
        const chatlink::ReceivedText received = chatlink::recognise(text);
        if (received.kind == chatlink::TextKind::Ignored) {
            check(received.payload.isEmpty());
            continue;
        }
        check(received.payload == text.sliced(1));
        // What the windows show, and what they would send back.
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
    return 0;
}
