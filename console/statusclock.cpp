#include "statusclock.h"

namespace console {
namespace {

// The format without its time-zone field ("t" … "tttt"), with the brackets around that field and
// the separator before or after it: "H:mm:ss (t)" and "h:mm:ss AP, t" leave no stray marks.
QString withoutTimeZone(const QString &format)
{
    qsizetype start = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size() && start < 0; ++i) {
        if (format.at(i) == u'\'')
            quoted = !quoted;
        else if (!quoted && format.at(i) == u't')
            start = i;
    }
    if (start < 0)
        return format;
    qsizetype end = start;
    while (end < format.size() && format.at(end) == u't')
        ++end;
    if (start > 0 && end < format.size() &&
        ((format.at(start - 1) == u'(' && format.at(end) == u')') ||
         (format.at(start - 1) == u'[' && format.at(end) == u']'))) {
        --start;
        ++end;
    }
    QString rest = format.left(start) + format.sliced(end);
    const auto isSeparator = [](QChar c) { return c.isSpace() || c == u','; };
    while (!rest.isEmpty() && isSeparator(rest.back()))
        rest.chop(1);
    while (!rest.isEmpty() && isSeparator(rest.front()))
        rest.remove(0, 1);
    return rest;
}

} // namespace

ClockTexts clockTexts(const QDateTime &now, const QLocale &locale)
{
    // Hours, minutes and seconds in the locale's long format, without the zone's name.
    return {locale.toString(now.date(), QLocale::ShortFormat),
            locale.toString(now.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)))};
}

} // namespace console
