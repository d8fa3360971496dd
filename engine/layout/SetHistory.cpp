#include "SetHistory.h"

#include "ArchivePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>

namespace {

// What is at the path itself, never through a link.
mode_t kindAt(const QString& path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & S_IFMT;
}

HistoryArchive archiveAt(const QString& path, const QString& stamp)
{
    HistoryArchive archive;
    archive.path = path;
    if (stamp.isEmpty()) {
        // The stamp to the second, as a point shows it; the time read back from it, so that both agree.
        archive.stamp = RestoreStamp(QFileInfo(path).lastModified());
    } else {
        archive.stamp = stamp;
    }
    archive.time = RestoreStampTime(archive.stamp);
    return archive;
}

// The chain in folder of the archives named "BASE.EXT" and "BASE_upd_STAMP.EXT".
HistoryChain chainIn(const QString& folder, const QString& base, const QString& extension, const QString& stamp)
{
    HistoryChain chain;
    chain.folder = folder;
    chain.stamp = stamp;
    const QString fullName = base + QLatin1Char('.') + extension;
    if (kindAt(folder + QLatin1Char('/') + fullName) == S_IFREG)
        chain.full = archiveAt(folder + QLatin1Char('/') + fullName, {});
    const QString prefix = base + QStringLiteral("_upd_");
    const QString suffix = QLatin1Char('.') + extension;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix) || name.size() <= prefix.size() + suffix.size())
            continue;
        const QString updateStamp = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
        // Another set's archives may share the start of the name ("docs_upd_old_upd_...").
        if (!RestoreStampTime(updateStamp).isValid())
            continue;
        const QString path = folder + QLatin1Char('/') + name;
        if (kindAt(path) != S_IFREG)
            continue;
        chain.updates.append(archiveAt(path, updateStamp));
    }
    std::sort(chain.updates.begin(), chain.updates.end(),
        [](const HistoryArchive& a, const HistoryArchive& b) { return a.time < b.time; });
    return chain;
}

// The stamped real folders inside the history folder, newest first.
QStringList stampFolders(const QString& history)
{
    if (history.isEmpty() || kindAt(history) != S_IFDIR)
        return {};
    QStringList stamps;
    const QStringList names = QDir(history).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (RestoreStampTime(name).isValid() && kindAt(history + QLatin1Char('/') + name) == S_IFDIR)
            stamps.append(name);
    }
    std::sort(stamps.begin(), stamps.end(),
        [](const QString& a, const QString& b) { return RestoreStampTime(a) > RestoreStampTime(b); });
    return stamps;
}

SetHistory archiveHistory(const QString& destination, const QString& base, const QString& extension)
{
    SetHistory history;
    history.folder = destination + QLatin1Char('/') + base + QStringLiteral(".history");
    HistoryChain current = chainIn(destination, base, extension, {});
    if (current.hasFull() || !current.updates.isEmpty())
        history.chains.append(current);
    for (const QString& stamp : stampFolders(history.folder)) {
        HistoryChain kept = chainIn(history.folder + QLatin1Char('/') + stamp, base, extension, stamp);
        if (kept.hasFull() || !kept.updates.isEmpty())
            history.chains.append(kept);
    }
    return history;
}

} // namespace

QList<HistoryPoint> SetHistory::points() const
{
    QList<HistoryPoint> all;
    for (const MirrorVersionFolder& version : mirrorVersions)
        all.append({version.stamp, version.time, version.path, false, -1});
    for (qsizetype i = 0; i < chains.size(); ++i) {
        const HistoryChain& chain = chains.at(i);
        for (auto update = chain.updates.crbegin(); update != chain.updates.crend(); ++update)
            all.append({update->stamp, update->time, update->path, false, int(i)});
        if (chain.hasFull())
            all.append({chain.full.stamp, chain.full.time, chain.full.path, true, int(i)});
    }
    return all;
}

qsizetype SetHistory::pointCount() const
{
    qsizetype count = mirrorVersions.size();
    for (const HistoryChain& chain : chains)
        count += chain.updates.size() + (chain.hasFull() ? 1 : 0);
    return count;
}

QDateTime SetHistory::oldestTime() const
{
    QDateTime oldest;
    for (const HistoryPoint& point : points()) {
        if (!oldest.isValid() || point.time < oldest)
            oldest = point.time;
    }
    return oldest;
}

SetHistory ReadSetHistory(const BackupSet& set)
{
    if (set.backupType == MirrorCopying) {
        SetHistory history;
        if (set.target.isEmpty() || set.name.isEmpty())
            return history;
        history.folder = ChainHistoryFolder(set);
        for (const QString& stamp : stampFolders(history.folder)) {
            history.mirrorVersions.append({history.folder + QLatin1Char('/') + stamp, stamp, RestoreStampTime(stamp)});
        }
        return history;
    }
    const QString full = FullArchivePath(set);
    // Without a name, a type or a folder the names would reach other sets' files, or the current folder.
    if (full.isEmpty() || set.arcName.isEmpty() || ArcTypeName(set).isEmpty() || set.target.isEmpty())
        return {};
    return archiveHistory(QFileInfo(full).absolutePath(), set.arcName, ArcTypeName(set));
}

SetHistory ReadArchiveHistory(const QString& fullArchive)
{
    const QFileInfo full(fullArchive);
    if (full.completeBaseName().isEmpty() || full.suffix().isEmpty())
        return {};
    return archiveHistory(full.absolutePath(), full.completeBaseName(), full.suffix());
}
