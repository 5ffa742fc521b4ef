#include "texts.h"

#include "block.h"
#include "cp949.h"
#include "errors.h"

using namespace Qt::StringLiterals;

namespace wire {
namespace {

void ensurePrintable(QStringView text, bool lineBreaks = false)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && !(lineBreaks && c == u'\n'))
            throw SendError(SendFailure::ControlCharacter);
    }
}

} // namespace

QByteArray chatLineText(const QString &name, const QString &line)
{
    ensurePrintable(name);
    ensurePrintable(line);
    return composeText(kTagChatLine, toCp949(name), toCp949(line));
}

QByteArray messageText(const QString &name, const QString &body)
{
    ensurePrintable(name);
    ensurePrintable(body, true);
    QString lines = body;
    lines.replace(u"\n"_s, u"\r\n"_s);
    return composeText(kTagMessage, toCp949(name), toCp949(lines));
}

} // namespace wire
