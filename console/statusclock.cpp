#include "statusclock.h"

namespace console {

ClockTexts clockTexts(const QDateTime &now, const QLocale &locale)
{
    // The panel is 50 pixels wide: hours, minutes and seconds, not the zone's name.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return {locale.toString(now.date(), QLocale::ShortFormat),
            locale.toString(now.time(), timeFormat.trimmed())};
}

} // namespace console
