#include "ReadableFigures.h"

#include "ResourceIds.h"
#include "StringTable.h"

#include <QLocale>

#include <algorithm>
#include <iterator>

QString FormatByteSize(qint64 bytes)
{
    if (bytes < 1024)
        return LoadStringById(StringId::SizeBytes).arg(bytes);
    // One decimal, in the interface language's own form of the number.
    const int units[]
        = {StringId::SizeKilobytes, StringId::SizeMegabytes, StringId::SizeGigabytes, StringId::SizeTerabytes};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit + 1 < int(std::size(units))) {
        value /= 1024.0;
        ++unit;
    }
    return LoadStringById(units[unit]).arg(QLocale().toString(value, 'f', 1));
}

QString FormatDuration(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    if (seconds < 60)
        return LoadStringById(StringId::DurationSeconds).arg(seconds);
    if (seconds < 3600)
        return LoadStringById(StringId::DurationMinutesSeconds).arg(seconds / 60).arg(seconds % 60);
    return LoadStringById(StringId::DurationHoursMinutes).arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString FormatTimeLeft(qint64 seconds)
{
    if (seconds < 0)
        return {};
    QString rough;
    if (seconds < 60) {
        // Steps of five seconds, never "0 s" while work remains.
        rough = LoadStringById(StringId::DurationSeconds).arg(std::max<qint64>((seconds + 4) / 5 * 5, 5));
    } else if (seconds < 3600) {
        rough = LoadStringById(StringId::DurationMinutes).arg((seconds + 30) / 60);
    } else {
        const qint64 minutes = (seconds + 30) / 60;
        rough = LoadStringById(StringId::DurationHoursMinutes).arg(minutes / 60).arg(minutes % 60);
    }
    return LoadStringById(StringId::TimeLeft).arg(rough);
}
