#include "RestorePoints.h"

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "MirrorCommand.h"
#include "MirrorVersions.h"
#include "ResourceIds.h"
#include "Settings.h"
#include "StringTable.h"
#include "ToolLocations.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'");

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

void setFailure(ListFailure* failure, ListFailure kind)
{
    if (failure)
        *failure = kind;
}

int digits(QByteArrayView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count && i < text.size(); ++i)
        value = value * 10 + (text.at(i) - '0');
    return value;
}

// "2026-12-07 18:55:23.7754816" in local time, read by hand: QDateTime's parser is too slow for a listing
// of a hundred thousand files.
QDateTime listedTime(QByteArrayView text)
{
    if (text.size() < 19)
        return {};
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const int msec = text.size() >= 23 ? digits(text, 20, 3) : 0;
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2), msec);
    return QDateTime(date, time);
}

QString sevenZipProgram()
{
    Locate7Zip();
    return pathTo7zExe();
}

// The state as of the point, with where each entry came from: the index of the point whose archive holds it.
struct MergedState
{
    QList<StateEntry> entries;
    QList<int> origins;
};

StateEntry entryOf(const ArchiveItem& item)
{
    return {item.path, item.isFolder, item.isLink, item.size, item.modified, {}, false};
}

QString parentPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

// Marks what a restore must not write: unsafe names, and entries below a link or a file of the same state,
// which would be written through the link or could not be written at all.
void markRefused(QList<StateEntry>& entries)
{
    QHash<QString, bool> isFolder;
    isFolder.reserve(entries.size());
    for (const StateEntry& entry : std::as_const(entries))
        isFolder.insert(entry.path, entry.isFolder);
    for (StateEntry& entry : entries) {
        if (IsUnsafeEntryPath(entry.path)) {
            entry.refused = true;
            continue;
        }
        for (QString above = parentPath(entry.path); !above.isEmpty(); above = parentPath(above)) {
            const auto found = isFolder.constFind(above);
            if (found != isFolder.cend() && !*found) {
                entry.refused = true;
                break;
            }
        }
    }
}

bool isBelow(const QString& path, const QString& folder)
{
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/');
}

// The full archive's items with the update archive's over them and its deletion marks applied, by path.
QList<StateEntry> merged(const QList<ArchiveItem>& full, const QList<ArchiveItem>* update, QList<bool>* fromUpdate)
{
    QHash<QString, qsizetype> at;
    at.reserve(full.size());
    QList<StateEntry> entries;
    QList<bool> origin;
    entries.reserve(full.size());
    for (const ArchiveItem& item : full) {
        if (item.deleted)
            continue;
        at.insert(item.path, entries.size());
        entries.append(entryOf(item));
        origin.append(false);
    }
    QStringList deletedFolders;
    QList<bool> gone(entries.size(), false);
    if (update) {
        // Where a zip update archive holds a mark and a new entry under one name (a file became a folder), the
        // entry is what the source had.
        QSet<QString> written;
        for (const ArchiveItem& item : *update) {
            if (!item.zipMark && !item.deleted)
                written.insert(item.path);
        }
        for (const ArchiveItem& item : *update) {
            if (item.zipMark && written.contains(item.path))
                continue;
            const auto found = at.constFind(item.path);
            if (item.deleted) {
                if (found != at.constEnd())
                    gone[*found] = true;
                if (item.isFolder)
                    deletedFolders.append(item.path);
                continue;
            }
            if (found != at.constEnd()) {
                entries[*found] = entryOf(item);
                origin[*found] = true;
                gone[*found] = false;
            } else {
                at.insert(item.path, entries.size());
                entries.append(entryOf(item));
                origin.append(true);
                gone.append(false);
            }
        }
    }
    QList<qsizetype> order;
    order.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!gone.at(i))
            order.append(i);
    }
    std::sort(order.begin(), order.end(),
        [&entries](qsizetype a, qsizetype b) { return entries.at(a).path < entries.at(b).path; });
    std::sort(deletedFolders.begin(), deletedFolders.end());
    QList<StateEntry> result;
    result.reserve(order.size());
    if (fromUpdate)
        fromUpdate->clear();
    for (const qsizetype i : std::as_const(order)) {
        const QString& path = entries.at(i).path;
        // A deleted folder takes what was below it, also an entry its marks did not name one by one; what the
        // update archive holds there again was made after the deletion.
        if (!origin.at(i) && !deletedFolders.isEmpty()) {
            const auto next = std::upper_bound(deletedFolders.cbegin(), deletedFolders.cend(), path);
            if (next != deletedFolders.cbegin() && isBelow(path, *(next - 1)))
                continue;
        }
        result.append(entries.at(i));
        if (fromUpdate)
            fromUpdate->append(origin.at(i));
    }
    markRefused(result);
    return result;
}

