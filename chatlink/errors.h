#pragma once

#include <QtGlobal>
#include <exception>

namespace chatlink {

// Why the chat link refused to send a text. Nothing of it was sent.
enum class SendFailure {
    NoSuchClient,     // a registry or client-list position that holds no connection
    ControlCharacter, // a control character has no place in a block (a zero would end it early)
    TooLong,          // the text does not fit one block
};

// Thrown by the sending calls before anything is sent; the windows word it for the operator.
class SendError : public std::exception
{
public:
    explicit SendError(SendFailure failure, qsizetype index = -1)
        : m_failure(failure), m_index(index)
    {}

    SendFailure failure() const { return m_failure; }
    // The position looked up, for NoSuchClient.
    qsizetype index() const { return m_index; }
    const char *what() const noexcept override;

private:
    SendFailure m_failure;
    qsizetype m_index;
};

// How a client's connection failed, as far as the operator is concerned.
enum class ConnectionFailure {
    NetworkSetup, // no buffer space, network unreachable, already connected, connection refused
    Socket,       // any other error; the socket layer's own text says which
};

} // namespace chatlink
