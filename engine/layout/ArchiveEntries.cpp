#include "ArchiveEntries.h"

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'");

} // namespace

bool IsUnsafeEntryPath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return true;
    // Name by name without making a list: this runs for every entry of a listing.
    for (qsizetype start = 0; start <= path.size();) {
        qsizetype end = path.indexOf(QLatin1Char('/'), start);
        if (end < 0)
            end = path.size();
        const QStringView name = QStringView(path).sliced(start, end - start);
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            return true;
        start = end + 1;
    }
    return false;
}

QString ShownEntryPath(const QString& path)
{
    QString shown;
    shown.reserve(path.size());
    for (const QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString RestoreStamp(const QDateTime& time)
{
    return time.toString(kStampFormat);
}

QDateTime RestoreStampTime(const QString& stamp)
{
    return QDateTime::fromString(stamp, kStampFormat);
}
