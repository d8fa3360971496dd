#include "OffsitePhase.h"

#include "Offsite.h"
#include "RestorePoints.h"

#include "ResourceIds.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "UserFolders.h"

#include <QDir>

#include <QMutexLocker>

#include <algorithm>

std::unique_ptr<QTemporaryDir> NewOffsiteFetchFolder()
{
    QDir().mkpath(UserStateFolder());
    return std::make_unique<QTemporaryDir>(UserStateFolder() + QStringLiteral("/offsite-XXXXXX"));
}

QString OffsiteTestAnswer(const QString& destination)
{
    QString problem;
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(destination, &problem);
    if (!target)
        return problem.isEmpty() ? LoadStringById(StringId::OffsiteNoneToTest) : problem;
    return TestOffsite(*target).reason;
}

void CopyOffsiteAfterRun(const BackupSet& set, const JobContext& context, JobResult& result)
{
    if (!result.succeeded() || set.offsite.trimmed().isEmpty())
        return;
    // Another set's copy under the same names there would be overwritten, or removed as an old chain.
    std::optional<QString> clash;
    {
        QMutexLocker lock(&backupSetsMutex());
        clash = OffsiteClashOf(set, backupSets);
    }
    if (clash) {
        result.offsiteFailure = LoadStringById(StringId::OffsiteClash).arg(*clash);
        return;
    }
    // The bar starts the second phase from nothing, under its own name.
    if (context.progress) {
        JobProgress start;
        start.percent = 0;
        start.offsite = true;
        start.setIndex = context.setIndex;
        start.setCount = context.setCount;
        context.progress(start);
    }
    const OffsiteOutcome outcome
        = set.backupType == MirrorCopying ? MirrorOffsite(set, context) : CopyArchivesOffsite(set, context);
    if (outcome.ok())
        result.offsiteCopied = true;
    else
        result.offsiteFailure = outcome.reason;
}
