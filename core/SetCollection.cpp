#include "SetCollection.h"

#include "ProfileStore.h"
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
QHash<quint32, IniValues> valuesOnDisk;

// The stored form of a set, without its id, which loading may have given anew.
IniValues storedForm(const BackupSet& set)
{
    IniValues values = BackupSetFileValues(set);
    values.removeFirst();
    return values;
}

// What the last load found in the set folder but did not load.
QList<SkippedSetFile> skippedSetFiles;

// The smallest id above every one in use, or, once the largest possible id is taken, the smallest
// unused one: an id never wraps round to 0, which means "no id".
quint32 freeId(const QSet<quint32>& used)
{
    const quint32 largest = used.isEmpty() ? 0 : *std::max_element(used.begin(), used.end());
    if (largest < std::numeric_limits<quint32>::max())
        return largest + 1;
    quint32 id = 1;
    while (used.contains(id))
        ++id;
    return id;
}

QSet<quint32> idsOf(const QList<BackupSet>& sets)
{
    QSet<quint32> ids;
    for (const BackupSet& set : sets)
        ids.insert(set.id);
    return ids;
}

BackupSet setFromDocument(const IniDocument& doc)
{
    const QString section = g_profileStore->sectionName();
    auto text = [&](const char* key, const QString& fallback = {}) {
        return doc.value(section, QLatin1String(key)).value_or(fallback);
    };
    auto number
        = [&](const char* key, qint32 fallback) { return ParseProfileInt(text(key, QString::number(fallback))); };
    BackupSet set;
    set.id = ParseSetId(text("nID")).value_or(0);
    set.name = text("name");
    set.arcName = text("arcname");
    set.source = text("source");
    set.target = text("target");
    SplitList(set.exPathList, text("exPathList"), kListSeparator);
    SplitList(set.exTypeList, text("exTypeList"), kListSeparator);
    set.solid = number("Solid", 0) != 0;
    set.backupType = number("BackupType", 0);
    set.arcType = number("ArcType", 0);
    set.compLevel = number("CompLevel", 2);
    set.lastRun = text("lastrun");
    return set;
}

// The set in a set file, named by the file, or none when the file cannot be read.
std::optional<BackupSet> readSetFile(const QString& name, IniFileRead* read = nullptr)
{
    IniFileRead result = g_profileStore->ReadSetFile(name);
    if (read)
        *read = result;
    if (!result.document)
        return std::nullopt;
    BackupSet set = setFromDocument(*result.document);
    // The file is the set: a damaged or missing "name" must neither hide it nor send its next save to
    // another file.
    set.name = name;
    return set;
}

// Every set needs an id of its own. Ids the files hold are kept, the first file's where two share one,
// so that a file without an id cannot take the id another file holds; the others get new ones.
void giveDistinctIds(QList<BackupSet>& sets)
{
    QSet<quint32> used;
    QList<qsizetype> withoutId;
    for (qsizetype i = 0; i < sets.size(); ++i) {
        if (sets.at(i).id == 0 || used.contains(sets.at(i).id))
            withoutId.append(i);
        else
            used.insert(sets.at(i).id);
    }
    for (qsizetype i : std::as_const(withoutId)) {
        sets[i].id = freeId(used);
        used.insert(sets.at(i).id);
    }
}

QList<BackupSet> ReadAllSetFiles(QList<SkippedSetFile>& skipped)
{
    const SetFolderScan scan = g_profileStore->ScanSetFolder();
    skipped = scan.skipped;
    QList<BackupSet> sets;
    sets.reserve(scan.names.size());
    for (const QString& name : scan.names) {
        IniFileRead read;
        if (std::optional<BackupSet> set = readSetFile(name, &read))
            sets.append(std::move(*set));
        else if (!read.missing()) // one that is gone since the folder was listed was deleted, not skipped
            skipped.append(g_profileStore->DescribeSkippedSetFile(
                (name + QStringLiteral(".ini")).toUtf8(), read.problem, read.error));
    }
    std::sort(skipped.begin(), skipped.end(),
        [](const SkippedSetFile& a, const SkippedSetFile& b) { return a.fileName < b.fileName; });
    giveDistinctIds(sets);
    return sets;
}

