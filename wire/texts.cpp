#include "texts.h"

#include "block.h"
#include "cp949.h"
#include "errors.h"

using namespace Qt::StringLiterals;

namespace wire {
namespace {

// Refuses what the block cannot carry as typed: a control character, or a character that would
// go as "?" while the sender's own log shows it.
void ensureSendable(QStringView text, bool lineBreaks = false)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && !(lineBreaks && c == u'\n'))
            throw SendError(SendFailure::ControlCharacter);
    }
    if (const QString characters = unencodable(text); !characters.isEmpty())
        throw SendError::unencodable(characters);
}

} // namespace

QByteArray chatLineText(const QString &name, const QString &line)
{
    ensureSendable(name);
    ensureSendable(line);
    return composeText(kTagChatLine, toCp949(name), toCp949(line));
}

QByteArray messageText(const QString &name, const QString &body)
{
    ensureSendable(name);
    ensureSendable(body, true);
    QString lines = body;
    lines.replace(u"\n"_s, u"\r\n"_s);
    return composeText(kTagMessage, toCp949(name), toCp949(lines));
}

} // namespace wire
