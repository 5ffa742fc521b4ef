#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace console {

struct ClockTexts
{
    QString date; // the system's short date format
    QString time; // the system's long time format, without the time zone
};

ClockTexts clockTexts(const QDateTime &now, const QLocale &locale = QLocale());

} // namespace console
