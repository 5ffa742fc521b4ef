#pragma once

#include <QString>
#include <exception>

namespace wire {

// Why a text was refused before anything of it was sent.
enum class SendFailure {
    NoSuchClient,     // no client there: none selected, or none connected
    NotConnected,     // the student's program is not connected to the teacher's server
    ControlCharacter, // a control character has no place in a block (a zero would end it early)
    Unencodable,      // code page 949 has no bytes for a character: it would go as "?"
    TooLong,          // the text does not fit one block
};

// Thrown by the sending calls before anything is sent; the windows word it for the operator.
class SendError : public std::exception
{
public:
    explicit SendError(SendFailure failure) : m_failure(failure) {}
    static SendError noSuchClient(qsizetype index);
    static SendError tooLong(qsizetype textSize);
    static SendError unencodable(const QString &characters);

    SendFailure failure() const { return m_failure; }
    // The list position looked up, for NoSuchClient: -1 with none selected.
    qsizetype index() const { return m_index; }
    // The text's size in bytes, for TooLong.
    qsizetype textSize() const { return m_textSize; }
    // The characters that cannot be sent, each once, for Unencodable.
    const QString &characters() const { return m_characters; }
    const char *what() const noexcept override;

private:
    SendFailure m_failure;
    qsizetype m_index = -1;
    qsizetype m_textSize = -1;
    QString m_characters;
};

} // namespace wire
