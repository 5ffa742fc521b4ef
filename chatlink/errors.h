#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace chatlink {

// A failure the operator is shown as text; the windows catch it at each handler's boundary.
class Error : public std::exception
{
public:
    explicit Error(QString text);

    const QString &text() const noexcept { return m_text; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_text;
    QByteArray m_what;
};

// A registry or client-list position that holds no connection.
class ListIndexError : public Error
{
public:
    explicit ListIndexError(qsizetype index);
};

// A text that does not fit one block.
class BlockOverflowError : public Error
{
public:
    BlockOverflowError();
};

} // namespace chatlink
