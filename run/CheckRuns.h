#pragma once

// velmora-run --check: the sets whose backups have stopped happening, for a daily timer to tell the user of.

#include "BackupRuns.h"
#include "Overdue.h"
#include "ScheduledPasswords.h"

#include <QString>
#include <QStringList>

// One line per overdue or failed set of the loaded collection, as of OverdueClock(): "NAME: overdue: no success
// since …" or "NAME: failed on …: REASON". 1 when there is any (after one desktop notification for them all,
// when notify), 0 when there is none.
ExitStatus CheckSets(bool notify);
// A loaded set that needs the user, and why.
struct CheckFinding
{
    QString setName;
    SetAlarm alarm;
    QString lastResultReason;
    QString lastOffsiteReason;
    ScheduledPasswordReason password;
};
// The sets loaded now that are overdue, failed, not copied off site, or scheduled without a password to be found.
QList<CheckFinding> CheckFindings();
// One line per reason of each finding, "NAME: REASON", with the table's texts from textOf.
QStringList CheckLines(const QList<CheckFinding>& findings, QString (*textOf)(int));
