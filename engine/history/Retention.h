#pragma once

// Which of a set's points its retention policy keeps, and why. Each rule looks at every point on its own: the
// last N points, and the newest point of each of the last N hours, days, weeks (ISO weeks), months and years that
// have one, in local time. A point may be kept for several reasons. Nothing here touches the disk.

#include "BackupSet.h"
#include "SetHistory.h"

#include <QFlags>
#include <QList>

enum class KeepReason : unsigned
{
    Last = 1U << 0,
    Hourly = 1U << 1,
    Daily = 1U << 2,
    Weekly = 1U << 3,
    Monthly = 1U << 4,
    Yearly = 1U << 5,
    Pinned = 1U << 6,
    // The newest point of all, whatever the rules say.
    Newest = 1U << 7,
    // A full archive that a kept update archive of its chain needs, or the current chain's full archive.
    Chain = 1U << 8,
};
Q_DECLARE_FLAGS(KeepReasons, KeepReason)
Q_DECLARE_OPERATORS_FOR_FLAGS(KeepReasons)

struct RetentionVerdict
{
    HistoryPoint point;
    // Empty for a point that goes.
    KeepReasons reasons;

    bool kept() const { return reasons != KeepReasons(); }
};

// A verdict for each point of the history, newest first as SetHistory::points() gives them. Never drops the
// newest point, a pinned one (by stamp), the current chain's full archive, or a full archive while any point of
// its chain stays.
QList<RetentionVerdict> ApplyRetention(
    const SetHistory& history, const RetentionPolicy& policy, const QStringList& pinned);

// The reasons as the words scripts read ("last,daily"; "policy" for a point that goes): never translated.
QString KeepReasonWords(KeepReasons reasons);

// What the policy keeps, in a sentence of the interface language for the set's properties: points of an archive
// set, or for a mirror set the versions of files its runs replaced or deleted.
QString DescribeRetentionPolicy(const RetentionPolicy& policy, bool mirror = false);

// Why a point is kept, in words of the interface language joined by commas ("daily, weekly"); for a point no
// rule keeps, says so.
QString KeepReasonText(KeepReasons reasons);
