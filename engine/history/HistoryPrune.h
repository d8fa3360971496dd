#pragma once

// Thins a set's history by its retention policy: removes the points no rule keeps, in an order that leaves every
// kept point restorable whenever it is cut short. Update archives go first, then full archives whose chains are
// gone, each by one unlink, then the chain folders they emptied; a mirror's version folder is first renamed to a
// hidden name, then removed without following any link, and a hidden one left behind is finished next time.
// Nothing here looks at free space: a full disk never removes a point.

#include "BackupSet.h"
#include "JobOutcome.h"
#include "Retention.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct PrunedPoint
{
    QString stamp;
    QString path;
    // Why it stays; empty for a point the policy lets go.
    KeepReasons reasons;
    // Gone from the disk (never in a dry run).
    bool removed = false;
};

struct PruneOutcome
{
    // Every point that was there, newest first.
    QList<PrunedPoint> points;
    // What could not be removed, each "PATH: REASON"; a point that stays for it is not counted as removed.
    QStringList failures;
    // Cut short by the step hook.
    bool ended = false;

    int removedCount() const;
};

// Called after each change on disk with its number, from 1; false ends the prune there, as a kill would. For tests.
using PruneStepHook = std::function<bool(int step)>;

// Applies the set's policy and pinned points to its history. A dry run changes nothing and says what would go.
// Never removes the newest point, a pinned one, the current chain's full archive, or a full archive while a point
// of its chain stays (also when removing one of those points failed).
PruneOutcome PruneSetHistory(const BackupSet& set, bool dryRun = false, const PruneStepHook& afterStep = {});

// After a run: thins the set's history when the run made a new point that tested good (an archive tested with
// 7-Zip, a mirror rsync finished without complaint), and turns a removal that failed into a warning of the run.
// A run that did not prove its new point good leaves every older point where it is.
void PruneAfterRun(const BackupSet& set, JobResult& result);
