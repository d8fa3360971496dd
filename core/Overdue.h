#pragma once

// Whether a set's backups have stopped happening: its last success older than its schedule allows, or its last
// run failed. The window marks such sets, velmora-run --check reports them.

#include "BackupSet.h"

#include <QDateTime>
#include <QString>

// How long past a missed run a set is given before it counts as overdue: a run may be late or take a while.
inline constexpr qint64 kOverdueGraceSeconds = 3600;
// How many days a manual set may go without a success before it is overdue, when the options say nothing.
inline constexpr qint32 kDefaultManualOverdueDays = 7;

// The time now as the program sees it: the clock, or the moment VELMORA_NOW gives (ISO 8601), so that a check can
// be made, and a run stamped, as of another time without waiting for it.
QDateTime ProgramClock();
// The same, for every overdue check.
QDateTime OverdueClock();

// When the set last succeeded (done, or done with warnings): the time of that result where the set keeps it,
// otherwise the end of its last-run day; invalid for a set that never succeeded.
QDateTime LastSuccessTime(const BackupSet& set);

// Whether the set is overdue at that time. Hourly sets are after two hours without a success; daily and weekly
// sets when the run after the one their last success belongs to was missed, by more than the grace; manual sets
// after manualDays days (0: never). A set that never succeeded is overdue only when scheduled, counted from
// knownSince (when the schedule was last saved; invalid when unknown, which leaves it not overdue).
bool IsOverdue(const BackupSet& set, const QDateTime& now, qint32 manualDays, const QDateTime& knownSince = {});

// What is wrong with a set: nothing, overdue, or failed (its last run failed, which outranks overdue).
struct SetAlarm
{
    enum Kind
    {
        None,
        Overdue,
        Failed,
        // The backup was made here, but its off-site copy failed.
        OffsiteFailed,
    };
    Kind kind = None;
    // Overdue: the last success (invalid for never). Failed and OffsiteFailed: when the run ended.
    QDateTime since;
};

SetAlarm SetAlarmOf(const BackupSet& set, const QDateTime& now, qint32 manualDays, const QDateTime& knownSince = {});