qint64 fileCountOf(const QList<StateEntry>& entries)
{
    return std::count_if(
        entries.cbegin(), entries.cend(), [](const StateEntry& entry) { return !entry.isFolder && !entry.refused; });
}

// The point's file count and refused entries from its state.
void describe(RestorePoint& point, const QList<StateEntry>& entries)
{
    point.fileCount = fileCountOf(entries);
    point.refusedPaths.clear();
    for (const StateEntry& entry : entries) {
        if (entry.refused)
            point.refusedPaths.append(entry.path);
    }
}

QList<RestorePoint> mirrorPoints(const QString& folder, QString* error)
{
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink()) {
        setError(error, LoadStringById(StringId::RestoreMirrorMissing).arg(folder));
        return {};
    }
    RestorePoint point;
    point.kind = RestorePoint::Kind::Mirror;
    point.path = folder;
    point.time = info.lastModified();
    point.stamp = RestoreStamp(point.time);
    point.size = 0;
    point.fileCount = 0;
    QDirIterator files(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        if (file.isDir() && !file.isSymLink())
            continue;
        ++point.fileCount;
        point.size += file.isSymLink() ? 0 : file.size();
        if (file.lastModified() > point.time)
            point.time = file.lastModified();
    }
    point.stamp = RestoreStamp(point.time);
    point.time = RestoreStampTime(point.stamp);
    return {point};
}

} // namespace

namespace {

// The last listings made, each with the archive's identity when it was listed: showing a chain lists the
// full archive for its points and again for the tree, and 7-Zip takes most of the time on a large one.
struct Listing
{
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified
    {
    };
    // Which password made it (see passwordKey); empty for none.
    QByteArray passwordKey;
    QList<ArchiveItem> items;
};

bool sameFile(const Listing& listing, const QString& path, const struct stat& status, const QByteArray& passwordKey)
{
    return listing.path == path && listing.device == status.st_dev && listing.inode == status.st_ino
        && listing.size == status.st_size && listing.modified.tv_sec == status.st_mtim.tv_sec
        && listing.modified.tv_nsec == status.st_mtim.tv_nsec && listing.passwordKey == passwordKey;
}

// Tells passwords apart in memory without keeping them: salted anew by each process, never written anywhere.
// A listing made with one password is never handed to a caller with another, or with none.
QByteArray passwordKey(const std::optional<QString>& password)
{
    if (!password)
        return {};
    static const QByteArray salt = [] {
        QByteArray bytes(32, '\0');
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        return bytes;
    }();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(salt);
    QByteArray bytes = password->toUtf8();
    hash.addData(bytes);
    WipeBytes(bytes);
    return hash.result();
}

QMutex listingsMutex;
QList<Listing> listings;
constexpr qsizetype kListingsKept = 2;

std::optional<QList<ArchiveItem>> listArchiveUncached(
    const QString& archive, QString* error, const std::optional<QString>& password, ListFailure* failure);

} // namespace

