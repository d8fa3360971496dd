#include "SetCollection.h"

#include "ProfileStore.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QFileInfo>
#include <QHash>
#include <QMutexLocker>
#include <QSet>

#include <algorithm>
#include <limits>

QList<BackupSet> backupSets;

namespace {

// What each set's file held when this program last read or wrote it, by set id. A set that is unchanged
// here but whose file has changed since was changed by another program (velmora-run's last-run stamp,
// another window), and saving everything must not write the old values back over that.
struct KnownFile
{
    // The set as the file held it. Kept as the record, which shares its texts with the collection's, and
    // put in its stored form only when saving compares.
    BackupSet set;
    // The version of the file that held them, so saving can tell without reading it whether the file
    // changed since.
    FileStamp stamp;
    // The set was given another id than its file holds (none, or one another file holds too). The logs, the
    // timer and the keyring entry go by the id, so the file must come to hold it.
    bool idGiven = false;
};
QHash<quint32, KnownFile> knownFiles;

// Whether saving the two would write the same keys, the id aside, which loading may have given anew.
bool sameStoredForm(const BackupSet& a, const BackupSet& b)
{
    const QList<SetFileKey>& keys = SetFileKeys();
    return std::all_of(
        keys.cbegin() + 1, keys.cend(), [&](const SetFileKey& key) { return FieldText(a, key) == FieldText(b, key); });
}

// What the last load found in the set folder but did not load.
QList<SkippedSetFile> skippedSetFiles;

// Gives ids not in use, each in constant time: the one above the largest so far, or, once the largest
// possible id is taken, the smallest unused one, searched from where the last search ended. An id never
// wraps round to 0, which means "no id".
class IdGiver
{
public:
    explicit IdGiver(QSet<quint32> used = {})
        : m_used(std::move(used))
    {
        for (quint32 id : std::as_const(m_used))
            m_largest = std::max(m_largest, id);
    }

    // Takes the id if it is one and is free.
    bool take(quint32 id)
    {
        if (id == 0 || m_used.contains(id))
            return false;
        m_used.insert(id);
        m_largest = std::max(m_largest, id);
        return true;
    }

