#include "HistoryPrune.h"

#include "FileDescriptor.h"
#include "ResourceIds.h"
#include "SetHistory.h"
#include "StringTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a mirror's version folder is renamed to before its removal: hidden, and no stamp, so no reader of the
// history takes a half-removed folder for a point.
const QString kRemovingSuffix = QStringLiteral(".velmora-removing");

QString failureText(const QString& path, int error)
{
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// A folder opened by its own name inside parent, never through a link.
FileDescriptor openFolderAt(int parent, const QString& name)
{
    return FileDescriptor(
        ::openat(parent, QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// Removes what is at name inside parent: a folder with all below it, entered only by descriptors and never
// through a link (a link is removed as itself). 0 or the first error.
int removeTreeAt(int parent, const QByteArray& name)
{
    FileDescriptor folder(::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        if (errno == ENOTDIR || errno == ELOOP)
            return ::unlinkat(parent, name.constData(), 0) == 0 ? 0 : errno;
        return errno == ENOENT ? 0 : errno;
    }
    struct stat status;
    // rsync keeps a source folder's rights, and a folder without write permission keeps its files.
    if (::fstat(folder.get(), &status) == 0 && (status.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder.get(), (status.st_mode & 07777) | S_IRWXU);
    QList<QByteArray> names;
    {
        const int listed = ::dup(folder.get());
        DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
        if (!dir) {
            if (listed >= 0)
                ::close(listed);
            return errno;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray entryName(entry->d_name);
            if (entryName != "." && entryName != "..")
                names.append(entryName);
        }
        ::closedir(dir);
    }
    int firstError = 0;
    for (const QByteArray& entryName : std::as_const(names)) {
        // Only a real folder is entered; anything else, a link included, is removed as itself.
        struct stat entryStatus;
        const bool isFolder = ::fstatat(folder.get(), entryName.constData(), &entryStatus, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISDIR(entryStatus.st_mode);
        int error = 0;
        if (isFolder)
            error = removeTreeAt(folder.get(), entryName);
        else if (::unlinkat(folder.get(), entryName.constData(), 0) != 0 && errno != ENOENT)
            error = errno;
        if (error != 0 && firstError == 0)
            firstError = error;
    }
    if (firstError != 0)
        return firstError;
    return ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

class Pruner
{
public:
    Pruner(const SetHistory& history, bool dryRun, const PruneStepHook& afterStep)
        : m_history(history)
        , m_dryRun(dryRun)
        , m_afterStep(afterStep)
    {
    }

    PruneOutcome run(const BackupSet& set);

private:
    // Counts one change on disk; false once the hook has ended the prune.
    bool stepDone()
    {
        ++m_step;
        if (m_afterStep && !m_afterStep(m_step))
            m_outcome.ended = true;
        return !m_outcome.ended;
    }
    // The folder the chain's files are in, opened without following a link below the destination.
    FileDescriptor openChainFolder(const HistoryChain& chain) const;
    FileDescriptor openHistoryFolder() const;
    void finishHiddenLeftovers();
    bool removeArchive(const PrunedPoint& point, const HistoryChain& chain);
    bool removeMirrorVersion(const PrunedPoint& point);
    void removeEmptiedChainFolder(const HistoryChain& chain);
    void failed(const QString& path, int error) { m_outcome.failures.append(failureText(path, error)); }

    const SetHistory& m_history;
    const bool m_dryRun;
    const PruneStepHook& m_afterStep;
    PruneOutcome m_outcome;
    int m_step = 0;
};

FileDescriptor Pruner::openHistoryFolder() const
{
    const QFileInfo history(m_history.folder);
    const FileDescriptor destination(
        ::open(QFile::encodeName(history.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (destination.get() < 0)
        return FileDescriptor(-1);
    return openFolderAt(destination.get(), history.fileName());
}

FileDescriptor Pruner::openChainFolder(const HistoryChain& chain) const
{
    if (chain.isCurrent())
        return FileDescriptor(::open(QFile::encodeName(chain.folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const FileDescriptor history = openHistoryFolder();
    if (history.get() < 0)
        return FileDescriptor(-1);
    return openFolderAt(history.get(), chain.stamp);
}

// A mirror's version folder whose removal a kill cut short is finished before anything else.
void Pruner::finishHiddenLeftovers()
{
    const FileDescriptor history = openHistoryFolder();
    if (history.get() < 0)
        return;
    const int listed = ::dup(history.get());
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return;
    }
    QList<QByteArray> leftovers;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.startsWith(QLatin1Char('.')) && name.endsWith(kRemovingSuffix)
            && RestoreStampTime(name.mid(1, name.size() - 1 - kRemovingSuffix.size())).isValid())
            leftovers.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray& name : std::as_const(leftovers)) {
        if (const int error = removeTreeAt(history.get(), name))
            failed(m_history.folder + QLatin1Char('/') + QFile::decodeName(name), error);
        else if (!stepDone())
            return;
    }
}

bool Pruner::removeArchive(const PrunedPoint& point, const HistoryChain& chain)
{
    const FileDescriptor folder = openChainFolder(chain);
    if (folder.get() < 0) {
        failed(point.path, errno);
        return false;
    }
    const QByteArray name = QFile::encodeName(QFileInfo(point.path).fileName());
    struct stat status;
    // Only the archive the history found: anything else now at its name is left alone.
    if (::fstatat(folder.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(status.st_mode)) {
        failed(point.path, errno == 0 ? ENOENT : errno);
        return false;
    }
    if (::unlinkat(folder.get(), name.constData(), 0) != 0) {
        failed(point.path, errno);
        return false;
    }
    return true;
}

bool Pruner::removeMirrorVersion(const PrunedPoint& point)
{
    const FileDescriptor history = openHistoryFolder();
    if (history.get() < 0) {
        failed(point.path, errno);
        return false;
    }
    const QByteArray stamp = QFile::encodeName(point.stamp);
    const QByteArray hidden = QFile::encodeName(QLatin1Char('.') + point.stamp + kRemovingSuffix);
    // Hidden first: a kill during the removal below leaves no half version that looks like a point.
    if (::renameat(history.get(), stamp.constData(), history.get(), hidden.constData()) != 0) {
        failed(point.path, errno);
        return false;
    }
    if (!stepDone())
        return true;
    if (const int error = removeTreeAt(history.get(), hidden))
        failed(point.path, error);
    return true;
}

void Pruner::removeEmptiedChainFolder(const HistoryChain& chain)
{
    const FileDescriptor history = openHistoryFolder();
    if (history.get() < 0)
        return;
    // Only an empty folder goes; one that still holds anything stays as it is.
    if (::unlinkat(history.get(), QFile::encodeName(chain.stamp).constData(), AT_REMOVEDIR) == 0)
        stepDone();
}

PruneOutcome Pruner::run(const BackupSet& set)
{
    if (!m_dryRun)
        finishHiddenLeftovers();
    if (m_outcome.ended)
        return m_outcome;
    const QList<RetentionVerdict> verdicts = ApplyRetention(m_history, RetentionPolicyOf(set), set.pinned);
    QList<HistoryPoint> all = m_history.points();
    std::sort(all.begin(), all.end(), [](const HistoryPoint& a, const HistoryPoint& b) { return a.time > b.time; });
    const QString newest = all.isEmpty() ? QString() : all.first().path;
    const QSet<QString> pins(set.pinned.cbegin(), set.pinned.cend());
    for (const RetentionVerdict& verdict : verdicts) {
        PrunedPoint point {verdict.point.stamp, verdict.point.path, verdict.reasons, false};
        // Whatever the policy says, these are never removed.
        if (point.path == newest)
            point.reasons |= KeepReason::Newest;
        if (pins.contains(point.stamp))
            point.reasons |= KeepReason::Pinned;
        if (verdict.point.full && verdict.point.chain >= 0 && m_history.chains.at(verdict.point.chain).isCurrent())
            point.reasons |= KeepReason::Chain;
        m_outcome.points.append(point);
    }

    // What goes, each kind oldest first: update archives, then mirror versions, then full archives.
    QList<qsizetype> updates;
    QList<qsizetype> versions;
    QList<qsizetype> fulls;
    for (qsizetype i = m_outcome.points.size() - 1; i >= 0; --i) {
        if (m_outcome.points.at(i).reasons != KeepReasons())
            continue;
        const HistoryPoint& point = verdicts.at(i).point;
        (point.chain < 0 ? versions : point.full ? fulls : updates).append(i);
    }
    if (m_dryRun) {
        for (QList<qsizetype>* indexes : {&updates, &versions, &fulls}) {
            for (const qsizetype i : std::as_const(*indexes))
                m_outcome.points[i].removed = true;
        }
        return m_outcome;
    }

    QSet<int> chainsWithUpdateLeft;
    for (const qsizetype i : std::as_const(updates)) {
        const HistoryPoint& point = verdicts.at(i).point;
        if (removeArchive(m_outcome.points.at(i), m_history.chains.at(point.chain))) {
            m_outcome.points[i].removed = true;
            if (!stepDone())
                return m_outcome;
        } else {
            chainsWithUpdateLeft.insert(point.chain);
        }
    }
    for (const qsizetype i : std::as_const(versions)) {
        // Once hidden it is no point any more, even where the removal below failed and is finished next time.
        if (!removeMirrorVersion(m_outcome.points.at(i)))
            continue;
        m_outcome.points[i].removed = true;
        if (m_outcome.ended || !stepDone())
            return m_outcome;
    }
    for (const qsizetype i : std::as_const(fulls)) {
        const int chain = verdicts.at(i).point.chain;
        // An update archive that could not be removed still needs its full archive.
        if (chainsWithUpdateLeft.contains(chain) || m_history.chains.at(chain).isCurrent())
            continue;
        if (!removeArchive(m_outcome.points.at(i), m_history.chains.at(chain)))
            continue;
        m_outcome.points[i].removed = true;
        if (!stepDone())
            return m_outcome;
        removeEmptiedChainFolder(m_history.chains.at(chain));
        if (m_outcome.ended)
            return m_outcome;
    }
    return m_outcome;
}

} // namespace

int PruneOutcome::removedCount() const
{
    return int(std::count_if(points.cbegin(), points.cend(), [](const PrunedPoint& point) { return point.removed; }));
}

PruneOutcome PruneSetHistory(const BackupSet& set, bool dryRun, const PruneStepHook& afterStep)
{
    const SetHistory history = ReadSetHistory(set);
    if (history.folder.isEmpty())
        return {};
    return Pruner(history, dryRun, afterStep).run(set);
}

void PruneAfterRun(const BackupSet& set, JobResult& result)
{
    // 7-Zip's or rsync's warnings (files it could not read or copy) leave the new point short of something an
    // older one may hold: those stay until a clean run.
    if (!result.succeeded() || result.exitCode != 0)
        return;
    const bool mirror = set.backupType == MirrorCopying;
    // An archive run proves its new point only by testing it: a set that does not test its archives is thinned
    // by hand (velmora-run --prune), and an update run that found nothing new made no new point.
    if (!mirror && (result.testMs < 0 || result.bytesWritten < 0))
        return;
    const PruneOutcome pruned = PruneSetHistory(set);
    if (pruned.failures.isEmpty())
        return;
    const QString text = LoadStringById(StringId::HistoryPruneFailed)
                             .arg(pruned.failures.size())
                             .arg(pruned.failures.mid(0, 3).join(QStringLiteral(", ")));
    result.warning = result.warning.isEmpty() ? text : result.warning + QStringLiteral("; ") + text;
}
