#pragma once

// Turns a backup set into the 7-Zip command that archives it: the add-or-update choice, the chain
// length rule, the exclusion list file and the archive names.

#include "ArchivePath.h"
#include "BackupSet.h"
#include "Command.h"

#include <QDateTime>

enum class BuildFailure
{
    None,
    ToolMissing,
    ListFileUnwritable,
    // The set's archive type is none of the known ones.
    ArchiveTypeInvalid,
};

struct ArchiveBuild
{
    Command command;
    BuildFailure failure = BuildFailure::None;
    // "a" writes a new full archive under the scratch name, "u" an update archive against the full archive.
    QString archiveMode;
    // The set's full archive, which an "a" run replaces and a "u" run reads.
    QString fullArchivePath;
    // Where an "a" run's 7-Zip writes: a hidden name beside the full archive, renamed over it once whole.
    QString scratchArchivePath;
    // The exclusion list the command names, for the job to remove after the run; empty without exclusions.
    QString listFilePath;
    // The chain has reached its length: this "a" run starts a new chain, and the old update archives
    // are moved into the set's history once the new full archive is good (never before).
    bool restartChain = false;
    // The update archive of an update-mode run, under its final name; empty in add mode.
    QString updateArchivePath;
    // Where 7-Zip writes that update archive: a hidden name beside it, renamed to the final name only once
    // the run has succeeded, so a killed run never leaves a torn update archive in the chain.
    QString updateWritePath;
    // Why the exclusion list could not be written, naming the folder.
    QString error;
};

// Takes the job's working copy (update mode clears its solid flag). An encrypted set's command asks for the
// password on standard input, which the caller fills. With startNewChain the run writes a new
// full archive and the old chain moves into the history as it takes its place, whatever the chain's length.
ArchiveBuild BuildArchiveCommand(BackupSet& set, bool startNewChain = false);
// The command a run would build now, for showing it without running it: nothing is written, removed or
// remembered, and the exclusion list file, which a run names anew each time, appears as "lstXXXXXX.tmp".
ArchiveBuild PreviewArchiveCommand(BackupSet set);

QString ExclusionListText(BackupSet& set);
// Writes the text to a new "lst" file in a private folder of its own; empty path (and the reason in error)
// when it cannot be written.
QString WriteListFile(const QString& text, QString* error = nullptr);
// The date ("2026-01-02") or the stamp ("2026-01-02_03h04m05s") of the program's clock (ProgramClock, which
// VELMORA_NOW sets for tests), or of a time.
QString DateStamp(bool longForm);
QString DateStampAt(const QDateTime& time, bool longForm);
QString UpdateArchiveName(const QString& arcName);
// The time a run started now takes its stamp from: the program's clock to the second, or the next second that
// is no point of the set and whose update archive name no file has, since a point's stamp names it.
QDateTime FreeRunTime(const BackupSet& set);
// The path of an update archive of the set named with FreeRunTime.
QString FreeUpdateArchivePath(const BackupSet& set);
// Tests only: the path's pieces, as the program's first version split them; the program itself takes paths apart
// with QFileInfo and QDir.
QString LastPathComponent(const QString& path);
int SplitAtSeparators(const QString& text, const QString& separators, QStringList& list);
QString ParentFolder(const QString& path);
