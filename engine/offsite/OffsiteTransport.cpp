#include "OffsiteTransport.h"

#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "OffsiteTools.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

using namespace OffsiteInternal;

namespace {

// Whether a real folder (no link) is at the path.
bool isRealFolder(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

OffsiteTransport::OffsiteTransport(OffsiteStep& step)
    : m_step(step)
{
}

std::optional<QList<OffsiteFile>> OffsiteTransport::list(OffsiteOutcome& outcome, bool makeMissing)
{
    const Command command = listCommand();
    const RunResult run = m_step.run(command);
    if (run.error.isEmpty() && run.exitSignal == 0 && run.exitCode == 0) {
        if (std::optional<QList<OffsiteFile>> files = parseListing(run.output))
            return files;
    }
    if (const auto stop = m_step.stopped(run)) {
        outcome = *stop;
        return std::nullopt;
    }
    const bool missing = run.error.isEmpty() && run.exitSignal == 0 && folderMissing(run, true);
    if (!missing) {
        outcome = m_step.failed(command, run);
        return std::nullopt;
    }
    if (makeMissing && !makeFolder(outcome))
        return std::nullopt;
    return QList<OffsiteFile>();
}

bool OffsiteTransport::carryHistory(const QString& localHistory, const QString& remoteName, OffsiteOutcome& outcome)
{
    if (localHistory.isEmpty() || !isRealFolder(localHistory))
        return true;
    return syncHistory(localHistory, remoteName, outcome);
}

bool OffsiteTransport::fetchHistory(const QString& remoteName, const QString& localHistory, OffsiteOutcome& outcome)
{
    if (!QDir().mkpath(localHistory)) {
        outcome = OffsiteFailure(OffsiteCause::NotWritable,
            LoadStringById(StringId::OffsiteNotWritable)
                .arg(localHistory, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    const Command command = historyFetchCommand(remoteName, localHistory);
    const RunResult run = m_step.run(command);
    if (succeeded(run))
        return true;
    if (const auto stop = m_step.stopped(run)) {
        outcome = *stop;
        return false;
    }
    const bool missing = run.error.isEmpty() && run.exitSignal == 0 && folderMissing(run, false);
    if (missing)
        return true;
    outcome = m_step.failed(command, run);
    return false;
}