    quint32 give()
    {
        quint32 id;
        if (m_largest < std::numeric_limits<quint32>::max()) {
            id = m_largest + 1;
        } else {
            while (m_used.contains(m_nextLow))
                ++m_nextLow;
            id = m_nextLow;
        }
        take(id);
        return id;
    }

private:
    QSet<quint32> m_used;
    quint32 m_largest = 0;
    quint32 m_nextLow = 1;
};

QSet<quint32> idsOf(const QList<BackupSet>& sets)
{
    QSet<quint32> ids;
    ids.reserve(sets.size());
    for (const BackupSet& set : sets)
        ids.insert(set.id);
    return ids;
}

BackupSet setFromDocument(const IniDocument& doc)
{
    const IniSectionValues values = doc.sectionValues(g_profileStore->sectionName());
    BackupSet set;
    for (const SetFileKey& key : SetFileKeys())
        SetFieldFromText(set, key, values.value(key.key).value_or(key.fileDefault));
    return set;
}

// The set in a set file, named by the file, or none when the file cannot be read.
std::optional<BackupSet> readSetFile(const QString& name, IniFileRead* read = nullptr)
{
    IniFileRead result = g_profileStore->ReadSetFile(name);
    std::optional<BackupSet> set;
    if (result.document) {
        set = setFromDocument(*result.document);
        // The file is the set: a damaged or missing "name" must neither hide it nor send its next save to
        // another file.
        set->name = name;
    }
    if (read)
        *read = std::move(result);
    return set;
}

KnownFile knownFile(const BackupSet& set, const FileStamp& stamp, bool idGiven = false)
{
    return {set, stamp, idGiven};
}

// The sets of the set folder's files, each with the version of its file read and whether it was given another id
// than its file holds, in three lists of the same order: what is known of each file is made from them only when it
// is kept, and a list of records holding two sets each would be twice the memory to fill.
struct LoadedSets
{
    QList<BackupSet> sets;
    QList<FileStamp> stamps;
    QList<bool> idsGiven;
};

// Every set needs an id of its own. Ids the files hold are kept, the first file's where two share one,
// so that a file without an id cannot take the id another file holds; the others get new ones.
void giveDistinctIds(LoadedSets& loaded)
{
    IdGiver ids;
    QList<qsizetype> withoutId;
    for (qsizetype i = 0; i < loaded.sets.size(); ++i) {
        if (!ids.take(loaded.sets.at(i).id))
            withoutId.append(i);
    }
    for (qsizetype i : std::as_const(withoutId)) {
        loaded.sets[i].id = ids.give();
        loaded.idsGiven[i] = true;
    }
}

LoadedSets ReadAllSetFiles(QList<SkippedSetFile>& skipped)
{
    const SetFolderScan scan = g_profileStore->ScanSetFolder();
    skipped = scan.skipped;
    LoadedSets loaded;
    loaded.sets.reserve(scan.names.size());
    loaded.stamps.reserve(scan.names.size());
    for (const QString& name : scan.names) {
        IniFileRead read;
        if (std::optional<BackupSet> set = readSetFile(name, &read)) {
            loaded.sets.append(std::move(*set));
            loaded.stamps.append(read.stamp);
        } else if (!read.missing()) { // one that is gone since the folder was listed was deleted, not skipped
            skipped.append(g_profileStore->DescribeSkippedSetFile(
                (name + QStringLiteral(".ini")).toUtf8(), read.problem, read.error));
        }
    }
    loaded.idsGiven.fill(false, loaded.sets.size());
    std::sort(skipped.begin(), skipped.end(),
        [](const SkippedSetFile& a, const SkippedSetFile& b) { return a.fileName < b.fileName; });
    giveDistinctIds(loaded);
    return loaded;
}

// Writes the set's file; on success what is known of the file follows. Call without backupSetsMutex held.
bool writeSetFile(const BackupSet& set, bool freshFile)
{
    FileStamp stamp;
    if (!g_profileStore->WriteSetFileValues(set.name, BackupSetFileValues(set), freshFile, &stamp))
        return false;
    QMutexLocker lock(&backupSetsMutex());
    knownFiles.insert(set.id, knownFile(set, stamp));
    return true;
}

// Writes only these keys of the set into its file as it is now, the others left as they are.
bool writeSetFile(const BackupSet& set, const IniValues& keys)
{
    FileStamp stamp;
    if (!g_profileStore->WriteSetFileValues(set.name, keys, false, &stamp))
        return false;
    QMutexLocker lock(&backupSetsMutex());
    knownFiles.insert(set.id, knownFile(set, stamp));
    return true;
}

// The record as reading back its written file gives it: lists as they are stored.
BackupSet asStored(const BackupSet& record)
{
    BackupSet set;
    for (const SetFileKey& key : SetFileKeys())
        SetFieldFromText(set, key, FieldText(record, key));
    set.name = record.name;
    return set;
}

QString failedPath(const QString& setName)
{
    const QString path = g_profileStore->SetFilePath(setName);
    return path.isEmpty() ? setName : path;
}

// The record of the set with this name, letter case aside; call with backupSetsMutex held.
BackupSet* findByName(const QString& name)
{
    for (BackupSet& set : backupSets) {
        if (set.name.compare(name, Qt::CaseInsensitive) == 0)
            return &set;
    }
    return nullptr;
}

} // namespace

QMutex& backupSetsMutex()
{
    static QMutex mutex;
    return mutex;
}

IniValues BackupSetFileValues(const BackupSet& set)
{
    IniValues values;
    values.reserve(SetFileKeys().size());
    for (const SetFileKey& key : SetFileKeys())
        values.append({key.key, FieldText(set, key)});
    return values;
}

BackupSet* FindBackupSet(quint32 id)
{
    for (BackupSet& set : backupSets) {
        if (set.id == id)
            return &set;
    }
    return nullptr;
}

bool GetBackupSet(quint32 id, BackupSet& out)
{
    QMutexLocker lock(&backupSetsMutex());
    const BackupSet* set = FindBackupSet(id);
    if (!set)
        return false;
    out = *set;
    return true;
}

quint32 NewBackupSetId()
{
    return IdGiver(idsOf(backupSets)).give();
}

std::optional<quint32> ParseSetId(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    if (i < text.size() && text.at(i) == QLatin1Char('+'))
        ++i;
    const qsizetype digits = i;
    quint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + quint64(text.at(i).unicode() - '0');
        if (value > std::numeric_limits<quint32>::max())
            return std::nullopt;
    }
    if (i == digits || value == 0)
        return std::nullopt;
    return quint32(value);
}

bool IsSetNameFree(const QString& name, quint32 exceptId)
{
    // Qt's case folding, so that Cyrillic and other non-Latin names compare right in every locale.
    return std::none_of(backupSets.begin(), backupSets.end(),
        [&](const BackupSet& set) { return set.id != exceptId && set.name.compare(name, Qt::CaseInsensitive) == 0; });
}

