#include "SetCollection.h"

#include "ProfileStore.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QFileInfo>
#include <QHash>
#include <QMutexLocker>

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

quint32 largestId(const QList<BackupSet>& sets)
{
    quint32 largest = 0;
    for (const BackupSet& set : sets)
        largest = std::max(largest, set.id);
    return largest;
}

bool hasId(const QList<BackupSet>& sets, quint32 id)
{
    return std::any_of(sets.begin(), sets.end(), [id](const BackupSet& set) { return set.id == id; });
}

// Reads the current set file into a record.
BackupSet ReadCurrentSetFile()
{
    const ProfileStore& store = *g_profileStore;
    BackupSet set;
    set.id = quint32(store.ReadProfileInt(QStringLiteral("nID"), 0));
    set.name = store.ReadProfileString(QStringLiteral("name"), QString());
    set.arcName = store.ReadProfileString(QStringLiteral("arcname"), QString());
    set.source = store.ReadProfileString(QStringLiteral("source"), QString());
    set.target = store.ReadProfileString(QStringLiteral("target"), QString());
    SplitList(set.exPathList, store.ReadProfileString(QStringLiteral("exPathList"), QString()), kListSeparator);
    SplitList(set.exTypeList, store.ReadProfileString(QStringLiteral("exTypeList"), QString()), kListSeparator);
    set.solid = store.ReadProfileInt(QStringLiteral("Solid"), 0) != 0;
    set.backupType = store.ReadProfileInt(QStringLiteral("BackupType"), 0);
    set.arcType = store.ReadProfileInt(QStringLiteral("ArcType"), 0);
    set.compLevel = store.ReadProfileInt(QStringLiteral("CompLevel"), 2);
    set.lastRun = store.ReadProfileString(QStringLiteral("lastrun"), QString());
    return set;
}

// Every set needs an id of its own: a missing id, or one an earlier set already has, is replaced.
void appendWithDistinctId(QList<BackupSet>& sets, BackupSet set)
{
    if (set.id == 0 || hasId(sets, set.id))
        set.id = largestId(sets) + 1;
    sets.append(std::move(set));
}

QList<BackupSet> ReadAllSetFiles()
{
    ProfileStore& store = *g_profileStore;
    QStringList names;
    store.ListSetNames(names);
    QList<BackupSet> sets;
    sets.reserve(names.size());
    for (const QString& name : names) {
        store.SelectSetFile(name);
        BackupSet set = ReadCurrentSetFile();
        // The file is the set: a damaged or missing "name" must neither hide it nor send its next save to
        // another file.
        set.name = name;
        appendWithDistinctId(sets, std::move(set));
        store.SelectSettingsFile();
    }
    return sets;
}

bool WriteSetFile(const BackupSet& set, bool freshFile)
{
    g_profileStore->SelectSetFile(set.name);
    return g_profileStore->WriteProfileValues(BackupSetFileValues(set), freshFile);
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
    return largestId(backupSets) + 1;
}

bool IsSetNameFree(const QString& name)
{
    // Qt's case folding, so that Cyrillic and other non-Latin names compare right in every locale.
    return std::none_of(backupSets.begin(), backupSets.end(),
        [&](const BackupSet& set) { return set.name.compare(name, Qt::CaseInsensitive) == 0; });
}

void LoadAllBackupSets()
{
    // Every program that works with the sets loads them first, so a killed save is cleared by the next.
    g_profileStore->RemoveSaveLeftovers();
    QList<BackupSet> sets = ReadAllSetFiles();
    valuesOnDisk.clear();
    for (const BackupSet& set : std::as_const(sets))
        valuesOnDisk.insert(set.id, storedForm(set));
    QMutexLocker lock(&backupSetsMutex());
    backupSets = std::move(sets);
}

void LoadBackupSet()
{
    BackupSet set = ReadCurrentSetFile();
    QMutexLocker lock(&backupSetsMutex());
    appendWithDistinctId(backupSets, std::move(set));
    valuesOnDisk.insert(backupSets.last().id, storedForm(backupSets.last()));
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
            g_profileStore->SelectSetFile(set.name);
            const bool present = QFileInfo::exists(g_profileStore->currentFilePath());
            BackupSet onDisk = ReadCurrentSetFile();
            onDisk.name = set.name;
            g_profileStore->SelectSettingsFile();
            // Changed or removed by another program since: its version stays.
            if (!present || storedForm(onDisk) != *known)
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