std::optional<QList<ArchiveItem>> ListArchive(
    const QString& archive, QString* error, quint32 passwordId, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    std::optional<QString> password;
    if (passwordId != 0) {
        QString problem;
        password = ArchivePasswordOf(passwordId, &problem);
        if (!password) {
            setError(error, problem.isEmpty() ? LoadStringById(StringId::ArchiveNeedsPassword).arg(archive) : problem);
            setFailure(failure, ListFailure::PasswordMissing);
            return std::nullopt;
        }
    }
    auto wipePassword = qScopeGuard([&password] {
        if (password)
            password->fill(QChar(u'\0'));
    });
    const QByteArray key = passwordKey(password);
    struct stat status;
    const bool known = ::stat(QFile::encodeName(archive).constData(), &status) == 0;
    if (known) {
        const QMutexLocker lock(&listingsMutex);
        for (const Listing& listing : std::as_const(listings)) {
            if (sameFile(listing, archive, status, key))
                return listing.items;
        }
    }
    auto items = listArchiveUncached(archive, error, password, failure);
    if (items && known) {
        const QMutexLocker lock(&listingsMutex);
        listings.prepend({archive, status.st_dev, status.st_ino, status.st_size, status.st_mtim, key, *items});
        if (listings.size() > kListingsKept)
            listings.removeLast();
    }
    return items;
}

void ForgetArchiveListings()
{
    const QMutexLocker lock(&listingsMutex);
    listings.clear();
}

namespace {

std::optional<QList<ArchiveItem>> listArchiveUncached(
    const QString& archive, QString* error, const std::optional<QString>& password, ListFailure* failure)
{
    const QString program = sevenZipProgram();
    if (program.isEmpty()) {
        setError(error, LoadStringById(StringId::SevenZipMissing));
        setFailure(failure, ListFailure::Unreadable);
        return std::nullopt;
    }
    // Without -p: 7-Zip asks on standard input only when the archive hides its names.
    Command list;
    list.program = program;
    list.arguments = {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-ba"), QStringLiteral("-sccUTF-8"),
        QStringLiteral("--"), archive};
    if (password)
        list.standardInput = PasswordInput(*password);
    const QuietRun listed = RunQuietly(list);
    WipeBytes(list.standardInput);
    if (!listed.ran || listed.exitCode != 0) {
        switch (
            listed.ran ? PasswordTroubleOf(listed.exitCode, QString(), listed.secondOutput) : PasswordTrouble::None) {
        case PasswordTrouble::Wrong:
            setError(error, WrongPasswordText(archive));
            setFailure(failure, ListFailure::WrongPassword);
            return std::nullopt;
        case PasswordTrouble::Missing:
            setError(error, LoadStringById(StringId::ArchiveNeedsPassword).arg(archive));
            setFailure(failure, ListFailure::PasswordMissing);
            return std::nullopt;
        case PasswordTrouble::None:
            break;
        }
        const QString why = listed.secondOutput.trimmed();
        setError(error,
            LoadStringById(StringId::RestoreListFailed)
                .arg(archive, why.isEmpty() ? listed.error : why.section(QLatin1Char('\n'), -1)));
        setFailure(failure, ListFailure::Unreadable);
        return std::nullopt;
    }
    const QByteArray& text = listed.output;
    QList<ArchiveItem> items;
    ArchiveItem item;
    bool open = false;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        const QByteArrayView line = QByteArrayView(text).sliced(start, end - start);
        start = end + 1;
        // Each item starts with its path; a blank line ends it.
        if (line.startsWith("Path = ")) {
            if (open)
                items.append(item);
            item = ArchiveItem();
            item.path = QString::fromUtf8(line.sliced(7));
            open = true;
        } else if (!open) {
            continue;
        } else if (line.startsWith("Size = ")) {
            item.size = line.sliced(7).toLongLong();
        } else if (line.startsWith("Modified = ")) {
            item.modified = listedTime(line.sliced(11));
        } else if (line.startsWith("Attributes = ")) {
            const QByteArrayView attributes = line.sliced(13);
            item.isFolder = attributes.startsWith('D');
            // The Unix mode follows the Windows letters: "A lrwxrwxrwx" for a link.
            const qsizetype blank = attributes.indexOf(' ');
            item.isLink = blank >= 0 && blank + 1 < attributes.size() && attributes.at(blank + 1) == 'l';
            item.zipMark = attributes.first(blank >= 0 ? blank : attributes.size()).contains('V');
        } else if (line == "Anti = +") {
            item.deleted = true;
        }
    }
    if (open)
        items.append(item);
    return items;
}

} // namespace

