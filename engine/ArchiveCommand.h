#pragma once

// Turns a backup set into the 7-Zip command that archives it: the add-or-update choice, the chain
// length rule, the exclusion list file and the archive names.

#include "BackupSet.h"
#include "Command.h"

// State of the one archive job at a time, left by the last build.
extern QString g_archiveMode;
extern QString g_fullArchivePath;
extern QString g_scratchArchivePath;
extern QString g_listFilePath;

enum class BuildFailure
{
    None,
    ToolMissing,
    TempFolderUnavailable,
    ListFileUnwritable,
};

struct ArchiveBuild
{
    Command command;
    BuildFailure failure = BuildFailure::None;
    // The chain has reached its length: this "a" run starts a new chain, and the old update archives
    // are to be removed once the new full archive is in place (never before).
    bool restartChain = false;
    // The update archive 7-Zip writes in update mode; empty in add mode.
    QString updateArchivePath;
};

// Takes the job's working copy (update mode clears its solid flag).
ArchiveBuild BuildArchiveCommand(BackupSet& set);
// The command a run would build now, for showing it without running it: nothing is written, removed or
// remembered, and the exclusion list file, which a run names anew each time, appears as "lstXXXXXX.tmp".
ArchiveBuild PreviewArchiveCommand(BackupSet set);

QString ExclusionListText(BackupSet& set);
// Writes the text to a new "lst" file in TempFolder(); empty path when it cannot be written.
QString WriteListFile(const QString& text);
QString DateStamp(bool longForm);
QString UpdateArchiveName(const QString& arcName);
QString LastPathComponent(const QString& path);
int SplitAtSeparators(const QString& text, const QString& separators, QStringList& list);
QString ParentFolder(const QString& path);
