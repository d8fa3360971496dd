#include "RestorePoints.h"

QList<RestorePoint> RestorePointsOf(const BackupSet&, QString*)
{
    return {};
}

QList<RestorePoint> RestorePointsOfArchive(const QString&, QString*)
{
    return {};
}

QString RestoreStamp(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
}

QDateTime RestoreStampTime(const QString& stamp)
{
    return QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
}

int PointAsOf(const QList<RestorePoint>&, const QString&)
{
    return -1;
}

std::optional<QList<StateEntry>> StateAsOf(const QList<RestorePoint>&, int, QString*)
{
    return std::nullopt;
}

QList<FileVersion> VersionsOf(const QList<RestorePoint>&, const QString&, QString*)
{
    return {};
}
