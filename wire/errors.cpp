#include "errors.h"

namespace wire {

SendError SendError::noSuchClient(qsizetype index)
{
    SendError error(SendFailure::NoSuchClient);
    error.m_index = index;
    return error;
}

SendError SendError::tooLong(qsizetype textSize)
{
    SendError error(SendFailure::TooLong);
    error.m_textSize = textSize;
    return error;
}

SendError SendError::unencodable(const QString &characters)
{
    SendError error(SendFailure::Unencodable);
    error.m_characters = characters;
    return error;
}

const char *SendError::what() const noexcept
{
    switch (m_failure) {
    case SendFailure::NoSuchClient:
        return "no client at that position";
    case SendFailure::NotConnected:
        return "not connected";
    case SendFailure::ControlCharacter:
        return "control character in the text";
    case SendFailure::Unencodable:
        return "character that code page 949 cannot hold";
    case SendFailure::TooLong:
        return "text longer than a block";
    }
    return "send refused";
}

} // namespace wire
