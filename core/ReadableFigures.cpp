#include "ReadableFigures.h"

#include "StringTable.h"

#include <QLocale>

#include <algorithm>
#include <iterator>

QString FormatByteSize(qint64 bytes)
{
    if (bytes < 1024)
        return LoadStringById(253).arg(bytes);
    // One decimal, in the interface language's own form of the number.
    const int units[] = {254, 255, 256, 257};
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
        return LoadStringById(250).arg(seconds);
    if (seconds < 3600)
        return LoadStringById(251).arg(seconds / 60).arg(seconds % 60);
    return LoadStringById(252).arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString FormatTimeLeft(qint64 seconds)
{
    if (seconds < 0)
        return {};
    QString rough;
    if (seconds < 60) {
        // Steps of five seconds, never "0 s" while work remains.
        rough = LoadStringById(250).arg(std::max<qint64>((seconds + 4) / 5 * 5, 5));
    } else if (seconds < 3600) {
        rough = LoadStringById(277).arg((seconds + 30) / 60);
    } else {
        const qint64 minutes = (seconds + 30) / 60;
        rough = LoadStringById(252).arg(minutes / 60).arg(minutes % 60);
    }
    return LoadStringById(279).arg(rough);
}
