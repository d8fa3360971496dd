#pragma once

// The one in-memory collection of every backup set, and the operations that keep it and the set
// files in step. Changes happen on the window's thread; worker threads only copy a set by id.

#include "BackupSet.h"
#include "IniFile.h"
#include "ProfileStore.h"

#include <QList>
#include <QMutex>

#include <optional>

extern QList<BackupSet> backupSets;

// Held by every change to backupSets and by GetBackupSet, so a worker's copy never sees a half-done reload.
QMutex& backupSetsMutex();

BackupSet* FindBackupSet(quint32 id);
bool GetBackupSet(quint32 id, BackupSet& out);
quint32 NewBackupSetId();
// Whether no set but the one with exceptId (0: none) has this name in any letter case: a set renamed to its
// own name in other letters does not clash with itself.
bool IsSetNameFree(const QString& name, quint32 exceptId = 0);

// What loading the sets may do besides reading: clearing the copies that killed saves left, or nothing.
enum class SetLoad
{
    ClearSaveLeftovers,
    ChangeNothing,
    // As ChangeNothing, and what each file held is not kept (a save after it would write every set): for a
    // program that only shows the sets, as velmora-run --list does.
    ShowOnly,
};

// Reads every set file of the set folder into backupSets, each file once, and gives every set an id of
// its own. With SetLoad::ChangeNothing or ShowOnly nothing on disk is changed.
void LoadAllBackupSets(SetLoad mode = SetLoad::ClearSaveLeftovers);
// The entries of the set folder named like set files that the last LoadAllBackupSets did not load.
QList<SkippedSetFile> SkippedSetFiles();
// Reads the set's file now and puts what it holds in place of the set's record, which keeps its id (a
// set not in the collection is added). Gives nullopt, and drops the record, when the file is gone or
// cannot be read. The name is found without regard to letter case.
std::optional<BackupSet> ReloadBackupSet(const QString& name);
// Writes the lastrun key, and only that key, into the set's file if the file is still there; never
// creates it. The record and what is known of the file follow, so a later SaveAllBackupSets writes
// nothing back over what other programs changed in the file. False when nothing was written.
bool StampSetFileLastRun(const QString& setName, const QString& value);
// The same for several keys at once, in one replacement of the file: the result of a run and, with it,
// the lastrun stamp. Keys of the set's key table change the record too.
bool StampSetFileKeys(const QString& setName, const IniValues& values);
// Writes the set's keys into its file. False, with nothing changed, when that failed.
bool SaveBackupSet(quint32 id);
// Writes every set changed here since it was read (edited, added, or given a destination), each file whole.
// A file of a set unchanged here is left untouched, even one without the newer keys; only an id given at load
// goes into it, when no other program changed it since. False when a file could not be written; its path is
// then added to failedFiles.
bool SaveAllBackupSets(QStringList* failedFiles = nullptr);
// Gives every set this destination and saves them all, as SaveAllBackupSets.
bool SetEveryDestination(const QString& location, QStringList* failedFiles = nullptr);
// Returns the id given to the new set.
quint32 AddBackupSet(const BackupSet& record);
// Writes the record over its set (renaming the file when the name changed) and changes only that record.
// False when the set is gone, the new name is taken, or the file could not be written.
bool UpdateBackupSet(const BackupSet& record);
// Deletes the set's file and the set. False when the set is gone or its file could not be deleted.
bool DeleteBackupSet(quint32 id);

// The keys of a set file, in the order they are written.
IniValues BackupSetFileValues(const BackupSet& set);

// A stored set id: decimal digits up to the first other character, blanks and a "+" before them. None
// for 0, a negative number, no digits, or a number above the largest id.
std::optional<quint32> ParseSetId(const QString& text);