bool WriteSetFile(const BackupSet& set, bool freshFile)
{
    g_profileStore->SelectSetFile(set.name);
    return g_profileStore->WriteProfileValues(BackupSetFileValues(set), freshFile);
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
    meSortStringArray types = set.exTypeList;
    meSortStringArray paths = set.exPathList;
    SortList(types);
    SortList(paths);
    return {
        {QStringLiteral("nID"), QString::number(set.id)},
        {QStringLiteral("name"), set.name},
        {QStringLiteral("arcname"), set.arcName},
        {QStringLiteral("source"), set.source},
        {QStringLiteral("target"), set.target},
        {QStringLiteral("exTypeList"), JoinList(types, kListSeparator)},
        {QStringLiteral("exPathList"), JoinList(paths, kListSeparator)},
        {QStringLiteral("ArcType"), QString::number(set.arcType)},
        {QStringLiteral("CompLevel"), QString::number(set.compLevel)},
        {QStringLiteral("Solid"), set.solid ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("BackupType"), QString::number(set.backupType)},
        {QStringLiteral("lastrun"), set.lastRun},
    };
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
    return freeId(idsOf(backupSets));
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

bool IsSetNameFree(const QString& name)
{
    // Qt's case folding, so that Cyrillic and other non-Latin names compare right in every locale.
    return std::none_of(backupSets.begin(), backupSets.end(),
        [&](const BackupSet& set) { return set.name.compare(name, Qt::CaseInsensitive) == 0; });
}

void LoadAllBackupSets(SetLoad mode)
{
    // Every program that changes the sets loads them first, so a killed save is cleared by the next.
    if (mode == SetLoad::ClearSaveLeftovers)
        g_profileStore->RemoveSaveLeftovers();
    QList<SkippedSetFile> skipped;
    QList<BackupSet> sets = ReadAllSetFiles(skipped);
    QMutexLocker lock(&backupSetsMutex());
    valuesOnDisk.clear();
    for (const BackupSet& set : std::as_const(sets))
        valuesOnDisk.insert(set.id, storedForm(set));
    backupSets = std::move(sets);
    skippedSetFiles = std::move(skipped);
}

QList<SkippedSetFile> SkippedSetFiles()
{
    QMutexLocker lock(&backupSetsMutex());
    return skippedSetFiles;
}

void LoadBackupSet()
{
    const IniFileRead read = ProfileStore::ReadIniFile(g_profileStore->currentFilePath());
    BackupSet set = setFromDocument(read.document.value_or(IniDocument()));
    QMutexLocker lock(&backupSetsMutex());
    const QSet<quint32> used = idsOf(backupSets);
    if (set.id == 0 || used.contains(set.id))
        set.id = freeId(used);
    backupSets.append(set);
    valuesOnDisk.insert(set.id, storedForm(set));
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
    std::optional<BackupSet> set = readSetFile(fileName);
    QMutexLocker lock(&backupSetsMutex());
    const auto record = id
        ? std::find_if(backupSets.begin(), backupSets.end(), [&](const BackupSet& other) { return other.id == *id; })
        : backupSets.end();
    if (!set) {
        if (record != backupSets.end()) {
            backupSets.erase(record);
            valuesOnDisk.remove(*id);
        }
        return std::nullopt;
    }
    if (record != backupSets.end()) {
        set->id = *id;
        *record = *set;
    } else {
        const QSet<quint32> used = idsOf(backupSets);
        if (set->id == 0 || used.contains(set->id))
            set->id = freeId(used);
        backupSets.append(*set);
    }
    valuesOnDisk.insert(set->id, storedForm(*set));
    return set;
}

bool StampSetFileLastRun(const QString& setName, const QString& value)
{
    static const QString key = QStringLiteral("lastrun");
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
    if (!read.document || !read.document->setValue(g_profileStore->sectionName(), key, value)
        || !IniFile::replaceFileAtomically(path, read.document->toBytes()))
        return false;

    QMutexLocker lock(&backupSetsMutex());
    BackupSet* set = findByName(fileName);
    if (!set)
        return true;
    // Known and held values change alike: a set unchanged here stays unchanged, so saving everything
    // at close sees the file differ from what it knows and leaves it alone.
    const auto known = valuesOnDisk.find(set->id);
    if (known != valuesOnDisk.end()) {
        for (auto& [storedKey, storedValue] : *known) {
            if (storedKey == key)
                storedValue = value;
        }
    }
    set->lastRun = value;
    return true;
}

void SaveBackupSet(quint32 id)
{
    BackupSet set;
    if (!GetBackupSet(id, set)) {
        userMessages().showMessage(LoadFormattedString(103, QString::number(id)));
        return;
    }
    if (WriteSetFile(set, false))
        valuesOnDisk.insert(id, storedForm(set));
}

void SaveAllBackupSets()
{
    QList<BackupSet> sets;
    {
        QMutexLocker lock(&backupSetsMutex());
        sets = backupSets;
    }
    // Each file is replaced whole in one step, so no moment leaves a set without its file.
    for (const BackupSet& set : sets) {
        const auto known = valuesOnDisk.constFind(set.id);
        if (known != valuesOnDisk.cend() && *known == storedForm(set)) {
            const std::optional<BackupSet> onDisk = readSetFile(set.name);
            // Changed or removed by another program since: its version stays.
            if (!onDisk || storedForm(*onDisk) != *known)
                continue;
        }
        if (WriteSetFile(set, true))
            valuesOnDisk.insert(set.id, storedForm(set));
        g_profileStore->SelectSettingsFile();
    }
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
    QMutexLocker lock(&backupSetsMutex());
    backupSets.append(set);
    return set.id;
}

void UpdateBackupSet(const BackupSet& record)
{
    BackupSet old;
    if (!GetBackupSet(record.id, old)) {
        ShowStringMessage(102);
        return;
    }
    // A rename never writes over another set's file.
    if (old.name != record.name) {
        g_profileStore->SelectSetFile(record.name);
        const QString newPath = g_profileStore->currentFilePath();
        g_profileStore->SelectSettingsFile();
        if (newPath.isEmpty() || QFileInfo::exists(newPath)) {
            ShowStringMessage(102);
            return;
        }
    }
    // The new file is in place before the old one goes: a failed write leaves the set as it was.
    const bool written = WriteSetFile(record, true);
    g_profileStore->SelectSettingsFile();
    if (written && old.name != record.name)
        g_profileStore->DeleteSetFile(old.name);
    LoadAllBackupSets();
}

void DeleteBackupSet(quint32 id)
{
    BackupSet set;
    if (!GetBackupSet(id, set)) {
        ShowStringMessage(107);
        return;
    }
    g_profileStore->DeleteSetFile(set.name);
    LoadAllBackupSets();
}
