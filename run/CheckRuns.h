#pragma once

// velmora-run --check: the sets whose backups have stopped happening, for a daily timer to tell the user of.

#include "BackupRuns.h"

#include <QString>
#include <QStringList>

// One line per overdue or failed set of the loaded collection, as of OverdueClock(): "NAME: overdue: no success
// since …" or "NAME: failed on …: REASON". 1 when there is any (after one desktop notification for them all,
// when notify), 0 when there is none.
ExitStatus CheckSets(bool notify);
// The lines CheckSets prints, for the sets loaded now.
QStringList CheckLines(QString* firstSetName = nullptr);