namespace {

QList<RestorePoint> pointsOfArchive(
    const QString& fullArchive, QString* error, quint32 passwordId, ListFailure* failure);

} // namespace

QList<RestorePoint> RestorePointsOf(const BackupSet& set, QString* error, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    if (set.backupType == MirrorCopying) {
        auto points = mirrorPoints(MirrorFolder(set), error);
        if (points.isEmpty())
            setFailure(failure, ListFailure::Unreadable);
        return points;
    }
    const QString full = FullArchivePath(set);
    if (full.isEmpty()) {
        setError(error,
            ArcTypeName(set).isEmpty() ? LoadStringById(StringId::RestoreNoArchive).arg(set.arcName)
                                       : LoadStringById(StringId::RestoreNoArchive).arg(set.target));
        setFailure(failure, ListFailure::Unreadable);
        return {};
    }
    return pointsOfArchive(full, error, IsEncryptedSet(set) ? set.id : 0, failure);
}

QList<RestorePoint> RestorePointsOfArchive(
    const QString& fullArchive, QString* error, const std::optional<QString>& password, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    if (password)
        SetArchivePassword(kFoundArchivePasswordId, *password);
    return pointsOfArchive(fullArchive, error, password ? kFoundArchivePasswordId : 0, failure);
}

namespace {

QList<RestorePoint> pointsOfArchive(
    const QString& fullArchive, QString* error, quint32 passwordId, ListFailure* failure)
{
    const QFileInfo full(fullArchive);
    if (!full.isFile()) {
        setError(error, LoadStringById(StringId::RestoreNoArchive).arg(fullArchive));
        setFailure(failure, ListFailure::Unreadable);
        return {};
    }
    const QString extension = full.suffix();
    const QString prefix = full.completeBaseName() + QStringLiteral("_upd_");
    const QString suffix = QLatin1Char('.') + extension;
    QList<RestorePoint> points;
    const QStringList names = full.dir().entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix))
            continue;
        const QString stamp = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
        const QDateTime time = RestoreStampTime(stamp);
        // Another set's archives may share the start of the name ("docs_upd_old_upd_...").
        if (!time.isValid())
            continue;
        RestorePoint point;
        point.kind = RestorePoint::Kind::Update;
        point.path = full.dir().filePath(name);
        point.stamp = stamp;
        point.time = time;
        point.size = QFileInfo(point.path).size();
        point.passwordId = passwordId;
        points.append(point);
    }
    std::sort(
        points.begin(), points.end(), [](const RestorePoint& a, const RestorePoint& b) { return a.time > b.time; });
    RestorePoint base;
    base.kind = RestorePoint::Kind::Full;
    base.path = full.absoluteFilePath();
    base.stamp = RestoreStamp(full.lastModified());
    base.time = RestoreStampTime(base.stamp);
    base.size = full.size();
    base.passwordId = passwordId;
    points.append(base);

    const auto fullItems = ListArchive(base.path, error, passwordId, failure);
    if (!fullItems)
        return {};
    describe(points.last(), merged(*fullItems, nullptr, nullptr));
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const auto items = ListArchive(points.at(i).path, error, passwordId, failure);
        if (!items)
            return {};
        describe(points[i], merged(*fullItems, &*items, nullptr));
    }
    return points;
}

} // namespace

bool IsUnsafeEntryPath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return true;
    for (const QStringView name : QStringView(path).split(QLatin1Char('/'))) {
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            return true;
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

int PointAsOf(const QList<RestorePoint>& points, const QString& stampOrDate)
{
    if (points.isEmpty())
        return -1;
    if (stampOrDate.isEmpty())
        return 0;
    QDateTime limit = RestoreStampTime(stampOrDate);
    if (!limit.isValid()) {
        const QDate day = QDate::fromString(stampOrDate, QStringLiteral("yyyy-MM-dd"));
        if (!day.isValid())
            return -1;
        limit = QDateTime(day, QTime(23, 59, 59));
    }
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (RestoreStampTime(points.at(i).stamp) <= limit)
            return int(i);
    }
    return -1;
}

