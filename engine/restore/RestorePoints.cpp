#include "RestorePoints.h"

#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "ArchivePath.h"
#include "ChainState.h"
#include "MirrorVersions.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "SetHistory.h"
#include "Settings.h"
#include "StringTable.h"
#include "TempFolder.h"
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

// The offset from UTC of each local minute a listing's times fall in, worked out once per minute: the C library
// looks at the system's time zone file again for every local time Qt converts, which cost more than 7-Zip's own
// listing.
using LocalOffsets = QHash<qint64, qint64>;

// "2026-12-07 18:55:23.7754816" in local time, read by hand: QDateTime's parser is too slow for a listing
// of a hundred thousand files.
QDateTime listedTime(QByteArrayView text, LocalOffsets& offsets)
{
    if (text.size() < 19)
        return {};
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const int msec = text.size() >= 23 ? digits(text, 20, 3) : 0;
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2), msec);
    if (!date.isValid() || !time.isValid())
        return QDateTime(date, time);
    constexpr qint64 kDayMSecs = 86400000;
    const qint64 minute = date.toJulianDay() * 1440 + qint64(time.hour()) * 60 + time.minute();
    auto offset = offsets.constFind(minute);
    if (offset == offsets.cend()) {
        const QDateTime start(date, QTime(time.hour(), time.minute()));
        if (!start.isValid())
            return QDateTime(date, time);
        const qint64 local = (date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * kDayMSecs
            + QTime(0, 0).msecsTo(QTime(time.hour(), time.minute()));
        offset = offsets.insert(minute, local - start.toMSecsSinceEpoch());
    }
    const qint64 local = (date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * kDayMSecs + QTime(0, 0).msecsTo(time);
    // Held as the instant in UTC: shown, it is turned back into local time; compared, the instant counts.
    return QDateTime::fromMSecsSinceEpoch(local - *offset, Qt::UTC);
}

QString sevenZipProgram()
{
    Locate7Zip();
    return Settings().sevenZipPath.value();
}

// The point's file count and refused entries.
void describe(RestorePoint& point, const ChainState::Summary& summary)
{
    point.fileCount = summary.fileCount;
    point.refusedPaths = summary.refusedPaths;
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
// By archive path and password key, with the order they were made in for letting the oldest go.
QHash<QString, Listing> listings;
QStringList listingOrder;
qsizetype listedItems = 0;
// A history of a thousand points is listed once for its points and read again for each point's tree and a file's
// versions; the listings stay while together they hold fewer items than this (some tens of MiB), and the last
// two always, whatever their size.
constexpr qsizetype kListedItemsKept = 400000;
constexpr qsizetype kListingsAlwaysKept = 2;

QString listingKey(const QString& path, const QByteArray& passwordKey)
{
    return path + QLatin1Char('\n') + QString::fromLatin1(passwordKey.toHex());
}

std::optional<QList<ArchiveItem>> listArchiveUncached(
    const QString& archive, QString* error, const std::optional<QString>& password, ListFailure* failure);
QList<ArchiveItem> itemsOf(const QByteArray& text);

// The listing from the kept ones when the archive is still the file that was listed, else from 7-Zip.
std::optional<QList<ArchiveItem>> listWithPassword(
    const QString& archive, QString* error, const std::optional<QString>& password, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    const QByteArray key = passwordKey(password);
    const QString keyText = listingKey(archive, key);
    struct stat status;
    const bool known = ::stat(QFile::encodeName(archive).constData(), &status) == 0;
    if (known) {
        const QMutexLocker lock(&listingsMutex);
        const auto found = listings.constFind(keyText);
        if (found != listings.cend() && sameFile(*found, archive, status, key))
            return found->items;
    }
    auto items = listArchiveUncached(archive, error, password, failure);
    if (items && known) {
        const QMutexLocker lock(&listingsMutex);
        if (const auto old = listings.find(keyText); old != listings.end()) {
            listedItems -= old->items.size();
            listings.erase(old);
            listingOrder.removeOne(keyText);
        }
        listings.insert(keyText, {archive, status.st_dev, status.st_ino, status.st_size, status.st_mtim, key, *items});
        listingOrder.append(keyText);
        listedItems += items->size();
        while (listingOrder.size() > kListingsAlwaysKept && listedItems > kListedItemsKept) {
            const auto oldest = listings.find(listingOrder.takeFirst());
            if (oldest != listings.end()) {
                listedItems -= oldest->items.size();
                listings.erase(oldest);
            }
        }
    }
    return items;
}

// Lists the archives (no password needed) with one 7-Zip run and keeps each listing as ListArchive would: a
// chain of many update archives costs one process, not one each. Nothing is kept when anything is unusual (an
// archive 7-Zip cannot open, a name a list file cannot hold, a listing whose sections do not match the archives
// one for one); ListArchive then lists them one by one and finds the reason.
void listTogether(const QStringList& archives)
{
    struct Wanted
    {
        QString path;
        struct stat status;
    };
    QList<Wanted> wanted;
    {
        const QMutexLocker lock(&listingsMutex);
        for (const QString& archive : archives) {
            struct stat status;
            if (::stat(QFile::encodeName(archive).constData(), &status) != 0)
                return;
            const auto found = listings.constFind(listingKey(archive, {}));
            if (found != listings.cend() && sameFile(*found, archive, status, {}))
                continue;
            if (archive.contains(QLatin1Char('\n')) || archive.contains(QLatin1Char('\r')) || archive.front().isSpace()
                || archive.back().isSpace())
                return;
            wanted.append({archive, status});
        }
    }
    if (wanted.size() < 2)
        return;
    const QString program = sevenZipProgram();
    if (program.isEmpty())
        return;
    QString names;
    for (const Wanted& archive : std::as_const(wanted))
        names += archive.path + QLatin1Char('\n');
    const QString list = WriteListFile(names);
    if (list.isEmpty())
        return;
    auto removeList = qScopeGuard([&list] { RemoveTempFile(list); });
    // -an -ai@: the archives from the list file; -spd: their names are names, not wildcards.
    Command command;
    command.program = program;
    command.arguments = {QStringLiteral("l"), QStringLiteral("-slt"), QStringLiteral("-sccUTF-8"),
        QStringLiteral("-scsUTF-8"), QStringLiteral("-spd"), QStringLiteral("-an"), QStringLiteral("-ai@") + list};
    command.resultPartBytes = kListingOutputBytes;
    const QuietRun listed = RunQuietly(command);
    if (!listed.ran || listed.exitCode != 0 || listed.cut)
        return;
    const QByteArray header("\nListing archive: ");
    const QByteArray& text = listed.output;
    QHash<QString, QByteArray> sections;
    qsizetype at = text.startsWith(header.mid(1)) ? 0 : text.indexOf(header);
    while (at >= 0) {
        const qsizetype nameStart = at + (text.at(at) == '\n' ? header.size() : header.size() - 1);
        const qsizetype nameEnd = text.indexOf('\n', nameStart);
        if (nameEnd < 0)
            return;
        const qsizetype next = text.indexOf(header, nameEnd);
        const QByteArray section = text.mid(nameEnd, next < 0 ? -1 : next - nameEnd + 1);
        // Its items follow the archive's own properties, after the dashed line.
        const qsizetype items = section.indexOf("\n----------\n");
        const QString name = QString::fromUtf8(text.mid(nameStart, nameEnd - nameStart));
        if (items < 0 || sections.contains(name))
            return;
        sections.insert(name, section.mid(items + 12));
        at = next;
    }
    if (sections.size() != wanted.size())
        return;
    QList<std::pair<Wanted, QList<ArchiveItem>>> made;
    for (const Wanted& archive : std::as_const(wanted)) {
        const auto section = sections.constFind(archive.path);
        if (section == sections.cend())
            return;
        made.append({archive, itemsOf(*section)});
    }
    const QMutexLocker lock(&listingsMutex);
    for (const auto& [archive, items] : std::as_const(made)) {
        const QString keyText = listingKey(archive.path, {});
        if (listings.contains(keyText))
            continue;
        listings.insert(keyText,
            {archive.path, archive.status.st_dev, archive.status.st_ino, archive.status.st_size, archive.status.st_mtim,
                {}, items});
        listingOrder.append(keyText);
        listedItems += items.size();
    }
    while (listingOrder.size() > kListingsAlwaysKept && listedItems > kListedItemsKept) {
        const auto oldest = listings.find(listingOrder.takeFirst());
        if (oldest != listings.end()) {
            listedItems -= oldest->items.size();
            listings.erase(oldest);
        }
    }
}

} // namespace

namespace {

// Lists the archive with the password kept for its chain (the set's own where none is kept for that chain).
std::optional<QList<ArchiveItem>> listWithKeptPassword(
    const QString& archive, quint32 passwordId, const QString& chainFull, QString* error, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    std::optional<QString> password;
    if (passwordId != 0) {
        QString problem;
        password = ChainPasswordOf(passwordId, chainFull, &problem);
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
    return listWithPassword(archive, error, password, failure);
}

} // namespace

std::optional<QList<ArchiveItem>> ListArchive(
    const QString& archive, QString* error, quint32 passwordId, ListFailure* failure)
{
    return listWithKeptPassword(archive, passwordId, {}, error, failure);
}

std::optional<QList<ArchiveItem>> ListPointArchive(
    const RestorePoint& point, bool chainFull, QString* error, ListFailure* failure)
{
    return listWithKeptPassword(
        chainFull ? point.fullArchive : point.path, point.passwordId, point.fullArchive, error, failure);
}

void ForgetArchiveListings()
{
    const QMutexLocker lock(&listingsMutex);
    listings.clear();
    listingOrder.clear();
    listedItems = 0;
}

namespace {

// The items of one archive's technical listing ("Path = " starts each).
QList<ArchiveItem> itemsOf(const QByteArray& text)
{
    QList<ArchiveItem> items;
    LocalOffsets offsets;
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
            item.modified = listedTime(line.sliced(11), offsets);
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
    list.resultPartBytes = kListingOutputBytes;
    const QuietRun listed = RunQuietly(list);
    WipeBytes(list.standardInput);
    // Read in part, the listing would offer a point without the files it lost.
    if (listed.cut) {
        setError(error, LoadStringById(StringId::ListingTooLong).arg(archive, FormatByteSize(kListingOutputBytes)));
        setFailure(failure, ListFailure::Unreadable);
        return std::nullopt;
    }
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
    return itemsOf(listed.output);
}

} // namespace

namespace {

QList<RestorePoint> pointsOfHistory(
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
    if (full.isEmpty() || set.arcName.isEmpty()) {
        setError(error,
            ArcTypeName(set).isEmpty() ? LoadStringById(StringId::RestoreNoArchive).arg(set.arcName)
                                       : LoadStringById(StringId::RestoreNoArchive).arg(set.target));
        setFailure(failure, ListFailure::Unreadable);
        return {};
    }
    return pointsOfHistory(full, error, IsEncryptedSet(set) ? set.id : 0, failure);
}

QList<RestorePoint> RestorePointsOfArchive(
    const QString& fullArchive, QString* error, const std::optional<QString>& password, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    if (password)
        SetArchivePassword(kFoundArchivePasswordId, *password);
    return pointsOfHistory(
        QFileInfo(fullArchive).absoluteFilePath(), error, password ? kFoundArchivePasswordId : 0, failure);
}

namespace {

RestorePoint pointOf(const HistoryArchive& archive, RestorePoint::Kind kind, const QString& fullArchive,
    const HistoryChain& chain, quint32 passwordId)
{
    RestorePoint point;
    point.kind = kind;
    point.path = archive.path;
    point.stamp = archive.stamp;
    point.time = archive.time;
    point.size = QFileInfo(archive.path).size();
    point.passwordId = passwordId;
    point.fullArchive = fullArchive;
    point.chain = chain.stamp;
    return point;
}

// The chain's full archive listed, with the chain's password; where the set's password does not open it, each of
// its earlier ones is tried, and the one that does is kept for the chain.
std::optional<QList<ArchiveItem>> listChainFull(const RestorePoint& base, QString* error, ListFailure* failure)
{
    auto items = ListPointArchive(base, true, error, failure);
    if (items || base.passwordId == 0
        || (*failure != ListFailure::WrongPassword && *failure != ListFailure::PasswordMissing))
        return items;
    const QStringList earlier = EarlierPasswordsOf(base.passwordId);
    for (const QString& password : earlier) {
        SetChainPassword(base.passwordId, base.fullArchive, password);
        QString ignored;
        ListFailure again = ListFailure::None;
        items = ListPointArchive(base, true, &ignored, &again);
        if (items) {
            setFailure(failure, ListFailure::None);
            return items;
        }
        ForgetChainPassword(base.passwordId, base.fullArchive);
    }
    return std::nullopt;
}

// One chain's points, newest first. A chain that cannot be listed gives its points all the same, marked with why.
QList<RestorePoint> pointsOfChain(
    const HistoryChain& chain, const QString& fullName, quint32 passwordId, QString* error, ListFailure* failure)
{
    setFailure(failure, ListFailure::None);
    const QString fullArchive = chain.hasFull() ? chain.full.path : chain.folder + QLatin1Char('/') + fullName;
    QList<RestorePoint> points;
    for (auto update = chain.updates.crbegin(); update != chain.updates.crend(); ++update)
        points.append(pointOf(*update, RestorePoint::Kind::Update, fullArchive, chain, passwordId));
    auto unopened = [&points, error, failure](const QString& why, ListFailure kind) {
        setError(error, why);
        setFailure(failure, kind);
        for (RestorePoint& point : points) {
            point.unopened = kind;
            point.problem = why;
        }
        return points;
    };
    if (!chain.hasFull())
        return unopened(LoadStringById(StringId::RestoreNoArchive).arg(fullArchive), ListFailure::Unreadable);
    points.append(pointOf(chain.full, RestorePoint::Kind::Full, fullArchive, chain, passwordId));
    if (passwordId == 0) {
        QStringList archives;
        for (const RestorePoint& point : std::as_const(points))
            archives.append(point.path);
        listTogether(archives);
    }
    QString why;
    ListFailure kind = ListFailure::None;
    const auto fullItems = listChainFull(points.constLast(), &why, &kind);
    if (!fullItems)
        return unopened(why, kind);
    // The full archive's state is sorted once for the chain; each update archive is laid over it in turn.
    const ChainState state(*fullItems);
    describe(points.last(), state.summary(nullptr));
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const auto items = ListPointArchive(points.at(i), false, &why, &kind);
        if (!items) {
            // One damaged update archive leaves the other points of its chain restorable.
            points[i].unopened = kind;
            points[i].problem = why;
            continue;
        }
        describe(points[i], state.summary(&*items));
    }
    return points;
}

QList<RestorePoint> pointsOfHistory(
    const QString& fullArchive, QString* error, quint32 passwordId, ListFailure* failure)
{
    const SetHistory history = ReadArchiveHistory(fullArchive);
    if (history.chains.isEmpty()) {
        setError(error, LoadStringById(StringId::RestoreNoArchive).arg(fullArchive));
        setFailure(failure, ListFailure::Unreadable);
        return {};
    }
    const QString fullName = QFileInfo(fullArchive).fileName();
    QList<RestorePoint> points;
    bool anyListed = false;
    QString firstError;
    ListFailure firstFailure = ListFailure::None;
    for (const HistoryChain& chain : history.chains) {
        QString why;
        ListFailure kind = ListFailure::None;
        points.append(pointsOfChain(chain, fullName, passwordId, &why, &kind));
        if (kind == ListFailure::None) {
            anyListed = true;
        } else if (firstFailure == ListFailure::None) {
            firstError = why;
            firstFailure = kind;
        }
    }
    if (!anyListed) {
        setError(error, firstError);
        setFailure(failure, firstFailure);
        return {};
    }
    // Kept chains may overlap in time with the current one only if a clock went back; newest first all the same.
    std::stable_sort(
        points.begin(), points.end(), [](const RestorePoint& a, const RestorePoint& b) { return a.time > b.time; });
    return points;
}

} // namespace

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
    const auto full = ListPointArchive(point, true, error, failure);
    if (!full)
        return std::nullopt;
    if (point.kind == RestorePoint::Kind::Full)
        return ChainState(*full).entries(nullptr, nullptr);
    const auto update = ListPointArchive(point, false, error, failure);
    if (!update)
        return std::nullopt;
    return ChainState(*full).entries(&*update, nullptr);
}

QList<StateEntry> StateWithOrigins(
    const QList<ArchiveItem>& full, const QList<ArchiveItem>* update, QList<bool>* fromUpdate)
{
    return ChainState(full).entries(update, fromUpdate);
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
    // The state of the chain being read, built once from its full archive; the points of one chain follow each
    // other.
    QString fullPath;
    std::optional<ChainState> chain;
    bool present = false;
    qint64 size = -1;
    QDateTime modified;
    // Oldest first, across the kept chains and the current one: each chain's full archive, then its update archives
    // by their time. A file the next chain's full archive holds unchanged is no new version.
    for (qsizetype i = points.size() - 1; i >= 0; --i) {
        const RestorePoint& point = points.at(i);
        // A chain that could not be listed is passed over; its points say why.
        if (point.unopened != ListFailure::None)
            continue;
        std::optional<StateEntry> entry;
        if (point.kind == RestorePoint::Kind::Mirror) {
            const auto state = StateAsOf(points, int(i), error, failure);
            if (!state)
                return {};
            const auto at = std::lower_bound(state->cbegin(), state->cend(), wanted,
                [](const StateEntry& stateEntry, const QString& key) { return stateEntry.path < key; });
            if (at != state->cend() && at->path == wanted)
                entry = *at;
        } else {
            if (!chain || fullPath != point.fullArchive) {
                chain.reset();
                const auto full = ListPointArchive(point, true, error, failure);
                fullPath = point.fullArchive;
                if (!full)
                    return {};
                chain.emplace(*full);
            }
            if (point.kind == RestorePoint::Kind::Full) {
                entry = chain->entry(nullptr, wanted);
            } else {
                const auto update = ListPointArchive(point, false, error, failure);
                if (!update)
                    return {};
                entry = chain->entry(&*update, wanted);
            }
        }
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
