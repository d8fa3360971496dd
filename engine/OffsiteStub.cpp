// Stands in for the off-site transport until it lands: every copy fails, so nothing passes for copied.
#include "Offsite.h"

namespace {
OffsiteOutcome notYet()
{
    return {OffsiteCause::Other, QStringLiteral("off-site copies are not built yet"), 0, 0};
}
} // namespace

std::optional<OffsiteTarget> OffsiteTargetOf(const BackupSet& set)
{
    return ParseOffsiteTarget(set.offsite);
}
OffsiteOutcome CopyArchivesOffsite(const BackupSet&, const JobContext&)
{
    return notYet();
}
OffsiteOutcome MirrorOffsite(const BackupSet&, const JobContext&)
{
    return notYet();
}
OffsiteOutcome TestOffsite(const OffsiteTarget&, std::chrono::seconds)
{
    return notYet();
}
QList<OffsiteFile> ListOffsiteArchives(const BackupSet&, OffsiteOutcome* outcome)
{
    if (outcome)
        *outcome = notYet();
    return {};
}
OffsiteOutcome FetchOffsiteFiles(const BackupSet&, const QStringList&, const QString&, const JobContext&)
{
    return notYet();
}
