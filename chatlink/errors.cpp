#include "errors.h"

#include "block.h"

using namespace Qt::StringLiterals;

namespace chatlink {

Error::Error(QString text) : m_text(std::move(text)), m_what(m_text.toUtf8()) {}

ListIndexError::ListIndexError(qsizetype index)
    : Error(u"List index out of bounds (%1)"_s.arg(index))
{}

BlockOverflowError::BlockOverflowError()
    : Error(u"메시지가 너무 깁니다 (최대 %1바이트)"_s.arg(kBlockSize))
{}

} // namespace chatlink
