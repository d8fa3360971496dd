#pragma once

// What velmora-run was asked to do, read from its command line.

#include <QDateTime>
#include <QString>
#include <QStringList>

struct RunOptions
{
    enum class Mode
    {
        Help,
        Version,
        List,
        Run,
        // The restore points of a set (names[0]) or of a full archive (archive).
        Points,
        // Rebuild a set's source (names[0]) or a full archive's (archive) into restoreTo.
        Restore,
        // The versions of one file (paths[0]) across a set's points (names[0]).
        Versions,
        // Record the disk now at the destination of a set (names[0]) as its disk from now on.
        AcceptDestination,
        // Test every archive of the sets named, or of every set with all.
        Verify,
        // The overdue and failed sets, one line each.
        Check,
        // Rewrite every set's timer units from the set files and have systemd take them up.
        InstallSchedules,
        // Thin the history of the sets named, or of every set with all, by their retention policies.
        Prune,
        // Pin or unpin a point (stamp) of a set (names[0]).
        Pin,
        Unpin,
        UsageError,
    };

    Mode mode = Mode::UsageError;
    // The sets named on the command line, in the order given; empty with --all.
    QStringList names;
    bool all = false;
    bool dryRun = false;
    bool noWait = false;
    // Run a set whose source folder is empty instead of failing it.
    bool allowEmptySource = false;
    // Send no desktop notification of failed, overdue or warned sets.
    bool noNotify = false;
    // A full archive's path, for points and restores with no set file.
    QString archive;
    // The folder a restore writes into.
    QString restoreTo;
    // Restore over the set's source instead (--to-original), and then also move the files of the chosen paths
    // that the point does not hold to the trash (--remove-others).
    bool toOriginal = false;
    bool removeOthers = false;
    // The newest moment whose point a restore takes; invalid for the newest point.
    QDateTime asOf;
    // What a restore is limited to, or the file whose versions are listed, relative to the source.
    QStringList paths;
    // The file whose first line is the password of every encrypted set the run touches; empty to read each
    // set's from the keyring.
    QString passwordFile;
    // Further --password-file files of the restore forms: earlier passwords, for chains kept from before a change.
    QStringList earlierPasswordFiles;
    // Read the set's archives from its off-site destination (points, versions, restore).
    bool fromOffsite = false;
    // The point --pin and --unpin name.
    QString stamp;
    // Why the command line cannot be used (Mode::UsageError).
    QString error;
};

// The arguments without the program's own name.
RunOptions ParseRunOptions(const QStringList& arguments);
// A point's stamp ("2026-12-07_14h03m59s") or a date ("2026-12-07", the end of that day) in local time;
// invalid for anything else.
QDateTime ParseAsOf(const QString& text);
QString RunHelpText();