void LoadAllBackupSets(SetLoad mode)
{
    // Every program that changes the sets loads them first, so a killed save is cleared by the next.
    if (mode == SetLoad::ClearSaveLeftovers)
        g_profileStore->RemoveSaveLeftovers();
    QList<SkippedSetFile> skipped;
    LoadedSets loaded = ReadAllSetFiles(skipped);
    QHash<quint32, KnownFile> files;
    if (mode != SetLoad::ShowOnly) {
        files.reserve(loaded.sets.size());
        for (qsizetype i = 0; i < loaded.sets.size(); ++i) {
            const BackupSet& set = loaded.sets.at(i);
            files.emplace(set.id, knownFile(set, loaded.stamps.at(i), loaded.idsGiven.at(i)));
        }
    }
    QList<BackupSet> sets = std::move(loaded.sets);
    QMutexLocker lock(&backupSetsMutex());
    knownFiles = std::move(files);
    backupSets = std::move(sets);
    skippedSetFiles = std::move(skipped);
}

QList<SkippedSetFile> SkippedSetFiles()
{
    QMutexLocker lock(&backupSetsMutex());
    return skippedSetFiles;
}

std::optional<BackupSet> ReloadBackupSet(const QString& name)
{
    QString fileName = name;
    std::optional<quint32> id;
    {
        QMutexLocker lock(&backupSetsMutex());
        if (const BackupSet* set = findByName(name)) {
            fileName = set->name;
            id = set->id;
        }
    }
    // A set made in another program since the load is found by its name in any letter case too.
    if (!id && ProfileStore::isValidSetName(name) && !QFileInfo::exists(g_profileStore->SetFilePath(name))) {
        for (const QString& file : g_profileStore->ScanSetFolder().names) {
            if (file.compare(name, Qt::CaseInsensitive) == 0) {
                fileName = file;
                break;
            }
        }
    }
    IniFileRead read;
    std::optional<BackupSet> set = readSetFile(fileName, &read);
    QMutexLocker lock(&backupSetsMutex());
    const auto record = id
        ? std::find_if(backupSets.begin(), backupSets.end(), [&](const BackupSet& other) { return other.id == *id; })
        : backupSets.end();
    if (!set) {
        if (record != backupSets.end()) {
            backupSets.erase(record);
            knownFiles.remove(*id);
        }
        return std::nullopt;
    }
    const quint32 idInFile = set->id;
    if (record != backupSets.end()) {
        set->id = *id;
        *record = *set;
    } else {
        const QSet<quint32> used = idsOf(backupSets);
        if (set->id == 0 || used.contains(set->id))
            set->id = IdGiver(used).give();
        backupSets.append(*set);
    }
    knownFiles.insert(set->id, knownFile(*set, read.stamp, set->id != idInFile));
    return set;
}

bool StampSetFileLastRun(const QString& setName, const QString& value)
{
    return StampSetFileKeys(setName, {{QStringLiteral("lastrun"), value}});
}

bool StampSetFileKeys(const QString& setName, const IniValues& values)
{
    QString fileName = setName;
    {
        QMutexLocker lock(&backupSetsMutex());
        if (const BackupSet* set = findByName(setName))
            fileName = set->name;
    }
    const QString path = g_profileStore->SetFilePath(fileName);
    if (path.isEmpty())
        return false;
    // What is in the file now, whoever wrote it, is what the stamp goes into; a set deleted meanwhile
    // stays deleted.
    IniFileRead read = ProfileStore::ReadIniFile(path);
    if (!read.document)
        return false;
    for (const auto& [key, value] : values) {
        if (!read.document->setValue(g_profileStore->sectionName(), key, value))
            return false;
    }
    if (!IniFile::replaceFileAtomically(path, read.document->toBytes()))
        return false;
    const FileStamp stamp = ProfileStore::StampOf(path).value_or(FileStamp());

    QMutexLocker lock(&backupSetsMutex());
    BackupSet* set = findByName(fileName);
    if (!set)
        return true;
    // Known and held values change alike: a set unchanged here stays unchanged, so saving everything
    // at close leaves the file, and what other programs changed in it, alone.
    const auto known = knownFiles.find(set->id);
    for (const auto& [key, value] : values) {
        for (const SetFileKey& tableKey : SetFileKeys()) {
            if (tableKey.key != key)
                continue;
            SetFieldFromText(*set, tableKey, value);
            if (known != knownFiles.end())
                SetFieldFromText(known->set, tableKey, value);
        }
    }
    // Only when the file was the version known is the stamped one known too; one changed by others
    // meanwhile keeps an outdated version here, so saving at close leaves it alone.
    if (known != knownFiles.end() && known->stamp == read.stamp)
        known->stamp = stamp;
    return true;
}

bool SaveBackupSet(quint32 id)
{
    BackupSet set;
    if (!GetBackupSet(id, set)) {
        userMessages().showMessage(LoadFormattedString(StringId::SaveSetError, QString::number(id)));
        return false;
    }
    return writeSetFile(set, false);
}

