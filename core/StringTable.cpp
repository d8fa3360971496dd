#include "StringTable.h"

#include "ResourceIds.h"
#include "UserMessages.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

struct TableEntry
{
    int id;
    const char* text;
};

// The translation context is fixed here, so that lupdate sees every text of the table.
constexpr TableEntry kStringTable[] = {
    {StringId::AboutMenu, QT_TRANSLATE_NOOP("StringTable", "&About Velmora...")},
    {StringId::UpdateSetError,
        QT_TRANSLATE_NOOP("StringTable",
            "The backup set could not be changed: it is no longer in the list, or its new name is already taken by "
            "another set's file.")},
    {StringId::SaveSetError, QT_TRANSLATE_NOOP("StringTable", "Error when saving backupset #%d")},
    {StringId::RunSetQuestion, QT_TRANSLATE_NOOP("StringTable", "Run this backup set: '%s'?")},
    {StringId::RunSetError,
        QT_TRANSLATE_NOOP("StringTable", "The selected backup set is no longer in the list, so it was not run.")},
    {StringId::DeleteSetQuestion, QT_TRANSLATE_NOOP("StringTable", "Delete this backup set: '%s'?")},
    {StringId::DeleteSetError,
        QT_TRANSLATE_NOOP("StringTable", "The backup set could not be deleted: it is no longer in the list.")},
    {StringId::RequiredFieldEmpty, QT_TRANSLATE_NOOP("StringTable", "One of the required fields is empty.")},
    {StringId::ProgramsFilter, QT_TRANSLATE_NOOP("StringTable", "Programs (*)")},
    {StringId::SetNameColumn, QT_TRANSLATE_NOOP("StringTable", "Set Name")},
    {StringId::SetPathColumn, QT_TRANSLATE_NOOP("StringTable", "Set Path")},
    {StringId::RestartProgram, QT_TRANSLATE_NOOP("StringTable", "Please, restart the program!")},
    {StringId::SetNameTaken,
        QT_TRANSLATE_NOOP("StringTable", "Backup set named '%s' already exists. Please, choose another set name!")},
    {StringId::DeleteOldFilesQuestion, QT_TRANSLATE_NOOP("StringTable", "Delete old files for '%s'?")},
    {StringId::UpdateAllQuestion, QT_TRANSLATE_NOOP("StringTable", "Update all backup sets?")},
    {StringId::PickFolderTitle, QT_TRANSLATE_NOOP("StringTable", "Pick a directory:")},
    {StringId::FullArchivingName, QT_TRANSLATE_NOOP("StringTable", "Full archiving")},
    {StringId::IncrementalArchivingName, QT_TRANSLATE_NOOP("StringTable", "Incremental archiving")},
    {StringId::NewSetTitle, QT_TRANSLATE_NOOP("StringTable", "New Set")},
    {StringId::MirrorCopyingName, QT_TRANSLATE_NOOP("StringTable", "Mirror copying")},
    {StringId::Ready, QT_TRANSLATE_NOOP("StringTable", "READY.")},
    {StringId::Working, QT_TRANSLATE_NOOP("StringTable", "WORKING.")},
    {StringId::Copying, QT_TRANSLATE_NOOP("StringTable", "COPYING.")},
    {StringId::UpdateLocationQuestion, QT_TRANSLATE_NOOP("StringTable", "Update saving location for all tasks?")},
    {StringId::FirefoxMissing, QT_TRANSLATE_NOOP("StringTable", "It seems that Mozilla Firefox is not installed.")},
    // Job reports: %1 and %2 are filled with QString::arg.
    {StringId::SetFailed, QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' failed: %2")},
    {StringId::SevenZipMissing, QT_TRANSLATE_NOOP("StringTable", "7-Zip executable missing!")},
    {StringId::RsyncMissing, QT_TRANSLATE_NOOP("StringTable", "rsync not found!")},
    {StringId::SourceMissing,
        QT_TRANSLATE_NOOP(
            "StringTable", "the source folder '%1' does not exist or is not a folder. Nothing was changed.")},
    {StringId::ToolExitCode,
        QT_TRANSLATE_NOOP("StringTable", "%1 ended with exit code %2. The previous backup was left as it was.")},
    {StringId::ToolNotRun, QT_TRANSLATE_NOOP("StringTable", "%1 could not be run: %2")},
    {StringId::ArchiveNotPlaced,
        QT_TRANSLATE_NOOP(
            "StringTable", "the new archive could not be put in place: %1. The previous archive was left as it was.")},
    {StringId::ExclusionListNotWritten,
        QT_TRANSLATE_NOOP("StringTable", "the exclusion list could not be written (%1). Nothing was changed.")},
    {StringId::PathNotFull,
        QT_TRANSLATE_NOOP(
            "StringTable", "the source or the destination is empty or not a full folder path. Nothing was changed.")},
    {StringId::MirrorInsideSource,
        QT_TRANSLATE_NOOP("StringTable",
            "the mirror folder '%1' is the source folder, lies inside it or contains it. "
            "Nothing was changed.")},
    {StringId::AlreadyRunning,
        QT_TRANSLATE_NOOP("StringTable", "A backup is already running. Please wait until it has finished.")},
    {StringId::SetsFailed, QT_TRANSLATE_NOOP("StringTable", "These backup sets failed:\n%1")},
    {StringId::SetGone, QT_TRANSLATE_NOOP("StringTable", "the set no longer exists.")},
    {StringId::NoArchiveWritten, QT_TRANSLATE_NOOP("StringTable", "7-Zip wrote no archive")},
    {StringId::ViewLogHint, QT_TRANSLATE_NOOP("StringTable", "View Log shows the output.")},
    {StringId::ArchiveNameUnusable,
        QT_TRANSLATE_NOOP("StringTable", "the archive name '%1' cannot be used as a file name. Nothing was changed.")},
    {StringId::EnterInteger, QT_TRANSLATE_NOOP("StringTable", "Please enter an integer.")},
    {StringId::SetNameUnusable,
        QT_TRANSLATE_NOOP("StringTable",
            "This set name cannot be used as a file name: it may not be \".\" or \"..\", contain \"/\" "
            "or be longer than 250 bytes. Please, choose another set name!")},
    {StringId::EmptySourceQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "The source folder '%2' of the backup set '%1' is empty. A disk that is not mounted looks "
            "like this. Go on and make the backup of an empty folder?")},
    {StringId::SourceEmpty, QT_TRANSLATE_NOOP("StringTable", "the source folder '%1' is empty. Nothing was changed.")},
    {StringId::DestinationMissing,
        QT_TRANSLATE_NOOP("StringTable", "the destination folder '%1' does not exist. Nothing was changed.")},
    {StringId::SourceVanished,
        QT_TRANSLATE_NOOP("StringTable",
            "the source folder '%1' vanished or was replaced while rsync copied it. The mirror may have "
            "lost files; make sure the source is in place before the next run.")},
    {StringId::ToolKilled,
        QT_TRANSLATE_NOOP("StringTable", "%1 was ended by signal %2. The previous backup was left as it was.")},
    {StringId::NothingArchived,
        QT_TRANSLATE_NOOP("StringTable",
            "7-Zip archived nothing: the excluded file types and folders leave out every file of the source "
            "folder '%1'. The archive '%2' was kept as it was.")},
    {StringId::TypeOrLevelInvalid,
        QT_TRANSLATE_NOOP("StringTable",
            "the archive type %1 or the compression level %2 of the set is not valid. Nothing was changed.")},
    {StringId::FilesUnreadable,
        QT_TRANSLATE_NOOP("StringTable", "7-Zip could not read these files or folders (%1): %2")},
    {StringId::SevenZipWarnings, QT_TRANSLATE_NOOP("StringTable", "7-Zip reported warnings (exit code %1)")},
    {StringId::SetMadeWithWarnings,
        QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' was made, with warnings: %2")},
    {StringId::FilesVanished, QT_TRANSLATE_NOOP("StringTable", "some files vanished while rsync copied them")},
    {StringId::SetsMadeWithWarnings,
        QT_TRANSLATE_NOOP("StringTable", "These backup sets were made, with warnings:\n%1")},
    {StringId::OutputBytesLeftOut,
        QT_TRANSLATE_NOOP("StringTable", "[%1 bytes left out here. The whole output is in '%2'.]")},
    {StringId::OutputNotKept,
        QT_TRANSLATE_NOOP("StringTable", "[%1 bytes left out here. The whole output could not be kept in '%2': %3]")},
    {StringId::LogCharactersLeftOut,
        QT_TRANSLATE_NOOP("StringTable", "[%1 characters left out here. The tools' whole output is in '%2'.]")},
    {StringId::CharactersLeftOut, QT_TRANSLATE_NOOP("StringTable", "[%1 characters left out here.]")},
    // Why a file of the set folder was not loaded as a set; 183's %1 is the system's error text.
    {StringId::NotRegularFile, QT_TRANSLATE_NOOP("StringTable", "it is not a regular file")},
    {StringId::NameNotUtf8, QT_TRANSLATE_NOOP("StringTable", "its name is not valid UTF-8")},
    {StringId::NameNotSetName, QT_TRANSLATE_NOOP("StringTable", "its name cannot be the name of a backup set")},
    {StringId::FileUnreadable, QT_TRANSLATE_NOOP("StringTable", "it cannot be read: %1")},
    {StringId::FileNotLoaded, QT_TRANSLATE_NOOP("StringTable", "The file '%1' was not loaded as a backup set: %2")},
    // A run ended before its tool was done: asked to stop, or past its time limit (%1 in seconds).
    {StringId::RunStopped,
        QT_TRANSLATE_NOOP("StringTable", "the run was stopped. The previous backup was left as it was.")},
    {StringId::RunTimedOut,
        QT_TRANSLATE_NOOP("StringTable",
            "the run took longer than its time limit of %1 seconds and was stopped. The previous backup was left "
            "as it was.")},
    // %1 is the paths of the files, one a line.
    {StringId::FilesNotSaved,
        QT_TRANSLATE_NOOP("StringTable", "These files could not be saved, and their changes are lost:\n%1")},
    // The short result of a run; %1 is a duration, SizeWritten adds the size written.
    {StringId::ResultDone, QT_TRANSLATE_NOOP("StringTable", "Done in %1")},
    {StringId::ResultWarnings, QT_TRANSLATE_NOOP("StringTable", "Done with warnings in %1")},
    {StringId::ResultWarningsCounted, QT_TRANSLATE_NOOP("StringTable", "Done with warnings (%1) in %2")},
    {StringId::ResultFailed, QT_TRANSLATE_NOOP("StringTable", "Failed: %1")},
    {StringId::ResultStopped, QT_TRANSLATE_NOOP("StringTable", "Stopped")},
    {StringId::ResultStoppedWhy, QT_TRANSLATE_NOOP("StringTable", "Stopped: %1")},
    {StringId::ResultNotRun, QT_TRANSLATE_NOOP("StringTable", "Not run: %1")},
    {StringId::SizeWritten, QT_TRANSLATE_NOOP("StringTable", ", %1 written")},
    {StringId::DurationSeconds, QT_TRANSLATE_NOOP("StringTable", "%1 s")},
    {StringId::DurationMinutesSeconds, QT_TRANSLATE_NOOP("StringTable", "%1 min %2 s")},
    {StringId::DurationHoursMinutes, QT_TRANSLATE_NOOP("StringTable", "%1 h %2 min")},
    {StringId::SizeBytes, QT_TRANSLATE_NOOP("StringTable", "%1 bytes")},
    {StringId::SizeKilobytes, QT_TRANSLATE_NOOP("StringTable", "%1 KB")},
    {StringId::SizeMegabytes, QT_TRANSLATE_NOOP("StringTable", "%1 MB")},
    {StringId::SizeGigabytes, QT_TRANSLATE_NOOP("StringTable", "%1 GB")},
    {StringId::SizeTerabytes, QT_TRANSLATE_NOOP("StringTable", "%1 TB")},
    // How a set's last run went, in a word, and a set that never ran; a stopped run is ResultStopped.
    {StringId::NeverRun, QT_TRANSLATE_NOOP("StringTable", "Never run")},
    {StringId::WordDone, QT_TRANSLATE_NOOP("StringTable", "Done")},
    {StringId::WordWarnings, QT_TRANSLATE_NOOP("StringTable", "Done with warnings")},
    {StringId::WordFailed, QT_TRANSLATE_NOOP("StringTable", "Failed")},
    {StringId::WordNotRun, QT_TRANSLATE_NOOP("StringTable", "Not run")},
    // The progress bar's text after a run the user stopped, beside Ready, Working and Copying.
    {StringId::StoppedStatus, QT_TRANSLATE_NOOP("StringTable", "STOPPED.")},
    {StringId::StopAndCloseQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "A backup is running. Stop it and close Velmora? What it has written so far is removed; backups made "
            "before are not touched.")},
    // Which set of a run of every set is running.
    {StringId::SetOfSets, QT_TRANSLATE_NOOP("StringTable", "set %1 of %2")},
    {StringId::LastSuccessColumn, QT_TRANSLATE_NOOP("StringTable", "Last success")},
    {StringId::ResultColumn, QT_TRANSLATE_NOOP("StringTable", "Result")},
    {StringId::NothingOpens,
        QT_TRANSLATE_NOOP("StringTable", "This desktop has no program to open '%1'. Please open it yourself.")},
    {StringId::NoOldFiles, QT_TRANSLATE_NOOP("StringTable", "There is no archive of this set in '%1'.")},
    {StringId::FilesNotDeleted, QT_TRANSLATE_NOOP("StringTable", "These files could not be deleted:\n%1")},
    // The last-success column of a set that has run but never succeeded.
    {StringId::NeverSucceeded, QT_TRANSLATE_NOOP("StringTable", "Never")},
    // A rate: %1 is a size.
    {StringId::PerSecond, QT_TRANSLATE_NOOP("StringTable", "%1/s")},
    // A rough duration in whole minutes.
    {StringId::DurationMinutes, QT_TRANSLATE_NOOP("StringTable", "%1 min")},
    // %1 is a rough duration.
    {StringId::TimeLeft, QT_TRANSLATE_NOOP("StringTable", "about %1 left")},
    // The log viewer shows the end of a long log: %1 the most it shows, %2 the log's size, %3 its path.
    {StringId::LogStartLeftOut,
        QT_TRANSLATE_NOOP("StringTable",
            "[The start of this log is left out; these are about the last %1 of its %2. The whole log is in '%3'.]")},
    // A kept run with no result: still going, or its program was killed.
    {StringId::RunNotFinished, QT_TRANSLATE_NOOP("StringTable", "Not finished")},
    // %1 is the path typed as the rsync location.
    {StringId::RsyncLocationUnusable,
        QT_TRANSLATE_NOOP("StringTable",
            "The rsync location '%1' does not exist or is not a program that can be run. Please choose the rsync "
            "program.")},
    // Restoring: %1 is a folder or an archive, unless said otherwise.
    {StringId::RestoreTargetNotEmpty,
        QT_TRANSLATE_NOOP(
            "StringTable", "The folder '%1' is not empty. A restore goes only into a new or an empty folder.")},
    {StringId::RestoreTargetNotFolder, QT_TRANSLATE_NOOP("StringTable", "'%1' is not a folder.")},
    {StringId::RestoreNoPoint, QT_TRANSLATE_NOOP("StringTable", "there is no such restore point.")},
    {StringId::RestorePathUnusable, QT_TRANSLATE_NOOP("StringTable", "'%1' is not a path inside the backup.")},
    {StringId::RestorePathMissing, QT_TRANSLATE_NOOP("StringTable", "'%1' is not in the backup as of %2.")},
    {StringId::RestoreFolderNotMade, QT_TRANSLATE_NOOP("StringTable", "the folder '%1' could not be created: %2")},
    {StringId::RestoreNotPlaced,
        QT_TRANSLATE_NOOP(
            "StringTable", "the restored files could not be moved to '%1': %2. The folder was left as it was.")},
    {StringId::RestoreZipNoDeletions,
        QT_TRANSLATE_NOOP("StringTable",
            "Zip update archives cannot record deletions: a file deleted from the source after the full archive comes "
            "back as an empty file.")},
    {StringId::RestoreListFailed, QT_TRANSLATE_NOOP("StringTable", "the archive '%1' could not be listed: %2")},
    {StringId::RestoreNoArchive, QT_TRANSLATE_NOOP("StringTable", "there is no archive '%1'.")},
    {StringId::RestoreLinkNotMade, QT_TRANSLATE_NOOP("StringTable", "the link '%1' could not be recreated: %2")},
    {StringId::RestoreMirrorMissing, QT_TRANSLATE_NOOP("StringTable", "there is no mirror folder '%1'.")},
    {StringId::RestoreStopped,
        QT_TRANSLATE_NOOP("StringTable", "the restore was stopped. The folder '%1' was left as it was.")},
    {StringId::RestoreTimedOut,
        QT_TRANSLATE_NOOP("StringTable",
            "the restore took longer than its time limit of %1 seconds and was stopped. The folder '%2' was left as it "
            "was.")},
    {StringId::RestoreToolFailed,
        QT_TRANSLATE_NOOP(
            "StringTable", "%1 could not restore the files (exit code %2). The folder '%3' was left as it was.")},
    {StringId::RestoreSourceMissing,
        QT_TRANSLATE_NOOP("StringTable",
            "The source folder '%1' does not exist or is not a folder, so nothing can be restored over it. Restore "
            "into a new folder instead.")},
    {StringId::RestoreSourceNotFolder,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' is a link or a file, not a folder, so the files chosen inside it cannot be restored over the "
            "source. Restore into a new folder instead.")},
    // %1 is the source folder, %2 why a rename failed, %3 the hidden folder holding what was moved aside.
    {StringId::RestoreNotPutBack,
        QT_TRANSLATE_NOOP("StringTable",
            "the restored files could not be moved to '%1': %2. Not all of its files could be put back; the others "
            "are in '%3'.")},
    // %1 is a set's name or a full archive's file name.
    {StringId::NoRestorePoints, QT_TRANSLATE_NOOP("StringTable", "There is no backup of '%1' to restore.")},
    // %1 is the time asked for, %2 the stamp of the first restore point.
    {StringId::NoPointAsOf,
        QT_TRANSLATE_NOOP(
            "StringTable", "There is no restore point at or before %1; the first one is %2. Nothing was restored.")},
    // %1 is a path inside the source, %2 a set's name or a full archive's file name.
    {StringId::NoVersions, QT_TRANSLATE_NOOP("StringTable", "No restore point of '%2' holds '%1'.")},
    // %1 is a set's name or a full archive's file name, %2 a restore point's stamp, %3 the folder restored into.
    {StringId::RestoreHeading, QT_TRANSLATE_NOOP("StringTable", "Restoring %1 as of %2 into '%3'")},
    // %1 is a number of files, %2 the folder restored into.
    {StringId::RestoredFiles, QT_TRANSLATE_NOOP("StringTable", "Files restored to '%2': %1.")},
    {StringId::RestoreTargetNotFull,
        QT_TRANSLATE_NOOP("StringTable", "The folder to restore into must be a full folder path: '%1'.")},
    {StringId::RestoreNotDone, QT_TRANSLATE_NOOP("StringTable", "Not restored: %1")},
    // Testing archives. %1 of NewArchiveNotGood is the archive's final name, %2 what the test said.
    {StringId::NewArchiveNotGood,
        QT_TRANSLATE_NOOP("StringTable", "the new archive '%1' did not test good (%2); the previous backup was kept.")},
    {StringId::TestExitCode, QT_TRANSLATE_NOOP("StringTable", "7-Zip's test ended with exit code %1")},
    {StringId::TestKilled, QT_TRANSLATE_NOOP("StringTable", "7-Zip's test was ended by signal %1")},
    {StringId::TestNotRun, QT_TRANSLATE_NOOP("StringTable", "7-Zip could not be started to test it: %1")},
    // Added to a result line; %1 is a duration.
    {StringId::ResultVerified, QT_TRANSLATE_NOOP("StringTable", ", verified in %1")},
    {StringId::FullArchiveMissingNote,
        QT_TRANSLATE_NOOP("StringTable", "The full archive '%1' was missing: a new full archive was started.")},
    {StringId::FullArchiveBrokenNote,
        QT_TRANSLATE_NOOP("StringTable", "The full archive '%1' did not test good: a new full archive was started.")},
    {StringId::VerifyMirror, QT_TRANSLATE_NOOP("StringTable", "'%1' is a mirror set: it has no archive to test.")},
    {StringId::VerifyNoArchive, QT_TRANSLATE_NOOP("StringTable", "there is no archive of this set in '%1'.")},
    // One line of a verification: the archive's path, then one of these.
    {StringId::ArchiveGood, QT_TRANSLATE_NOOP("StringTable", "OK")},
    {StringId::ArchiveNotGood, QT_TRANSLATE_NOOP("StringTable", "did not test good: %1")},
    {StringId::ArchiveMissing, QT_TRANSLATE_NOOP("StringTable", "missing")},
    {StringId::ArchivesGood, QT_TRANSLATE_NOOP("StringTable", "Archives tested good: %1.")},
    {StringId::VerifyFailed, QT_TRANSLATE_NOOP("StringTable", "the verification failed for %1")},
    {StringId::LastVerified, QT_TRANSLATE_NOOP("StringTable", "Last verified: %1")},
    {StringId::NeverVerified, QT_TRANSLATE_NOOP("StringTable", "Never verified")},
    {StringId::SetDoneWithNote, QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' is done. %2")},
    // The schedules a set can have, as the properties offer them.
    {StringId::ScheduleManual, QT_TRANSLATE_NOOP("StringTable", "Manual")},
    {StringId::ScheduleHourly, QT_TRANSLATE_NOOP("StringTable", "Every hour")},
    {StringId::ScheduleDaily, QT_TRANSLATE_NOOP("StringTable", "Every day")},
    {StringId::ScheduleWeekly, QT_TRANSLATE_NOOP("StringTable", "Every week")},
    // %1 is a time of day ("20:00").
    {StringId::ScheduleDailyAt, QT_TRANSLATE_NOOP("StringTable", "Every day at %1")},
    // %1 is a day of the week, %2 a time of day.
    {StringId::ScheduleWeeklyAt, QT_TRANSLATE_NOOP("StringTable", "Every week on %1 at %2")},
    {StringId::NoSystemdUser,
        QT_TRANSLATE_NOOP("StringTable",
            "There is no systemd user instance here, so the scheduled sets will not run by themselves. To run them "
            "with cron instead, add these lines to your crontab (crontab -e). Cron does not run a backup missed "
            "while the computer was off.")},
    {StringId::ScheduleFileNotWritten,
        QT_TRANSLATE_NOOP("StringTable", "The schedule file '%1' could not be written.")},
    {StringId::ScheduleFileNotRemoved,
        QT_TRANSLATE_NOOP("StringTable", "The schedule file '%1' could not be removed.")},
    // %1 is the command ("systemctl --user enable --now ..."), %2 what it said.
    {StringId::SystemctlFailed, QT_TRANSLATE_NOOP("StringTable", "'%1' failed: %2")},
    // The next run of a set that runs only when asked.
    {StringId::NoNextRun, QT_TRANSLATE_NOOP("StringTable", "none")},
    {StringId::Monday, QT_TRANSLATE_NOOP("StringTable", "Monday")},
    {StringId::Tuesday, QT_TRANSLATE_NOOP("StringTable", "Tuesday")},
    {StringId::Wednesday, QT_TRANSLATE_NOOP("StringTable", "Wednesday")},
    {StringId::Thursday, QT_TRANSLATE_NOOP("StringTable", "Thursday")},
    {StringId::Friday, QT_TRANSLATE_NOOP("StringTable", "Friday")},
    {StringId::Saturday, QT_TRANSLATE_NOOP("StringTable", "Saturday")},
    {StringId::Sunday, QT_TRANSLATE_NOOP("StringTable", "Sunday")},
    {StringId::WordOverdue, QT_TRANSLATE_NOOP("StringTable", "Overdue")},
    {StringId::NoticeSetFailed, QT_TRANSLATE_NOOP("StringTable", "Backup set '%1' failed")},
    {StringId::NoticeSetWarnings, QT_TRANSLATE_NOOP("StringTable", "Backup set '%1' is done with warnings")},
    {StringId::NoticeSetsFailed, QT_TRANSLATE_NOOP("StringTable", "Backup sets need attention: %1")},
    {StringId::NoticeShowLog, QT_TRANSLATE_NOOP("StringTable", "Show the log")},
    {StringId::OverdueSince, QT_TRANSLATE_NOOP("StringTable", "overdue: no success since %1")},
    {StringId::OverdueNeverSucceeded, QT_TRANSLATE_NOOP("StringTable", "overdue: it never succeeded")},
    {StringId::FailedSince, QT_TRANSLATE_NOOP("StringTable", "failed on %1: %2")},
    {StringId::NoticeCheckSummary, QT_TRANSLATE_NOOP("StringTable", "Velmora: backups overdue or failed: %1")},
    {StringId::OverdueStatus, QT_TRANSLATE_NOOP("StringTable", "Backup sets overdue: %1, failed: %2.")},
    // %1 is the set's name.
    {StringId::PasswordNotGiven, QT_TRANSLATE_NOOP("StringTable", "no password was given for the encrypted set '%1'")},
    // %1 is the archive's path.
    {StringId::WrongPasswordFor, QT_TRANSLATE_NOOP("StringTable", "wrong password for the archive %1")},
    {StringId::PasswordChangedNote,
        QT_TRANSLATE_NOOP("StringTable", "The password was changed: a new full archive was made with the new one")},
    // %1 is the full archive's path.
    {StringId::ArchiveNotEncryptedNote,
        QT_TRANSLATE_NOOP("StringTable", "%1 was not encrypted: a new encrypted full archive was made")},
    // %1 is the archive's path.
    {StringId::ArchiveNeedsPassword,
        QT_TRANSLATE_NOOP("StringTable", "the archive %1 is encrypted and needs its password")},
    {StringId::WordWrongPassword, QT_TRANSLATE_NOOP("StringTable", "wrong password")},
    {StringId::ZipPasswordNotAscii,
        QT_TRANSLATE_NOOP("StringTable",
            "a zip archive's password may hold only English letters, digits, spaces and signs; choose such a "
            "password, or the 7z type, which takes any")},
    {StringId::PasswordHasLineBreak, QT_TRANSLATE_NOOP("StringTable", "a password cannot hold a line break")},
    {StringId::KeyringHasNoPassword, QT_TRANSLATE_NOOP("StringTable", "no password for this set in the keyring")},
    {StringId::KeyringLockedOrMissing, QT_TRANSLATE_NOOP("StringTable", "the keyring is locked or missing")},
    // %1 is the password file's path, %2 the system's reason.
    {StringId::PasswordFileUnreadable,
        QT_TRANSLATE_NOOP("StringTable", "The password file '%1' cannot be read: %2. Nothing was run.")},
    {StringId::PasswordFileIsLink,
        QT_TRANSLATE_NOOP(
            "StringTable", "The password file '%1' is a symbolic link; name the file itself. Nothing was run.")},
    {StringId::PasswordFileNotRegular,
        QT_TRANSLATE_NOOP("StringTable", "The password file '%1' is not a regular file. Nothing was run.")},
    {StringId::PasswordFileNotOwned,
        QT_TRANSLATE_NOOP(
            "StringTable", "The password file '%1' belongs to another user; it must be your own. Nothing was run.")},
    // %2 is the file's permissions in octal, as chmod takes them.
    {StringId::PasswordFileOpenToGroup,
        QT_TRANSLATE_NOOP("StringTable",
            "The password file '%1' has permissions for its group (mode %2); make it private with chmod 600. "
            "Nothing was run.")},
    {StringId::PasswordFileOpenToOthers,
        QT_TRANSLATE_NOOP("StringTable",
            "The password file '%1' has permissions for other users (mode %2); make it private with chmod 600. "
            "Nothing was run.")},
    {StringId::PasswordFileEmpty,
        QT_TRANSLATE_NOOP("StringTable", "The password file '%1' has no password on its first line. Nothing was run.")},
    // %1 is the new set's name, %2 the full archive it was made from.
    {StringId::SetImported,
        QT_TRANSLATE_NOOP("StringTable", "The set '%1' was made from '%2'. Check its properties before its next run.")},
    {StringId::ArchivesFilter, QT_TRANSLATE_NOOP("StringTable", "Full archives (*.7z *.zip)")},
    // %1 is the source folder, %2 the restore point's date; then numbers of files.
    {StringId::RestoreOverQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "Restore over the files in '%1' as of %2?\n\nOverwritten with the backup's version: %3\nAdded: "
            "%4\nRemoved (not in the backup): %5\nThe same as in the backup: %6\nOutside your choice, left as they "
            "are: %7\n\nFiles overwritten or removed cannot be brought back unless a backup holds them.")},
    // %1 is the source folder, %2 the restore point's date; then numbers of files.
    {StringId::RestoredOver,
        QT_TRANSLATE_NOOP(
            "StringTable", "Restored over '%1' as of %2. Files overwritten: %3, added: %4, removed: %5.")},
    {StringId::OriginalNeedsSet,
        QT_TRANSLATE_NOOP("StringTable",
            "An archive found on disk has no known source folder: restore into a new folder and move the files you "
            "need from there.")},
    {StringId::DestinationNotOnDisk,
        QT_TRANSLATE_NOOP("StringTable", "The destination '%1' is not on the disk it was on. Is the disk connected?")},
    {StringId::UseDiskFoundQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "If the disk now at '%1' is the one to back up to, the set can use it from now on. Use this disk for "
            "the set '%2' from now on? Then run the set again.")},
    {StringId::DestinationDiskNotRecorded,
        QT_TRANSLATE_NOOP("StringTable", "The disk at '%1' could not be recorded for the set; nothing was changed.")},
    {StringId::SpaceTooShort,
        QT_TRANSLATE_NOOP("StringTable",
            "there is not enough free space in '%1' for this run: it needs about %2, and %3 is free. Nothing was "
            "changed.")},
    {StringId::PasswordsDiffer,
        QT_TRANSLATE_NOOP("StringTable", "The two passwords differ. Type the same password in both fields.")},
    {StringId::PasswordLineBreak, QT_TRANSLATE_NOOP("StringTable", "A password may not contain a line break.")},
    {StringId::PasswordMissing,
        QT_TRANSLATE_NOOP(
            "StringTable", "No password is known for this set. Type the password for its archives in both fields.")},
    // %1 is the set's name.
    {StringId::PasswordChangedNewChain,
        QT_TRANSLATE_NOOP("StringTable",
            "The password of '%1' has changed. Its next run starts a new chain of archives with the new password; "
            "the archives made so far open only with the old password.")},
    {StringId::EncryptionOnNewChain,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' is encrypted from now on. Its next run starts a new, encrypted chain of archives; the archives "
            "made so far are kept as they are, unencrypted.")},
    {StringId::EncryptionOffNewChain,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' is no longer encrypted, and its password is removed from the keyring. Its next run starts a new "
            "chain without a password; the archives made so far open only with the old password.")},
    // %1 is what the keyring said, %2 the set's name.
    {StringId::KeyringSessionOnly,
        QT_TRANSLATE_NOOP("StringTable",
            "No keyring could keep the password of '%2' (%1). Velmora keeps it only until the window is closed; "
            "after that the window asks for it when the set runs, and scheduled runs of the set fail.")},
    {StringId::KeyringDeleteFailed,
        QT_TRANSLATE_NOOP("StringTable", "The password of '%1' could not be removed from the keyring: %2")},
    {StringId::NoPasswordGiven, QT_TRANSLATE_NOOP("StringTable", "no password was given for the encrypted set")},
    {StringId::SevenZipNamesHidden,
        QT_TRANSLATE_NOOP("StringTable", "AES-256; the names of the files are hidden too.")},
    {StringId::ZipNamesVisible,
        QT_TRANSLATE_NOOP("StringTable", "AES-256 for the files; their names stay visible in a zip archive.")},
    {StringId::ZipPasswordLetters,
        QT_TRANSLATE_NOOP("StringTable",
            "7-Zip takes only English letters, digits, spaces and signs in a zip archive's password. Choose such a "
            "password, or the 7z type, which takes any.")},
    // %1 is the host, %2 the ssh command that accepts its key.
    {StringId::OffsiteHostKeyUnknown,
        QT_TRANSLATE_NOOP("StringTable",
            "ssh does not know the key of %1, so Velmora did not connect. Connect once with %2 from a terminal and "
            "accept its key, then run again.")},
    {StringId::OffsiteHostKeyChanged,
        QT_TRANSLATE_NOOP("StringTable",
            "The key of %1 is not the one ssh knows. Someone may be listening in between, or the computer was set "
            "up anew; ask its owner before you accept the new key.")},
    // %2 is the tool's own last line.
    {StringId::OffsiteUnreachable, QT_TRANSLATE_NOOP("StringTable", "%1 cannot be reached: \"%2\"")},
    {StringId::OffsiteLoginRefused,
        QT_TRANSLATE_NOOP("StringTable",
            "%1 refused the login: \"%2\". Velmora types no passwords; give this account a key that %1 takes.")},
    {StringId::OffsiteNoSpace, QT_TRANSLATE_NOOP("StringTable", "There is no room left at %1: \"%2\"")},
    // %1 is the program, %2 its Debian package.
    {StringId::OffsiteToolMissing, QT_TRANSLATE_NOOP("StringTable", "%1 is not installed. Install the package %2.")},
    {StringId::OffsiteRemoteUnknown,
        QT_TRANSLATE_NOOP(
            "StringTable", "The rclone configuration has no remote named %1. Add it with rclone config: \"%2\"")},
    {StringId::OffsiteNotWritable, QT_TRANSLATE_NOOP("StringTable", "The folder %1 cannot be made or written: \"%2\"")},
    // %1 is the file, %2 the destination.
    {StringId::OffsiteMismatch, QT_TRANSLATE_NOOP("StringTable", "The copy of %1 at %2 does not match the file here.")},
    {StringId::OffsiteMirrorUnsafe,
        QT_TRANSLATE_NOOP("StringTable",
            "The mirror %1 is, holds or lies in the source folder on this same computer. Nothing was changed "
            "there.")},
    {StringId::OffsiteMirrorNeedsSsh,
        QT_TRANSLATE_NOOP(
            "StringTable", "A mirror set goes off site only over ssh, and %1 is a destination of rclone.")},
    // %1 is the program, %2 its exit code, %3 its last line.
    {StringId::OffsiteToolFailed, QT_TRANSLATE_NOOP("StringTable", "%1 ended with exit code %2: \"%3\"")},
    {StringId::OffsiteStopped,
        QT_TRANSLATE_NOOP("StringTable", "The copy off site was stopped. The backup here is complete.")},
    // %1 in seconds.
    {StringId::OffsiteTimedOut,
        QT_TRANSLATE_NOOP("StringTable",
            "The copy off site took longer than its time limit of %1 seconds and was stopped. The backup here is "
            "complete.")},
    {StringId::OffsiteNoFullArchive,
        QT_TRANSLATE_NOOP("StringTable", "The full archive %1 is not here, so nothing was copied off site.")},
    {StringId::OffsiteRemoteRsyncMissing,
        QT_TRANSLATE_NOOP("StringTable", "rsync is not installed on %1. Install the package rsync there.")},
    {StringId::OffsiteNotOfSet, QT_TRANSLATE_NOOP("StringTable", "%1 is not an archive of this set.")},
    // %1 is the file, %2 and %3 sizes in bytes.
    {StringId::OffsiteFetchSize, QT_TRANSLATE_NOOP("StringTable", "%1 arrived with %2 bytes instead of %3.")},
    {StringId::OffsiteMirrorNoName,
        QT_TRANSLATE_NOOP("StringTable", "The source folder %1 has no name to give its mirror there.")},
    {StringId::OffsiteToolKilled, QT_TRANSLATE_NOOP("StringTable", "%1 was ended by signal %2.")},
    // %1 is the file, %2 the destination.
    {StringId::OffsiteNotThere, QT_TRANSLATE_NOOP("StringTable", "%1 is not at %2.")},
    {StringId::OffsiteUnknownForm,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' names no off-site destination. Give ssh://USER@HOST/FOLDER for another computer, or "
            "REMOTE:FOLDER for a remote of your rclone configuration.")},
    {StringId::OffsiteBadUser, QT_TRANSLATE_NOOP("StringTable", "The user name in '%1' is not valid.")},
    {StringId::OffsiteBadHost, QT_TRANSLATE_NOOP("StringTable", "The host name in '%1' is not valid.")},
    {StringId::OffsiteBadPort, QT_TRANSLATE_NOOP("StringTable", "The port in '%1' is not a number from 1 to 65535.")},
    {StringId::OffsiteNoPath,
        QT_TRANSLATE_NOOP("StringTable", "'%1' names no folder there. Add the folder the backups go to.")},
    {StringId::OffsiteBadRemote,
        QT_TRANSLATE_NOOP("StringTable", "The name of the rclone remote in '%1' is not valid.")},
    {StringId::OffsiteControlLetters,
        QT_TRANSLATE_NOOP("StringTable", "'%1' holds a line break or another control character.")},
    {StringId::ResultOffsiteFailed, QT_TRANSLATE_NOOP("StringTable", "Done here, off-site copy failed: %1")},
    {StringId::ResultCopiedOffsite, QT_TRANSLATE_NOOP("StringTable", ", copied off site")},
    {StringId::SetNotCopiedOffsite,
        QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' was made here, but its off-site copy failed: %2")},
    {StringId::SetsNotCopiedOffsite,
        QT_TRANSLATE_NOOP("StringTable", "These backup sets were made here, but their off-site copy failed:\n%1")},
    {StringId::CopyingOffsite, QT_TRANSLATE_NOOP("StringTable", "COPYING OFF SITE.")},
    {StringId::WordOffsiteFailed, QT_TRANSLATE_NOOP("StringTable", "Off-site failed")},
    {StringId::OffsiteFailedAt, QT_TRANSLATE_NOOP("StringTable", "the off-site copy failed at %1: %2")},
    {StringId::NoticeSetNotOffsite, QT_TRANSLATE_NOOP("StringTable", "Backup set '%1' was not copied off site")},
    {StringId::OffsiteNoneToTest, QT_TRANSLATE_NOOP("StringTable", "Type an off-site destination to test first.")},
    {StringId::OffsiteTesting, QT_TRANSLATE_NOOP("StringTable", "Testing %1…")},
    {StringId::OffsiteTestPassed, QT_TRANSLATE_NOOP("StringTable", "%1 can be reached and written.")},
    {StringId::SetHasNoOffsite, QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' has no off-site destination.")},
    {StringId::NoOffsiteArchives, QT_TRANSLATE_NOOP("StringTable", "No archive of the set is at '%1'.")},
    {StringId::FetchingOffsite, QT_TRANSLATE_NOOP("StringTable", "Fetching the archives of '%1' from '%2'")},
    {StringId::FetchOffsiteQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "%1\nFetch the set's archives from its off-site copy at '%2' and restore from them? They are kept only "
            "while this window is open.")},
    {StringId::OffsiteFetched, QT_TRANSLATE_NOOP("StringTable", "The points as the off-site copy at '%1' has them.")},
    {StringId::OffsiteNotFetched, QT_TRANSLATE_NOOP("StringTable", "Nothing was fetched from off site: %1")},
    {StringId::OffsiteClash,
        QT_TRANSLATE_NOOP("StringTable",
            "The set '%1' keeps its copy under the same names in that off-site folder: each would overwrite and remove "
            "the other's. Give this set another archive name or another off-site folder.")},
    {StringId::DestinationMarkerIsLink,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' is a symbolic link. Velmora never writes through a link in a destination folder, where someone may "
            "have put it to overwrite another file. Remove the link and run again. Nothing was changed.")},
    {StringId::DestinationMarkerNotFile,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' is not a plain file, so Velmora neither reads nor writes it. Remove it and run again. Nothing was "
            "changed.")},
    {StringId::SetNameHasControlCharacters,
        QT_TRANSLATE_NOOP("StringTable",
            "A set name may not contain line breaks, tabs or other control characters. Please, choose another set "
            "name!")},
    {StringId::PasswordFileTooLarge,
        QT_TRANSLATE_NOOP("StringTable",
            "The password file '%1' is larger than 4 KiB; a password file holds one line. Nothing was run.")},
    {StringId::PasswordLineTooLong,
        QT_TRANSLATE_NOOP("StringTable",
            "The first line of the password file '%1' is longer than 1,024 bytes, too long for a password. Nothing "
            "was run.")},
    {StringId::MirrorFolderForeignLink,
        QT_TRANSLATE_NOOP("StringTable",
            "The mirror folder '%1' is a symbolic link that another user made: the mirror would delete whatever it "
            "leads to. Remove the link and run again. Nothing was changed.")},
    {StringId::RestoreEntryRefused,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' was refused: its path leads out of the restored folder, or through a link or file of the backup")},
    {StringId::RestoreEntryNotWritten, QT_TRANSLATE_NOOP("StringTable", "'%1' could not be written")},
    {StringId::RestoreLinkNameUnknown,
        QT_TRANSLATE_NOOP("StringTable", "its name in the archive cannot be told for sure")},
    {StringId::RestoreMoreNotRestored, QT_TRANSLATE_NOOP("StringTable", "(and %1 more)")},
    {StringId::RestoreEntryRefusedShort, QT_TRANSLATE_NOOP("StringTable", "%1 (refused: unsafe path)")},
    {StringId::PointRefusedEntry,
        QT_TRANSLATE_NOOP("StringTable",
            "%1: the entry '%2' is refused: its path leads out of the restored folder, or through a link or file of "
            "the backup")},
    {StringId::RestoreLinkUnreadable, QT_TRANSLATE_NOOP("StringTable", "7-Zip could not read where it points")},
    {StringId::ArchiveDestinationInSource,
        QT_TRANSLATE_NOOP("StringTable",
            "the destination folder '%1' is the source folder or lies inside it: every run would pack the archives "
            "made before. Choose a destination outside the source. Nothing was changed.")},
    // %1 is the off-site folder.
    {StringId::OffsiteFolderInSource,
        QT_TRANSLATE_NOOP("StringTable",
            "The off-site folder %1 is the source folder or lies inside it on this same computer: every run would "
            "pack the copies made before. Nothing was copied.")},
    // %1 is the file, %2 the destination.
    {StringId::OffsiteDamaged,
        QT_TRANSLATE_NOOP("StringTable",
            "The copy of %1 at %2 is damaged and could not be replaced with a good one: it still differs after a "
            "new copy.")},
    // %1 is the file there, %2 the destination, %3 the local file.
    {StringId::OffsiteDamagedHere,
        QT_TRANSLATE_NOOP("StringTable",
            "The copy of %1 at %2 is damaged, and the file here (%3) changed since it was copied, so it cannot "
            "repair it. Run a verification of the set.")},
    // %1 is the file, %2 the destination.
    {StringId::OffsiteFetchDamaged,
        QT_TRANSLATE_NOOP(
            "StringTable", "The copy of %1 at %2 is damaged: it differs from the archive that was copied there.")},
    // Archive runs. %1 of ChainBaseNotTested is the full archive, %2 what went wrong with its test.
    {StringId::ChainBaseNotTested,
        QT_TRANSLATE_NOOP("StringTable",
            "the full archive '%1' could not be tested (%2), so it is not known whether its chain can be extended. "
            "Nothing was changed.")},
    {StringId::OldChainKept, QT_TRANSLATE_NOOP("StringTable", "The previous chain was kept in '%1'.")},
    // %1 is how many, %2 their paths inside the source.
    {StringId::SpecialFilesLeftOut,
        QT_TRANSLATE_NOOP("StringTable",
            "these pipes, sockets and devices cannot be stored in a zip archive and were left out (%1): %2")},
    {StringId::FilesChangedWhileRead,
        QT_TRANSLATE_NOOP(
            "StringTable", "these files changed while 7-Zip read them and may be stored incomplete (%1): %2")},
    {StringId::SpecialFileUnsafeName,
        QT_TRANSLATE_NOOP("StringTable",
            "the pipe, socket or device '%1' in '%2' cannot be stored in a zip archive, and 7-Zip would take the "
            "'*' or '?' in its name for a wildcard and leave other files out with it. Rename or remove it, or "
            "exclude its folder. Nothing was changed.")},
    // What a mirror holds after rsync stopped halfway; %3 (%2 of the time limit's, %1 of the stop's) is the
    // mirror folder.
    {StringId::MirrorToolFailedChanged,
        QT_TRANSLATE_NOOP("StringTable",
            "%1 ended with exit code %2 after it had begun to change the mirror folder '%3': the files it copied "
            "there are new, the others are as they were before the run.")},
    {StringId::MirrorToolKilledChanged,
        QT_TRANSLATE_NOOP("StringTable",
            "%1 was ended by signal %2 and may already have changed the mirror folder '%3': the files it copied "
            "there are new, the others are as they were before the run.")},
    {StringId::MirrorStoppedChanged,
        QT_TRANSLATE_NOOP("StringTable",
            "the run was stopped, and rsync may already have changed the mirror folder '%1': the files it copied "
            "there are new, the others are as they were before the run.")},
    {StringId::MirrorTimedOutChanged,
        QT_TRANSLATE_NOOP("StringTable",
            "the run took longer than its time limit of %1 seconds and was stopped, and rsync may already have "
            "changed the mirror folder '%2': the files it copied there are new, the others are as they were before "
            "the run.")},
    {StringId::RsyncFilesNotCopied,
        QT_TRANSLATE_NOOP(
            "StringTable", "rsync could not copy these files, which vanished or could not be read (%1): %2")},
    {StringId::RsyncPartialTransfer,
        QT_TRANSLATE_NOOP("StringTable", "rsync could not copy some files (exit code %1); it copied all the others")},
    // Lines of a kept run log where it leaves out the middle of a long output.
    {StringId::KeptLogOutputCutBegins,
        QT_TRANSLATE_NOOP("StringTable",
            "[From here on this log keeps only the warning and error lines of the standard output, and its last part "
            "at the end.]")},
    {StringId::KeptLogErrorsCutBegins,
        QT_TRANSLATE_NOOP("StringTable",
            "[From here on this log keeps only the warning and error lines of the error output, and its last part at "
            "the end.]")},
    {StringId::KeptLogOutputCutEnds,
        QT_TRANSLATE_NOOP("StringTable",
            "[%1 bytes of the standard output are left out of this log; %2 of its warning and error lines are kept "
            "above, %3 more are left out. Its last part follows.]")},
    {StringId::KeptLogErrorsCutEnds,
        QT_TRANSLATE_NOOP("StringTable",
            "[%1 bytes of the error output are left out of this log; %2 of its warning and error lines are kept "
            "above, %3 more are left out. Its last part follows.]")},
    {StringId::OutputBytesLeftOutOfKeptLog,
        QT_TRANSLATE_NOOP("StringTable",
            "[%1 bytes left out here. The run's log '%2' keeps the first and last part of the output and its warning "
            "and error lines.]")},
    {StringId::CharactersLeftOutOfKeptLog,
        QT_TRANSLATE_NOOP("StringTable",
            "[%1 characters left out here. The run's log '%2' keeps the first and last part of the output and its "
            "warning and error lines.]")},
    // Remove Old Files deletes the set's current chain: the question says that nothing of it stays.
    {StringId::RemoveBackupsQuestion,
        QT_TRANSLATE_NOOP("StringTable", "Delete every backup of '%1'? This cannot be undone.")},
    // %1 how many restore points, %2 and %3 the oldest's and the newest's time, %4 the full archive, %5 how many
    // update archives, %6 the size of all of them.
    {StringId::RemoveBackupsPoints,
        QT_TRANSLATE_NOOP("StringTable",
            "All %1 restore points, from %2 to %3, are deleted with the full archive '%4' and its %5 update "
            "archives (%6 in all).")},
    // %1 the point's time, %2 the full archive, %3 the size of what is deleted.
    {StringId::RemoveBackupsOnePoint,
        QT_TRANSLATE_NOOP(
            "StringTable", "Its only restore point, of %1, is deleted with the full archive '%2' (%3 in all).")},
    // %1 the destination, %2 how many update archives, %3 their size.
    {StringId::RemoveBackupsUpdatesOnly,
        QT_TRANSLATE_NOOP("StringTable",
            "There is no full archive of this set in '%1'. Its %2 update archives (%3 in all) restore nothing "
            "without it and are deleted.")},
    {StringId::RemoveBackupsNoneLeft, QT_TRANSLATE_NOOP("StringTable", "No restore point of this set will be left.")},
    // What stays when older chains were kept: %1 the history folder, %2 how many chains it holds.
    {StringId::RemoveBackupsKeptChains,
        QT_TRANSLATE_NOOP("StringTable",
            "No restore point of this set will be left but those of the %2 older chains kept in '%1', which Restore "
            "does not list; Restore from a Folder reaches them.")},
    // %1 how many sets, %2 the folder.
    {StringId::EveryDestinationQuestion,
        QT_TRANSLATE_NOOP("StringTable", "Set the destination of all %1 sets to '%2'?")},
    {StringId::OneDestinationQuestion,
        QT_TRANSLATE_NOOP("StringTable", "Set the destination of the only set to '%1'?")},
    // Followed by one line per set whose destination changes: "NAME: its destination until now".
    {StringId::EveryDestinationKeepsArchives,
        QT_TRANSLATE_NOOP("StringTable",
            "These sets then back up there; the archives they made so far stay where they are, and Restore from a "
            "Folder still reaches them:")},
    {StringId::EveryDestinationMoreSets, QT_TRANSLATE_NOOP("StringTable", "and %1 more")},
    {StringId::EveryDestinationOnOk,
        QT_TRANSLATE_NOOP("StringTable", "Nothing changes until you close Options with OK.")},
    {StringId::DefaultLocationEmpty,
        QT_TRANSLATE_NOOP("StringTable",
            "The default backup location is empty, so no set could back up there. Please choose a folder first.")},
    {StringId::DefaultLocationRelative,
        QT_TRANSLATE_NOOP("StringTable",
            "The default backup location '%1' is not a full path (one starting with '/'). Please choose a folder.")},
    {StringId::DefaultLocationMissing,
        QT_TRANSLATE_NOOP("StringTable",
            "The default backup location '%1' is not a folder that exists now (is its disk plugged in?). Please "
            "choose a folder that is there.")},
    {StringId::NoSetsToChange, QT_TRANSLATE_NOOP("StringTable", "There is no backup set to change.")},
    {StringId::EverySetAlreadyThere, QT_TRANSLATE_NOOP("StringTable", "Every set already backs up to '%1'.")},
    {StringId::CopiesToKeepNegative,
        QT_TRANSLATE_NOOP(
            "StringTable", "Incremental copies to keep must be 0 or more (0: every run makes a new full archive).")},
    // %1 the settings file, %2 the key, %3 the value found, %4 the default used instead.
    {StringId::SettingReadAsDefault,
        QT_TRANSLATE_NOOP(
            "StringTable", "The settings file '%1' holds %2=%3, which is not allowed; %4 is used instead.")},
    // Why a timer's run of an encrypted set would find no password; after the set's name in velmora-run --check.
    {StringId::ScheduledPasswordKeyringLocked,
        QT_TRANSLATE_NOOP("StringTable", "scheduled runs cannot get its password: the keyring is locked")},
    {StringId::ScheduledPasswordNoKeyring,
        QT_TRANSLATE_NOOP(
            "StringTable", "scheduled runs cannot get its password: no keyring answers on this computer")},
    {StringId::ScheduledPasswordNotInKeyring,
        QT_TRANSLATE_NOOP("StringTable", "scheduled runs cannot get its password: the keyring holds none for it")},
    // %1 is why the file is refused.
    {StringId::ScheduledPasswordFileRefused,
        QT_TRANSLATE_NOOP("StringTable", "scheduled runs cannot use its password file: %1")},
    // %1 is one line per set: its name and why.
    {StringId::ScheduledPasswordsUnreachable,
        QT_TRANSLATE_NOOP("StringTable",
            "Every scheduled run of these encrypted sets will fail, as it cannot get the set's password:\n\n%1\n\n"
            "What works: unlock the keyring (or install one, such as GNOME Keyring or KWallet) and keep it "
            "unlocked while you are logged in; or, in the set's properties, give a password file for its scheduled "
            "runs: a file of your own that only you can read (chmod 600), with the password on its first line.")},
    {StringId::PasswordFileNotAbsolute,
        QT_TRANSLATE_NOOP("StringTable",
            "Give the password file with its full path, starting with '/': a scheduled run does not start in this "
            "folder.")},
    // %1 is why velmora-run would refuse the file.
    {StringId::PasswordFileRefusedHere,
        QT_TRANSLATE_NOOP("StringTable", "A scheduled run would refuse this password file and back up nothing:\n%1")},
    {StringId::PasswordFileHoldsAnother,
        QT_TRANSLATE_NOOP("StringTable",
            "The password file holds another password than the one typed here: scheduled runs would make archives "
            "that this password does not open. Put the same password in both.")},
    // %1 is the folder the old chain moves into.
    {StringId::NewChainNotePassword,
        QT_TRANSLATE_NOOP("StringTable",
            "A new password starts a new chain at the next run; the archives made so far then move to '%1', "
            "restorable with the old password. Nothing is deleted.")},
    {StringId::NewChainNoteEncryptOn,
        QT_TRANSLATE_NOOP("StringTable",
            "Encryption starts a new chain at the next run; the archives made so far then move, unencrypted, to "
            "'%1'. Nothing is deleted.")},
    {StringId::NewChainNoteEncryptOff,
        QT_TRANSLATE_NOOP("StringTable",
            "Without encryption the next run starts a new chain; the archives made so far then move to '%1', "
            "restorable with the old password. Nothing is deleted.")},
    // Asked before a run is stopped; %1 is the restore's target folder.
    {StringId::StopBackupQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "A backup is running. Stop it? What it has written so far is removed; backups made before are not "
            "touched.")},
    {StringId::StopVerifyQuestion,
        QT_TRANSLATE_NOOP("StringTable", "A verification is running. Stop it? It changes no archive.")},
    {StringId::StopRestoreQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "A restore is running. Stop it? What it has restored so far is removed; the folder '%1' is left as it "
            "was.")},
    {StringId::StopFetchQuestion,
        QT_TRANSLATE_NOOP(
            "StringTable", "The archives are being fetched from the off-site copy. Stop? Nothing here is changed.")},
    // A run stopped before there was any backup of the set to keep; %1 in seconds.
    {StringId::RunStoppedNothingBefore,
        QT_TRANSLATE_NOOP("StringTable", "the run was stopped. What it had written was removed.")},
    {StringId::RunTimedOutNothingBefore,
        QT_TRANSLATE_NOOP("StringTable",
            "the run took longer than its time limit of %1 seconds and was stopped. What it had written was "
            "removed.")},
    {StringId::StopVerifyAndCloseQuestion,
        QT_TRANSLATE_NOOP(
            "StringTable", "A verification is running. Stop it and close Velmora? It changes no archive.")},
    {StringId::SetStopped, QT_TRANSLATE_NOOP("StringTable", "The backup set '%1' was stopped: %2")},
    {StringId::SetsStopped, QT_TRANSLATE_NOOP("StringTable", "These backup sets were stopped:\n%1")},
    // %1 is why the password given did not do.
    {StringId::PasswordTryAgain, QT_TRANSLATE_NOOP("StringTable", "Not accepted: %1. Type it again, or Cancel.")},
    // %1 is the path, %2 the system's reason.
    {StringId::RestoreNotTrashed, QT_TRANSLATE_NOOP("StringTable", "'%1' could not be moved to the trash (%2)")},
    // %1 is the source folder, %2 the reason, %3 the paths still in the trash.
    {StringId::RestoreLeftInTrash,
        QT_TRANSLATE_NOOP("StringTable",
            "the restored files could not be moved to '%1': %2. Not all of what the restore had moved to the trash "
            "could be put back; these are still in the trash, from where you can restore them: %3")},
    // %1 is a number of files and folders.
    {StringId::RestoreTrashedNote,
        QT_TRANSLATE_NOOP(
            "StringTable", "What the restore replaced or removed (%1 files and folders) is in the trash.")},
    // %1 is the source folder, %2 the restore point's date; then numbers of files.
    {StringId::RestoreOverTrashQuestion,
        QT_TRANSLATE_NOOP("StringTable",
            "Restore over the files in '%1' as of %2?\n\nReplaced by the backup's version: %3\nThe same size and time "
            "as in the backup, left as they are unless their content differs: %4\nAdded: %5\nNot in the backup: %6 "
            "(they stay unless you tick the box "
            "below)\nOutside your choice, left as they are: %7\n\nEvery file replaced or removed goes to the trash, "
            "from where it can be put back.")},
    {StringId::RestoreOverReplacedHeading, QT_TRANSLATE_NOOP("StringTable", "Files moved to the trash and replaced:")},
    {StringId::RestoreOverOthersHeading, QT_TRANSLATE_NOOP("StringTable", "Files not in the backup:")},
    // %1 is a number of files.
    {StringId::RestoreNamesMore, QT_TRANSLATE_NOOP("StringTable", "and %1 more (Show all lists them)")},
    // %1 is a number of files.
    {StringId::RestoreRemoveOthersChoice,
        QT_TRANSLATE_NOOP("StringTable", "Also move the %1 files that are not in the backup to the trash")},
    // %1 is the source folder, %2 the restore point's date; then numbers of files.
    {StringId::RestoredOverTrash,
        QT_TRANSLATE_NOOP("StringTable",
            "Restored over '%1' as of %2. Files replaced: %3, added: %4, moved to the trash as not in the backup: "
            "%5.")},
    // %1 is the trash folder, %2 the system's reason.
    {StringId::RestoreTrashUnusable,
        QT_TRANSLATE_NOOP("StringTable", "the trash folder '%1' cannot be used (%2), so nothing could go there")},
    // The button under a list of names that shows the whole list.
    {StringId::ShowAllNames, QT_TRANSLATE_NOOP("StringTable", "Show all")},
    // The retention policy in words, under its numbers in the set's properties. %1 is a list of the pieces below.
    {StringId::RetentionPointsSentence, QT_TRANSLATE_NOOP("StringTable", "Keeps restore points, roughly: %1.")},
    // The same for a mirror set, whose history is the files its runs replaced or deleted.
    {StringId::RetentionVersionsSentence,
        QT_TRANSLATE_NOOP("StringTable", "Keeps the versions of files that runs replaced or deleted, roughly: %1.")},
    {StringId::RetentionOnlyNewestPoint,
        QT_TRANSLATE_NOOP("StringTable", "Every rule is off: only the newest restore point is kept.")},
    {StringId::RetentionOnlyNewestVersions,
        QT_TRANSLATE_NOOP("StringTable", "Every rule is off: only the versions the last run replaced are kept.")},
    // %1 is a number of points.
    {StringId::RetentionLast, QT_TRANSLATE_NOOP("StringTable", "the last %1")},
    // %1 is how far back the rule reaches, in hours, days, weeks, months, years.
    {StringId::RetentionHourly, QT_TRANSLATE_NOOP("StringTable", "one an hour for %1 h")},
    {StringId::RetentionDaily, QT_TRANSLATE_NOOP("StringTable", "one a day for %1 d")},
    {StringId::RetentionWeekly, QT_TRANSLATE_NOOP("StringTable", "one a week for %1 wk")},
    {StringId::RetentionMonthly, QT_TRANSLATE_NOOP("StringTable", "one a month for %1 mo")},
    {StringId::RetentionYearly, QT_TRANSLATE_NOOP("StringTable", "one a year for %1 yr")},
    // The last two pieces of a list: %1 the ones before joined by commas, %2 the last.
    {StringId::RetentionListAnd, QT_TRANSLATE_NOOP("StringTable", "%1 and %2")},
    // Why a restore point is kept, in the restore dialog: one word or a few each, joined by commas.
    {StringId::KeepReasonNewest, QT_TRANSLATE_NOOP("StringTable", "newest")},
    {StringId::KeepReasonPinned, QT_TRANSLATE_NOOP("StringTable", "kept for ever")},
    {StringId::KeepReasonLast, QT_TRANSLATE_NOOP("StringTable", "last")},
    {StringId::KeepReasonHourly, QT_TRANSLATE_NOOP("StringTable", "hourly")},
    {StringId::KeepReasonDaily, QT_TRANSLATE_NOOP("StringTable", "daily")},
    {StringId::KeepReasonWeekly, QT_TRANSLATE_NOOP("StringTable", "weekly")},
    {StringId::KeepReasonMonthly, QT_TRANSLATE_NOOP("StringTable", "monthly")},
    {StringId::KeepReasonYearly, QT_TRANSLATE_NOOP("StringTable", "yearly")},
    // A full archive kept because a kept update archive needs it.
    {StringId::KeepReasonChain, QT_TRANSLATE_NOOP("StringTable", "its chain needs it")},
    {StringId::KeepReasonNone, QT_TRANSLATE_NOOP("StringTable", "no rule keeps it")},
    // The main window's tooltip of a set's result: %1 a number of points, %2 the oldest one's date.
    {StringId::SetPointsLine, QT_TRANSLATE_NOOP("StringTable", "Restore points: %1, the oldest from %2")},
    {StringId::SetNoPointsLine, QT_TRANSLATE_NOOP("StringTable", "Restore points: none in the destination")},
    {StringId::MirrorVersionsLine, QT_TRANSLATE_NOOP("StringTable", "Kept versions: %1, the oldest from %2")},
    {StringId::MirrorNoVersionsLine, QT_TRANSLATE_NOOP("StringTable", "Kept versions: none yet")},
    // %1 is the set's file.
    {StringId::PinNotSaved,
        QT_TRANSLATE_NOOP("StringTable", "The set's file '%1' could not be written; the point is kept as before.")},
    {StringId::HistoryPruneFailed,
        QT_TRANSLATE_NOOP("StringTable", "%1 old restore points could not be removed and were kept: %2")},
    {StringId::SpaceOldestPoints,
        QT_TRANSLATE_NOOP("StringTable", " The oldest restore points, which you could remove to make room: %1.")},
    {StringId::MirrorHistoryNotFolder,
        QT_TRANSLATE_NOOP("StringTable",
            "'%1' is a link or a file, not the folder that keeps the mirror's earlier versions: nothing was changed, "
            "so that no replaced file goes elsewhere.")},
    {StringId::MirrorVersionFolderNotMade,
        QT_TRANSLATE_NOOP("StringTable",
            "the folder '%1' for the files this run replaces could not be made (%2): nothing was changed.")},
    {StringId::ChainNeedsEarlierPassword,
        QT_TRANSLATE_NOOP("StringTable",
            "%1: the restore points kept in '%2' do not open with the password given (%3); give the password they were "
            "made with in a further --password-file.")},
    {StringId::ChainPasswordQuestion,
        QT_TRANSLATE_NOOP("StringTable", "The backups from %1 were made with another password than the set's now.")},
    {StringId::ChainPointLocked, QT_TRANSLATE_NOOP("StringTable", "other password")},
    {StringId::ChainPointUnreadable, QT_TRANSLATE_NOOP("StringTable", "unreadable")},
    {StringId::RestorePointsChanged,
        QT_TRANSLATE_NOOP("StringTable",
            "the backups changed since the restore points were read: '%1' is another archive now. Read the points "
            "again.")},
    // velmora-run's own sentences: its usage, errors, questions and summaries; what scripts read stays out of the
    // table.
    {StringId::RunNoSets, QT_TRANSLATE_NOOP("StringTable", "there are no backup sets.")},
    {StringId::RunUnknownSets,
        QT_TRANSLATE_NOOP(
            "StringTable", "no backup set is named %1; nothing was run. velmora-run --list shows the sets.")},
    {StringId::RunSeeHelp, QT_TRANSLATE_NOOP("StringTable", "velmora-run --help shows how to use it.")},
    {StringId::RunHelpText,
        QT_TRANSLATE_NOOP("StringTable",
            "Usage: velmora-run --list\n"
            "       velmora-run --version | --help\n"
            "       velmora-run --install-schedules\n"
            "       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] NAME...\n"
            "       velmora-run [--dry-run] [--no-wait] [--allow-empty-source] --all\n"
            "       velmora-run [--no-wait] --verify NAME...\n"
            "       velmora-run [--no-wait] --verify --all\n"
            "       velmora-run [--from-offsite] --points NAME\n"
            "       velmora-run [--from-offsite] --restore NAME --to DIR [--as-of STAMP] [PATH...]\n"
            "       velmora-run [--from-offsite] --restore NAME --to-original [--remove-others]\n"
            "                   [--as-of STAMP] [PATH...]\n"
            "       velmora-run [--from-offsite] --versions NAME PATH\n"
            "       velmora-run --points-archive ARCHIVE\n"
            "       velmora-run --restore-archive ARCHIVE --to DIR [--as-of STAMP] [PATH...]\n"
            "       velmora-run --accept-destination NAME\n"
            "       velmora-run [--no-notify] --check\n"
            "       velmora-run [--dry-run] [--no-wait] --prune NAME... | --prune --all\n"
            "       velmora-run --pin NAME STAMP | --unpin NAME STAMP\n"
            "Each form that runs, tests or restores sets also takes --password-file FILE.\n"
            "\n"
            "Runs Velmora's backup sets without the window, with the same settings and set files.\n"
            "\n"
            "  --list      one line per set: name, backup type, source, destination, last run,\n"
            "              schedule, next run (separated by tabs; the next run as systemd's timer\n"
            "              has it, or from the schedule when systemd cannot say)\n"
            "  --install-schedules\n"
            "              write the systemd user timer of every scheduled set again from the set\n"
            "              files (into ~/.config/systemd/user), remove those of sets no longer\n"
            "              scheduled, and enable them; for a new computer or after moving the\n"
            "              program. Without a systemd user instance it says so and prints the\n"
            "              crontab lines that run the sets instead\n"
            "  NAME...     run these sets, one after the other, each by its own backup type;\n"
            "              letter case does not matter in names. A set with an off-site\n"
            "              destination then copies its new archive there (a mirror set mirrors\n"
            "              its source there)\n"
            "  --all       run every set\n"
            "  --dry-run   print each command as it would run and change nothing\n"
            "  --no-wait   when another backup is running, do not wait for it: give up at once\n"
            "  --allow-empty-source\n"
            "              run a set whose source folder is empty; without it such a set fails,\n"
            "              since a disk that is not mounted leaves an empty folder behind\n"
            "  --accept-destination NAME\n"
            "              take the disk now at the set's destination as its disk from now on;\n"
            "              a set remembers the disk its destination was on at its first\n"
            "              successful run and refuses to run when it is on another one\n"
            "  --verify NAME..., --verify --all\n"
            "              test every archive of these sets (the full archive and each update\n"
            "              archive) with 7-Zip, one line per archive: its path and OK or what is\n"
            "              wrong; a mirror set has no archive and is said to be so\n"
            "  --check     one line per set that is overdue (its last success is older than its\n"
            "              schedule allows, or than the days the options give a manual set) or\n"
            "              whose last run failed: its name, why and since when; and one desktop\n"
            "              notification of them\n"
            "  --no-notify send no desktop notification: a run sends one when a set failed, was\n"
            "              not made or ended with warnings, --check when it found any set\n"
            "  --password-file FILE\n"
            "              the first line of FILE is the password of every encrypted set the run\n"
            "              touches, instead of each set's password in the system keyring; FILE\n"
            "              must be your own regular file, not a link, with no permission for\n"
            "              its group or others (chmod 600), or nothing is run. Without it an\n"
            "              encrypted set whose password the keyring cannot give fails and is\n"
            "              named in the notification; it is never run unencrypted.\n"
            "              With --points, --versions and --restore (and their -archive forms) it\n"
            "              may be given again: each further FILE holds an earlier password,\n"
            "              tried on a chain kept from before the set's password changed\n"
            "  --prune NAME..., --prune --all\n"
            "              thin each set's history by its retention policy: one line per point,\n"
            "              STAMP, kept or removed, and why (newest, pinned, last, hourly, daily,\n"
            "              weekly, monthly, yearly, chain; policy for a point that goes), separated\n"
            "              by tabs, after a line \"== NAME\" for each set when there are several.\n"
            "              With --dry-run nothing is removed. A run thins its set by itself after\n"
            "              a new point that tested good\n"
            "  --pin NAME STAMP, --unpin NAME STAMP\n"
            "              keep the point of that stamp for ever, whatever the policy, or no\n"
            "              longer; STAMP as --points shows it\n"
            "  -h, --help  show this text\n"
            "  --version   print the version\n"
            "\n"
            "Restoring:\n"
            "  --points NAME\n"
            "              one line per restore point of the set, newest first:\n"
            "              STAMP, full, update or mirror, size in bytes, number of files, archive\n"
            "              (separated by tabs; STAMP as 2026-12-07_14h03m59s)\n"
            "  --restore NAME --to DIR\n"
            "              rebuild the set's source as of its newest point into DIR, which must\n"
            "              not exist or be empty; PATH... (relative to the source) restores only\n"
            "              those files and folders\n"
            "  --restore NAME --to-original\n"
            "              put the files of the set's source (or of PATH...) back as they were\n"
            "              at the point, in the source itself; folders are merged file by file.\n"
            "              Every file it replaces goes to the desktop's trash (with its path, so\n"
            "              it can be put back); files that are not in the backup stay where\n"
            "              they are. When a file cannot go to the trash the restore fails and\n"
            "              puts back what it had changed; nothing is deleted\n"
            "  --remove-others\n"
            "              with --to-original: also move the files of PATH... (or of the whole\n"
            "              source) that the point does not hold to the trash\n"
            "  --as-of STAMP\n"
            "              restore the newest point at or before STAMP, a point's stamp or a\n"
            "              date (2026-12-07: the end of that day)\n"
            "  --versions NAME PATH\n"
            "              one line per point where the file changed: STAMP, size in bytes and\n"
            "              modification time (local), or STAMP and \"deleted\"\n"
            "  --points-archive ARCHIVE, --restore-archive ARCHIVE\n"
            "              the same from a full archive's path, with its update archives beside\n"
            "              it, when there is no set file (a new computer)\n"
            "  --from-offsite\n"
            "              read the set's archives from its off-site destination instead of its\n"
            "              destination folder (when the local disk is gone): they are fetched\n"
            "              into a temporary folder, used, and removed\n"
            "\n"
            "One backup runs at a time across Velmora and velmora-run; a run waits for the one\n"
            "before it unless --no-wait is given. A successful set gets today's date as its last run.\n"
            "Each set is read from its file just before it runs; a set deleted meanwhile is not run.\n"
            "\n"
            "Exit status: 0 when every set succeeded, 1 when any set failed or could not run\n"
            "(also when --no-wait gave up), 2 for a usage error, an unknown set name or a password\n"
            "file refused (then nothing is run), 3 when every set was done but with warnings: 7-Zip\n"
            "could not read some files (the summary line names them), files vanished while rsync\n"
            "copied them, or the backup was made here and its off-site copy failed.\n"
            "A dry run makes every check a run makes and ends with the same status.\n"
            "A restore, --points and --versions end with 0 on success, 1 when they failed (a\n"
            "failed or stopped restore leaves DIR as it was, and refuses a DIR with content; one\n"
            "over the source puts back what it had moved to the trash), 2 for a usage error or an\n"
            "unknown set name, 3 when the restore was done but some entries could not be written.\n"
            "--accept-destination ends with 0 when the disk was recorded, 1 when it could not\n"
            "be (the destination folder is missing or cannot be written), 2 for a usage error or\n"
            "an unknown set name.\n"
            "--verify ends with 0 when every archive tested good, 1 when any did not or could not\n"
            "be tested, 2 for a usage error or an unknown set name.\n"
            "--check ends with 0 when no set is overdue or failed, 1 when any is.\n"
            "--list ends with 0. --install-schedules ends with 0 when systemd took up every timer, 1\n"
            "when a file could not be written or removed, systemctl failed, or there is no systemd\n"
            "user instance, 2 for a usage error.\n")},
    {StringId::UsagePasswordFileNeedsFile, QT_TRANSLATE_NOOP("StringTable", "--password-file needs a file.")},
    {StringId::UsagePasswordFileNotHere,
        QT_TRANSLATE_NOOP("StringTable",
            "--password-file goes with running, verifying and restoring sets; not with --list, --check, "
            "--install-schedules or --accept-destination.")},
    {StringId::UsageFromOffsite,
        QT_TRANSLATE_NOOP("StringTable", "--from-offsite goes with --restore, --points or --versions of a set.")},
    {StringId::UsageToOriginal,
        QT_TRANSLATE_NOOP("StringTable", "--to-original and --remove-others go with --restore NAME.")},
    {StringId::UsageRemoveOthers, QT_TRANSLATE_NOOP("StringTable", "--remove-others goes with --to-original.")},
    {StringId::UsageCheck,
        QT_TRANSLATE_NOOP("StringTable", "--check takes no set names and no other option than --no-notify.")},
    {StringId::UsageTakesNothingMore, QT_TRANSLATE_NOOP("StringTable", "%1 takes nothing more.")},
    {StringId::UsagePrune,
        QT_TRANSLATE_NOOP("StringTable", "--prune takes set names or --all, and --dry-run and --no-wait.")},
    {StringId::UsagePin,
        QT_TRANSLATE_NOOP("StringTable", "--pin and --unpin take a set name and a stamp: --pin NAME STAMP.")},
    {StringId::UsageGivenTwice, QT_TRANSLATE_NOOP("StringTable", "%1 is given more than once.")},
    {StringId::UsageVerify,
        QT_TRANSLATE_NOOP("StringTable", "--verify takes set names or --all, and --no-wait; nothing else.")},
    {StringId::UsageVerifyAllNames,
        QT_TRANSLATE_NOOP("StringTable", "--verify --all tests every set; name no sets with it.")},
    {StringId::UsageVerifyNoSets, QT_TRANSLATE_NOOP("StringTable", "--verify needs the sets to test, or --all.")},
    {StringId::UsageToAsOf,
        QT_TRANSLATE_NOOP("StringTable", "--to and --as-of go with --restore or --restore-archive.")},
    {StringId::UsageCannotGoTogether, QT_TRANSLATE_NOOP("StringTable", "%1 cannot go together.")},
    {StringId::UsageTakesNoRunOptions,
        QT_TRANSLATE_NOOP(
            "StringTable", "%1 takes none of --list, --all, --dry-run, --no-wait and --allow-empty-source.")},
    {StringId::UsageAcceptDestination,
        QT_TRANSLATE_NOOP("StringTable", "--accept-destination takes one set name and nothing more.")},
    {StringId::UsageNeedsName, QT_TRANSLATE_NOOP("StringTable", "%1 needs a name.")},
    {StringId::UsageVersions,
        QT_TRANSLATE_NOOP("StringTable", "--versions takes a set name and one path: --versions NAME PATH.")},
    {StringId::UsageNoFileInSource, QT_TRANSLATE_NOOP("StringTable", "'%1' names no file inside the source.")},
    {StringId::UsageToAndToOriginal, QT_TRANSLATE_NOOP("StringTable", "--to and --to-original cannot go together.")},
    {StringId::UsageNeedsTo, QT_TRANSLATE_NOOP("StringTable", "%1 needs --to DIR, the folder to restore into.")},
    {StringId::UsageToAsOfOnce, QT_TRANSLATE_NOOP("StringTable", "--to and --as-of are each given once.")},
    {StringId::UsageAsOf,
        QT_TRANSLATE_NOOP(
            "StringTable", "--as-of takes a point's stamp (2026-12-07_14h03m59s) or a date (2026-12-07), not '%1'.")},
    {StringId::UsageNothingInSource, QT_TRANSLATE_NOOP("StringTable", "'%1' names nothing inside the source.")},
    {StringId::UsageList, QT_TRANSLATE_NOOP("StringTable", "--list takes no set names and no other options.")},
    {StringId::UsageAllNames, QT_TRANSLATE_NOOP("StringTable", "--all runs every set; name no sets with it.")},
    {StringId::UsageNoSets, QT_TRANSLATE_NOOP("StringTable", "name the sets to run, or give --all or --list.")},
    {StringId::RunListFileHolds, QT_TRANSLATE_NOOP("StringTable", "the list file holds: %1")},
    {StringId::RunOldChainKept, QT_TRANSLATE_NOOP("StringTable", "then the old chain moves into '%1'")},
    {StringId::RunFolderCreated, QT_TRANSLATE_NOOP("StringTable", "after creating the folder %1")},
    {StringId::RunSummary, QT_TRANSLATE_NOOP("StringTable", "%1 of %2 sets done%3, %4 failed%5")},
    {StringId::RunSummaryWarnings, QT_TRANSLATE_NOOP("StringTable", " (%1 with warnings)")},
    {StringId::RunSummaryNotRun, QT_TRANSLATE_NOOP("StringTable", ", %1 not run")},
    {StringId::RunSummaryNotOffsite, QT_TRANSLATE_NOOP("StringTable", ", %1 not copied off site")},
    {StringId::RunSummaryStopped, QT_TRANSLATE_NOOP("StringTable", ", stopped")},
    {StringId::RunStoppedBeforeAny, QT_TRANSLATE_NOOP("StringTable", "stopped before any set ran")},
    {StringId::RunHeadingVerify, QT_TRANSLATE_NOOP("StringTable", ", verify:")},
    {StringId::RunHeadingDryRun, QT_TRANSLATE_NOOP("StringTable", ", dry run:")},
    {StringId::RunWaitingForLock, QT_TRANSLATE_NOOP("StringTable", "waiting for another backup to finish%1")},
    {StringId::RunThenOffsite, QT_TRANSLATE_NOOP("StringTable", "then copied off site to %1")},
    {StringId::RunUnknownSetNothingChanged,
        QT_TRANSLATE_NOOP(
            "StringTable", "no backup set is named '%1'; nothing was changed. velmora-run --list shows the sets.")},
    {StringId::RunDestinationAccepted,
        QT_TRANSLATE_NOOP("StringTable", "%1: the disk now at '%2' is the set's destination disk from now on")},
    {StringId::RunLockBusyNothingRun,
        QT_TRANSLATE_NOOP("StringTable", "another backup is running%1; with --no-wait nothing was run.")},
    {StringId::RunLockBusyNothingTested,
        QT_TRANSLATE_NOOP("StringTable", "another backup is running%1; with --no-wait nothing was tested.")},
    {StringId::RunUnknownSet,
        QT_TRANSLATE_NOOP("StringTable", "no backup set is named '%1'. velmora-run --list shows the sets.")},
    {StringId::RunPathOutsideSource,
        QT_TRANSLATE_NOOP("StringTable", "'%1' is not inside the source '%2'; give paths relative to it.")},
    {StringId::RunPathOutsideNoSource,
        QT_TRANSLATE_NOOP("StringTable", "'%1' is not inside the source; give paths relative to it.")},
    {StringId::RunLockBusyNothingRemoved,
        QT_TRANSLATE_NOOP("StringTable", "another backup is running; with --no-wait nothing was removed.")},
    {StringId::RunNotRemoved, QT_TRANSLATE_NOOP("StringTable", "%1: not removed: %2")},
    {StringId::RunNoSuchStamp,
        QT_TRANSLATE_NOOP("StringTable", "'%1' is no point's stamp (2026-12-07_14h03m59s); nothing was changed.")},
    {StringId::RunNoSuchPoint,
        QT_TRANSLATE_NOOP("StringTable",
            "the set '%1' has no point %2; nothing was changed. velmora-run --points %1 lists its points.")},
    {StringId::RunSetFileNotWritten,
        QT_TRANSLATE_NOOP("StringTable", "the set file of '%1' could not be written; nothing was changed.")},
    {StringId::RunPointPinned, QT_TRANSLATE_NOOP("StringTable", "%1: %2 is pinned")},
    {StringId::RunPointUnpinned, QT_TRANSLATE_NOOP("StringTable", "%1: %2 is no longer pinned")},
    {StringId::RunAnsweredCancel, QT_TRANSLATE_NOOP("StringTable", "(answered Cancel: velmora-run asks nobody)")},
    {StringId::RunAnsweredYes, QT_TRANSLATE_NOOP("StringTable", "(answered Yes: --allow-empty-source)")},
    {StringId::RunAnsweredNo,
        QT_TRANSLATE_NOOP("StringTable", "(answered No: velmora-run asks nobody; --allow-empty-source answers Yes)")},
    {StringId::RunProgressOffsite, QT_TRANSLATE_NOOP("StringTable", "off site")},
    {StringId::RunProgressOf, QT_TRANSLATE_NOOP("StringTable", "%1 of %2")},
    {StringId::RunProgressLeft, QT_TRANSLATE_NOOP("StringTable", "%1 left")},
    {StringId::RunNoticeNoBus, QT_TRANSLATE_NOOP("StringTable", "no desktop notification: there is no session bus.")},
    {StringId::RunNoticeBusUnreachable,
        QT_TRANSLATE_NOOP("StringTable", "no desktop notification: the session bus at %1 cannot be reached.")},
    {StringId::RunNoticeFailed, QT_TRANSLATE_NOOP("StringTable", "no desktop notification: %1")},
    {StringId::RunNoticeClickLost,
        QT_TRANSLATE_NOOP("StringTable", "the notification's click will not outlive this run: %1")},
    {StringId::OutputBytesLeftOutNoFile, QT_TRANSLATE_NOOP("StringTable", "[%1 bytes left out here.]")},
    {StringId::QuietRunTimedOut, QT_TRANSLATE_NOOP("StringTable", "the tool did not finish within %1 and was ended.")},
    {StringId::QuietRunStopped, QT_TRANSLATE_NOOP("StringTable", "the tool was stopped.")},
    {StringId::ListingTooLong,
        QT_TRANSLATE_NOOP("StringTable", "the listing of '%1' is longer than %2; it was not read.")},
    {StringId::ReadingRestorePoints, QT_TRANSLATE_NOOP("StringTable", "Reading the restore points...")},
};

