#include "ToolLocations.h"

#include "Settings.h"
#include "UserFolders.h"

#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex candidatesMutex;
QStringList candidatesOverride;

} // namespace

QStringList SevenZipCandidates()
{
    {
        QMutexLocker lock(&candidatesMutex);
        if (!candidatesOverride.isEmpty())
            return candidatesOverride;
    }
    return {ModuleFolder() + QStringLiteral("7zz"), QStringLiteral("/usr/bin/7zz")};
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

bool Locate7Zip()
{
    // The stored setting is only the last look-up's answer; the file may have gone since.
    setPathTo7zExe(FirstExecutable(SevenZipCandidates()));
    return !pathTo7zExe().isEmpty();
}

QString RobocopyPath()
{
    return roboPathXP;
}