bool SaveAllBackupSets(QStringList* failedFiles)
{
    QList<BackupSet> toWrite;
    QList<BackupSet> idsToWrite;
    {
        QMutexLocker lock(&backupSetsMutex());
        for (const BackupSet& set : std::as_const(backupSets)) {
            const auto known = knownFiles.constFind(set.id);
            if (known == knownFiles.cend() || !sameStoredForm(known->set, set)) {
                toWrite.append(set);
                continue;
            }
            // Unchanged here, so its file is left as it is, even one without the newer keys: it reads as the
            // same set. Only an id given at load goes in, while the file is still the version read; one
            // changed or removed by another program since keeps that program's version.
            if (known->idGiven && g_profileStore->SetFileStamp(set.name) == known->stamp)
                idsToWrite.append(set);
        }
    }
    bool allWritten = true;
    auto failed = [&](const BackupSet& set) {
        allWritten = false;
        if (failedFiles)
            failedFiles->append(failedPath(set.name));
    };
    // Each file is replaced whole in one step, so no moment leaves a set without its file.
    for (const BackupSet& set : std::as_const(toWrite)) {
        if (!writeSetFile(set, true))
            failed(set);
    }
    const SetFileKey& idKey = SetFileKeys().constFirst();
    for (const BackupSet& set : std::as_const(idsToWrite)) {
        if (!writeSetFile(set, IniValues {{idKey.key, FieldText(set, idKey)}}))
            failed(set);
    }
    return allWritten;
}

bool SetEveryDestination(const QString& location, QStringList* failedFiles)
{
    {
        QMutexLocker lock(&backupSetsMutex());
        for (BackupSet& set : backupSets) {
            // Another destination is another disk, chosen on purpose; the next successful run records it.
            if (set.target != location)
                set.destinationDisk.clear();
            set.target = location;
        }
    }
    // Written at once: nothing read later from the files may bring the old destinations back.
    return SaveAllBackupSets(failedFiles);
}

quint32 AddBackupSet(const BackupSet& record)
{
    BackupSet set;
    set.id = NewBackupSetId();
    set.name = record.name;
    set.arcName = record.arcName;
    set.source = record.source;
    set.target = record.target;
    set.exTypeList = record.exTypeList;
    set.exPathList = record.exPathList;
    set.compLevel = record.compLevel;
    set.arcType = record.arcType;
    set.solid = record.solid;
    set.backupType = record.backupType;
    set.verifyArchive = record.verifyArchive;
    set.schedule = record.schedule;
    set.scheduleTime = record.scheduleTime;
    set.scheduleDay = record.scheduleDay;
    set.scheduleCatchUp = record.scheduleCatchUp;
    // A new set has no chain yet, so no password of an old one to leave behind.
    set.encrypt = record.encrypt;
    set.offsite = record.offsite;
    set.passwordFile = record.passwordFile;
    set.keepLast = record.keepLast;
    set.keepHourly = record.keepHourly;
    set.keepDaily = record.keepDaily;
    set.keepWeekly = record.keepWeekly;
    set.keepMonthly = record.keepMonthly;
    set.keepYearly = record.keepYearly;
    set.pinned = record.pinned;
    QMutexLocker lock(&backupSetsMutex());
    backupSets.append(set);
    return set.id;
}

bool UpdateBackupSet(const BackupSet& record)
{
    BackupSet old;
    if (!GetBackupSet(record.id, old)) {
        ShowStringMessage(StringId::UpdateSetError);
        return false;
    }
    // A rename never writes over another set's file.
    if (old.name != record.name) {
        const QString newPath = g_profileStore->SetFilePath(record.name);
        if (newPath.isEmpty() || QFileInfo::exists(newPath)) {
            ShowStringMessage(StringId::UpdateSetError);
            return false;
        }
    }
    // The new file is in place before the old one goes: a failed write leaves the set as it was, and the
    // user learns that the edit did not reach the disk.
    if (!writeSetFile(record, true)) {
        userMessages().showMessage(
            LoadStringById(StringId::FilesNotSaved).arg(g_profileStore->SetFilePath(record.name)),
            UserMessages::Icon::Error);
        return false;
    }
    if (old.name != record.name)
        g_profileStore->DeleteSetFile(old.name);
    // Only this record changes, to what its file now holds.
    const BackupSet stored = asStored(record);
    QMutexLocker lock(&backupSetsMutex());
    if (BackupSet* set = FindBackupSet(record.id))
        *set = stored;
    return true;
}

bool DeleteBackupSet(quint32 id)
{
    BackupSet set;
    if (!GetBackupSet(id, set)) {
        ShowStringMessage(StringId::DeleteSetError);
        return false;
    }
    // A file that is still there after a failed delete keeps its set.
    if (!g_profileStore->DeleteSetFile(set.name) && QFileInfo::exists(g_profileStore->SetFilePath(set.name)))
        return false;
    QMutexLocker lock(&backupSetsMutex());
    backupSets.removeIf([&](const BackupSet& other) { return other.id == id; });
    knownFiles.remove(id);
    return true;
}
