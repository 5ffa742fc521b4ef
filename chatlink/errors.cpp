#include "errors.h"

#include "block.h"

using namespace Qt::StringLiterals;

namespace chatlink {

Error::Error(const QString &text) : std::runtime_error(text.toStdString()) {}

ListIndexError::ListIndexError(qsizetype index)
    : Error(u"List index out of bounds (%1)"_s.arg(index))
{}

ControlCharacterError::ControlCharacterError() : Error(u"보낼 수 없는 제어 문자가 있습니다"_s) {}

BlockOverflowError::BlockOverflowError()
    : Error(u"메시지가 너무 깁니다 (최대 %1바이트)"_s.arg(kBlockSize))
{}

} // namespace chatlink
