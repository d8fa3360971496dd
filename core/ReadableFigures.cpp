#include "ReadableFigures.h"

#include "StringTable.h"

#include <QLocale>

#include <algorithm>

QString FormatByteSize(qint64 bytes)
{
    // Decimal places only where they say something: "512 bytes", "1.2 GB".
    return QLocale().formattedDataSize(bytes, bytes < 1024 ? 0 : 1, QLocale::DataSizeTraditionalFormat);
}

QString FormatDuration(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    if (seconds < 60)
        return LoadStringById(275).arg(seconds);
    if (seconds < 3600)
        return LoadStringById(276).arg(seconds / 60).arg(seconds % 60);
    return LoadStringById(278).arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString FormatTimeLeft(qint64 seconds)
{
    if (seconds < 0)
        return {};
    QString rough;
    if (seconds < 60) {
        // Steps of five seconds, never "0 s" while work remains.
        rough = LoadStringById(275).arg(std::max<qint64>((seconds + 4) / 5 * 5, 5));
    } else if (seconds < 3600) {
        rough = LoadStringById(277).arg((seconds + 30) / 60);
    } else {
        const qint64 minutes = (seconds + 30) / 60;
        rough = LoadStringById(278).arg(minutes / 60).arg(minutes % 60);
    }
    return LoadStringById(279).arg(rough);
}
