#include "block.h"

#include "errors.h"

#include <algorithm>

namespace wire {

QByteArray composeText(char tag, QByteArrayView name, QByteArrayView body)
{
    QByteArray text;
    text.reserve(2 + name.size() + body.size());
    text.append(tag).append(name).append(kNameSeparator).append(body);
    return text;
}

void ensureFitsBlock(QByteArrayView text)
{
    if (text.size() > kBlockSize)
        throw SendError::tooLong(text.size());
}

Block buildBlock(QByteArrayView text)
{
    ensureFitsBlock(text);
    Block block{};
    std::copy(text.begin(), text.end(), block.begin());
    return block;
}

ReceivedText recognise(QByteArrayView text)
{
    if (text.isEmpty())
        return {};
    switch (text.front()) {
    case kTagChatLine:
        return {TextKind::ChatLine, text.sliced(1)};
    case kTagMessage:
        return {TextKind::Message, text.sliced(1)};
    default:
        return {};
    }
}

} // namespace wire
