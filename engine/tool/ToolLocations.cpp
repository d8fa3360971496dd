#include "ToolLocations.h"

#include "Settings.h"
#include "UserFolders.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>

namespace {

QMutex candidatesMutex;
QStringList candidatesOverride;

// What each 7z said about itself, by path and the file's time and size, so a run asks it once.
QMutex bannersMutex;
QHash<QString, bool> sevenZipBanners;

bool SaysItIsSevenZip(const QString& program)
{
    const QFileInfo info(program);
    const QString key = program + QLatin1Char('\n') + QString::number(info.lastModified().toMSecsSinceEpoch())
        + QLatin1Char('\n') + QString::number(info.size());
    {
        QMutexLocker lock(&bannersMutex);
        const auto known = sevenZipBanners.constFind(key);
        if (known != sevenZipBanners.constEnd())
            return *known;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {});
    bool sevenZip = false;
    if (process.waitForFinished(10000)) {
        const QByteArray banner = process.readAll().left(4096);
        sevenZip = banner.contains("7-Zip") && banner.contains("Igor Pavlov") && !banner.contains("p7zip");
    } else {
        process.kill();
        process.waitForFinished();
    }
    QMutexLocker lock(&bannersMutex);
    sevenZipBanners.insert(key, sevenZip);
    return sevenZip;
}

} // namespace

QStringList SevenZipCandidates()
{
    {
        QMutexLocker lock(&candidatesMutex);
        if (!candidatesOverride.isEmpty())
            return candidatesOverride;
    }
    return {ModuleFolder() + QStringLiteral("7zz"), QStringLiteral("/usr/bin/7zz"), QStringLiteral("/usr/bin/7z")};
}

void SetSevenZipCandidates(const QStringList& candidates)
{
    QMutexLocker lock(&candidatesMutex);
    candidatesOverride = candidates;
}

QString FirstExecutable(const QStringList& candidates)
{
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isExecutable())
            return candidate;
    }
    return {};
}

QString FirstSevenZip(const QStringList& candidates)
{
    for (const QString& candidate : candidates) {
        if (FirstExecutable({candidate}).isEmpty())
            continue;
        if (QFileInfo(candidate).fileName() == QLatin1String("7zz") || SaysItIsSevenZip(candidate))
            return candidate;
    }
    return {};
}

bool Locate7Zip()
{
    // The stored setting is only the last look-up's answer; the file may have gone since.
    MutableSettings().sevenZipPath.setValue(FirstSevenZip(SevenZipCandidates()));
    return !Settings().sevenZipPath.value().isEmpty();
}

QString RobocopyPath()
{
    return Settings().rsyncPath;
}

bool RsyncAvailable()
{
    const QFileInfo rsync(RobocopyPath());
    return rsync.isFile() && rsync.isExecutable();
}
