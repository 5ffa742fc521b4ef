#include "errors.h"

namespace chatlink {

const char *SendError::what() const noexcept
{
    switch (m_failure) {
    case SendFailure::NoSuchClient:
        return "no client at that position";
    case SendFailure::ControlCharacter:
        return "control character in the text";
    case SendFailure::TooLong:
        return "text longer than a block";
    }
    return "send refused";
}

} // namespace chatlink
