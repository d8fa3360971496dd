#include "MirrorVersions.h"

#include "MirrorCommand.h"
#include "ResourceIds.h"
#include "SetHistory.h"
#include "StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>

#include <sys/stat.h>

namespace {

// What is at the path itself, never through a link; 0 when nothing is.
mode_t kindAt(const QString& path, struct stat* status = nullptr)
{
    struct stat own;
    struct stat* at = status ? status : &own;
    if (::lstat(QFile::encodeName(path).constData(), at) != 0)
        return 0;
    return at->st_mode & S_IFMT;
}

// The kind of relative inside root, reached through real folders alone: a link on the way is someone else's
// and is never looked through. 0 when it is not there that way.
mode_t heldKind(const QString& root, const QString& relative, struct stat* status = nullptr)
{
    if (kindAt(root) != S_IFDIR)
        return 0;
    const QStringList names = relative.split(QLatin1Char('/'));
    QString at = root;
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        at += QLatin1Char('/') + names.at(i);
        if (kindAt(at) != S_IFDIR)
            return 0;
    }
    return kindAt(root + QLatin1Char('/') + relative, status);
}

MirrorStateEntry::Kind entryKind(mode_t kind)
{
    if (kind == S_IFDIR)
        return MirrorStateEntry::Kind::Folder;
    return kind == S_IFLNK ? MirrorStateEntry::Kind::Link : MirrorStateEntry::Kind::File;
}

// Every entry below root into state, entering real folders only. A folder already in the state as a folder keeps
// where it came from; anything else takes this root's entry.
void overlay(const QString& root, const QString& relative, QMap<QString, MirrorStateEntry>& state)
{
    const QString folder = relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
    const QStringList names
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString path = relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
        const mode_t kind = kindAt(folder + QLatin1Char('/') + name);
        if (kind == 0)
            continue;
        const MirrorStateEntry::Kind entry = entryKind(kind);
        const auto found = state.find(path);
        if (found == state.end())
            state.insert(path, {path, entry, root});
        else if (entry != MirrorStateEntry::Kind::Folder || found->kind != MirrorStateEntry::Kind::Folder)
            *found = {path, entry, root};
        if (kind == S_IFDIR)
            overlay(root, path, state);
    }
}

QString parentOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

bool isWithin(const QString& path, const QStringList& chosen)
{
    if (chosen.isEmpty())
        return true;
    for (const QString& root : chosen) {
        if (path == root || (path.startsWith(root) && path.size() > root.size() && path.at(root.size()) == u'/'))
            return true;
    }
    return false;
}

// The mirror's version folders, newest first.
QList<MirrorVersionFolder> versionFolders(const QString& mirror)
{
    BackupSet set;
    set.backupType = MirrorCopying;
    set.target = QFileInfo(mirror).path();
    set.name = QFileInfo(mirror).fileName();
    return ReadSetHistory(set).mirrorVersions;
}

QDateTime modifiedOf(const struct stat& status)
{
    return QDateTime::fromMSecsSinceEpoch(
        qint64(status.st_mtim.tv_sec) * 1000 + qint64(status.st_mtim.tv_nsec) / 1000000);
}

RestorePoint versionPoint(const QString& folder, const QString& stamp)
{
    RestorePoint point;
    point.kind = RestorePoint::Kind::Mirror;
    point.path = folder;
    point.stamp = stamp;
    point.time = RestoreStampTime(stamp);
    return point;
}

} // namespace

QString MirrorHistoryFolder(const QString& mirror)
{
    return QDir::cleanPath(mirror) + QStringLiteral(".history");
}

QList<MirrorStateEntry> MirrorStateAsOf(
    const QString& mirror, const QDateTime& time, const QStringList& paths, QString* error)
{
    const QString root = QDir::cleanPath(mirror);
    if (kindAt(root) != S_IFDIR) {
        if (error)
            *error = LoadStringById(StringId::RestoreMirrorMissing).arg(root);
        return {};
    }
    QMap<QString, MirrorStateEntry> state;
    overlay(root, {}, state);
    // Newest first, so that the oldest version stamped after the time is the one that stays.
    for (const MirrorVersionFolder& version : versionFolders(root)) {
        if (version.time > time)
            overlay(version.path, {}, state);
    }
    QList<MirrorStateEntry> entries;
    for (const MirrorStateEntry& entry : std::as_const(state)) {
        if (!isWithin(entry.path, paths))
            continue;
        bool underFile = false;
        for (QString above = parentOf(entry.path); !above.isEmpty() && !underFile; above = parentOf(above)) {
            const auto found = state.constFind(above);
            underFile = found == state.cend() || found->kind != MirrorStateEntry::Kind::Folder;
        }
        if (!underFile)
            entries.append(entry);
    }
    return entries;
}

QList<FileVersion> MirrorVersionsOf(const QString& mirror, const QString& path, QString* error)
{
    const QString root = QDir::cleanPath(mirror);
    const QString wanted = QDir::cleanPath(path);
    if (kindAt(root) != S_IFDIR) {
        if (error)
            *error = LoadStringById(StringId::RestoreMirrorMissing).arg(root);
        return {};
    }
    if (wanted.isEmpty() || wanted.startsWith(QLatin1Char('/')) || wanted == QLatin1String("..")
        || wanted.startsWith(QLatin1String("../")) || wanted == QLatin1String("."))
        return {};
    struct Held
    {
        MirrorVersionFolder folder;
        mode_t kind;
        struct stat status;
    };
    // Newest first; a version folder that holds the path as a folder still bounds the versions around it.
    QList<Held> held;
    for (const MirrorVersionFolder& version : versionFolders(root)) {
        Held one {version, 0, {}};
        one.kind = heldKind(version.path, wanted, &one.status);
        if (one.kind != 0)
            held.append(one);
    }
    QList<FileVersion> newestFirst;
    struct stat status;
    const mode_t current = heldKind(root, wanted, &status);
    // The mirror's own is the file as of now: a run that only adds a file leaves no trace of when it came.
    const QString now = RestoreStamp(MirrorClock());
    if (current != 0 && current != S_IFDIR)
        newestFirst.append({versionPoint(root, now), false, qint64(status.st_size), modifiedOf(status)});
    else if (!held.isEmpty())
        newestFirst.append({versionPoint(root, now), true, -1, {}});
    for (const Held& one : std::as_const(held)) {
        // Each kept version is certainly the file in the second before the run that replaced it; an earlier
        // run's stamp could be one from before a deletion and a return that left no trace.
        if (one.kind != S_IFDIR)
            newestFirst.append({versionPoint(one.folder.path, RestoreStamp(one.folder.time.addSecs(-1))), false,
                qint64(one.status.st_size), modifiedOf(one.status)});
    }
    return QList<FileVersion>(newestFirst.crbegin(), newestFirst.crend());
}
