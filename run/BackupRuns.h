#pragma once

// What velmora-run does with the loaded set collection: list the sets, show the commands a run would use,
// or run the sets one after the other under the store's lock.

#include "BackupSet.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class JobRunner;
struct JobResult;

enum ExitStatus : int
{
    ExitAllSucceeded = 0,
    ExitSomeFailed = 1,
    ExitUsageError = 2,
    // Every set ran, but a tool reported files it could not take (7-Zip's warnings, rsync's vanished files), or
    // the backup was made here and its off-site copy failed.
    ExitDoneWithWarnings = 3,
};

// One line per set, fields separated by tabs: name, backup type, source, destination, last run, schedule,
// next run.
void ListSets();
// The sets' own names for the names given (letter case does not matter), in the order given, each set
// once; the names that no set has go to unknown.
QStringList FindSetNames(const QStringList& names, QStringList& unknown);
QStringList AllSetNames();
// The set of that name, whatever its letter case.
std::optional<BackupSet> SetNamed(const QString& name);
// Runs a job on the runner's thread, so that this thread stays free for the stop signals; start starts it
// there, and whenRefused gives the result when it could not start.
JobResult RunOnWorker(
    JobRunner& runner, const std::function<bool()>& start, const std::function<JobResult()>& whenRefused);
// Takes the store's lock that one backup at a time holds: at once, or after waiting for the program that
// holds it (saying so) unless noWait. False when it was not taken. The caller releases it.
bool TakeStoreLock(bool noWait);
// Prints each set's command as a run would build it now, and changes nothing.
ExitStatus DryRunSets(const QStringList& setNames);
// Records the disk now at the destination of the set of that name as its disk from now on: 0 when recorded,
// 1 when it could not be, 2 for an unknown name.
ExitStatus AcceptDestination(const QString& name);
// Whether a run whose sets failed, were not made or ended with warnings sends one desktop notification of them
// (DesktopNotice.h); on unless --no-notify.
void SetDesktopNotices(bool send);
bool DesktopNoticesOn();
// Runs the sets by their backup types and stamps each one that succeeded. Waits for a backup that another
// program is running, or with noWait gives up at once.
ExitStatus RunSets(const QStringList& setNames, bool all, bool noWait);
// Tests every archive of the sets, one line per archive, and records the date on each set found good. 1 when
// any archive did not test good or a set could not be tested; a mirror set is said to have no archive.
ExitStatus VerifySets(const QStringList& setNames, bool all, bool noWait);
