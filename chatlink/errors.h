#pragma once

#include <QString>
#include <stdexcept>

namespace chatlink {

// A failure the operator is shown as text (what() holds it in UTF-8); the windows catch it at
// each handler's boundary.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &text);
};

// A registry or client-list position that holds no connection.
class ListIndexError : public Error
{
public:
    explicit ListIndexError(qsizetype index);
};

// A text that holds a control character, which has no place in a block (a zero would end the
// text early).
class ControlCharacterError : public Error
{
public:
    ControlCharacterError();
};

// A text that does not fit one block.
class BlockOverflowError : public Error
{
public:
    BlockOverflowError();
};

} // namespace chatlink