const TableEntry* findEntry(int id)
{
    const auto it = std::find_if(
        std::begin(kStringTable), std::end(kStringTable), [id](const TableEntry& entry) { return entry.id == id; });
    return it == std::end(kStringTable) ? nullptr : it;
}

} // namespace

QString EnglishStringById(int id)
{
    const TableEntry* entry = findEntry(id);
    return entry ? QString::fromUtf8(entry->text) : QString();
}

QString LoadStringById(int id)
{
    // The translator installed at start-up answers; switching the language in the menu changes only
    // the stored setting, so texts stay in the start-up language until the restart.
    const TableEntry* entry = findEntry(id);
    return entry ? QCoreApplication::translate("StringTable", entry->text) : QString();
}

void ShowStringMessage(int id)
{
    userMessages().showMessage(LoadStringById(id));
}

QString FormatString(const QString& format, const QString& argument)
{
    for (qsizetype i = 0; i + 1 < format.size(); ++i) {
        if (format.at(i) == QLatin1Char('%')
            && (format.at(i + 1) == QLatin1Char('s') || format.at(i + 1) == QLatin1Char('d'))) {
            QString result = format;
            return result.replace(i, 2, argument);
        }
    }
    return format;
}

QString LoadFormattedString(int id, const QString& argument)
{
    return FormatString(LoadStringById(id), argument);
}

QList<int> StringTableIds()
{
    QList<int> ids;
    for (const TableEntry& entry : kStringTable)
        ids.append(entry.id);
    return ids;
}