std::optional<QList<StateEntry>> StateAsOf(
    const QList<RestorePoint>& points, int index, QString* error, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    if (index < 0 || index >= points.size()) {
        setError(error, LoadStringById(StringId::RestoreNoPoint));
        return std::nullopt;
    }
    const RestorePoint& point = points.at(index);
    if (point.kind == RestorePoint::Kind::Mirror) {
        QList<StateEntry> entries;
        const QDir root(point.path);
        QDirIterator files(point.path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QFileInfo file(files.next());
            const bool link = file.isSymLink();
            entries.append({root.relativeFilePath(file.filePath()), file.isDir() && !link, link,
                link || file.isDir() ? 0 : file.size(), file.lastModified(), link ? file.symLinkTarget() : QString()});
        }
        std::sort(
            entries.begin(), entries.end(), [](const StateEntry& a, const StateEntry& b) { return a.path < b.path; });
        return entries;
    }
    const auto full = ListArchive(points.last().path, error, points.last().passwordId, failure);
    if (!full)
        return std::nullopt;
    if (point.kind == RestorePoint::Kind::Full)
        return merged(*full, nullptr, nullptr);
    const auto update = ListArchive(point.path, error, point.passwordId, failure);
    if (!update)
        return std::nullopt;
    return merged(*full, &*update, nullptr);
}

QList<StateEntry> StateWithOrigins(
    const QList<ArchiveItem>& full, const QList<ArchiveItem>* update, QList<bool>* fromUpdate)
{
    return merged(full, update, fromUpdate);
}

QList<FileVersion> VersionsOf(
    const QList<RestorePoint>& points, const QString& path, QString* error, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    QList<FileVersion> versions;
    if (points.isEmpty())
        return versions;
    // A mirror's one point stands for its folder and the versions its runs kept beside it.
    if (points.size() == 1 && points.constFirst().kind == RestorePoint::Kind::Mirror)
        return MirrorVersionsOf(points.constFirst().path, path, error);
    const QString wanted = QDir::cleanPath(path);
    auto find = [&wanted](const QList<StateEntry>& entries) -> const StateEntry* {
        const auto at = std::lower_bound(entries.cbegin(), entries.cend(), wanted,
            [](const StateEntry& entry, const QString& key) { return entry.path < key; });
        return at != entries.cend() && at->path == wanted ? &*at : nullptr;
    };
    std::optional<QList<ArchiveItem>> full;
    if (points.last().kind != RestorePoint::Kind::Mirror) {
        full = ListArchive(points.last().path, error, points.last().passwordId, failure);
        if (!full)
            return {};
    }
    bool present = false;
    qint64 size = -1;
    QDateTime modified;
    // Oldest first: the full archive, then each update archive by its time.
    for (qsizetype i = points.size() - 1; i >= 0; --i) {
        const RestorePoint& point = points.at(i);
        std::optional<QList<StateEntry>> state;
        if (point.kind == RestorePoint::Kind::Mirror) {
            state = StateAsOf(points, int(i), error, failure);
        } else if (point.kind == RestorePoint::Kind::Full) {
            state = merged(*full, nullptr, nullptr);
        } else {
            const auto update = ListArchive(point.path, error, point.passwordId, failure);
            if (!update)
                return {};
            state = merged(*full, &*update, nullptr);
        }
        if (!state)
            return {};
        const StateEntry* entry = find(*state);
        if (entry) {
            if (!present || entry->size != size || entry->modified != modified)
                versions.append({point, false, entry->size, entry->modified});
            present = true;
            size = entry->size;
            modified = entry->modified;
        } else if (present) {
            versions.append({point, true, -1, {}});
            present = false;
        }
    }
    return versions;
}
