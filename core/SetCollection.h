#pragma once

// The one in-memory collection of every backup set, and the operations that keep it and the set
// files in step. Changes happen on the window's thread; worker threads only copy a set by id.

#include "BackupSet.h"
#include "IniFile.h"

#include <QList>
#include <QMutex>

extern QList<BackupSet> backupSets;

// Held by every change to backupSets and by GetBackupSet, so a worker's copy never sees a half-done reload.
QMutex& backupSetsMutex();

BackupSet* FindBackupSet(quint32 id);
bool GetBackupSet(quint32 id, BackupSet& out);
quint32 NewBackupSetId();
bool IsSetNameFree(const QString& name);

void LoadAllBackupSets();
void LoadBackupSet();
void SaveBackupSet(quint32 id);
void SaveAllBackupSets();
// Returns the id given to the new set.
quint32 AddBackupSet(const BackupSet& record);
void UpdateBackupSet(const BackupSet& record);
void DeleteBackupSet(quint32 id);

// The keys of a set file, in the order they are written.
IniValues BackupSetFileValues(const BackupSet& set);
