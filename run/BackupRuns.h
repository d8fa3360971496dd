#pragma once

// What velmora-run does with the loaded set collection: list the sets, show the commands a run would use,
// or run the sets one after the other under the store's lock.

#include <QList>
#include <QString>
#include <QStringList>

enum ExitStatus : int
{
    ExitAllSucceeded = 0,
    ExitSomeFailed = 1,
    ExitUsageError = 2,
    // Every set ran, but a tool reported files it could not take (7-Zip's warnings, rsync's vanished files).
    ExitDoneWithWarnings = 3,
};

// One line per set, fields separated by tabs: name, backup type, source, destination, last run.
void ListSets();
// The sets' own names for the names given (letter case does not matter), in the order given, each set
// once; the names that no set has go to unknown.
QStringList FindSetNames(const QStringList& names, QStringList& unknown);
QStringList AllSetNames();
// Prints each set's command as a run would build it now, and changes nothing.
ExitStatus DryRunSets(const QStringList& setNames);
// Runs the sets by their backup types and stamps each one that succeeded. Waits for a backup that another
// program is running, or with noWait gives up at once.
ExitStatus RunSets(const QStringList& setNames, bool all, bool noWait);
