#pragma once

// velmora-run's forms for a set's history: thinning it by its retention policy (--prune, with --dry-run to see
// what would go) and pinning a point so that no thinning ever removes it (--pin, --unpin).

#include "BackupRuns.h"

#include <QString>
#include <QStringList>

// One line per point of each set, "STAMP<TAB>kept|removed<TAB>REASON", with "== NAME" before each set's lines
// when there are several. A dry run changes nothing; a real one holds the store's lock. 1 when any removal
// failed or the lock could not be had.
ExitStatus PruneSets(const QStringList& setNames, bool several, bool dryRun, bool noWait);
// Adds the stamp to the set's pinned points, or takes it off. 2 for an unknown set or a stamp of another form,
// 1 when the stamp is no point of the set (for --unpin: and not pinned) or the set file could not be written.
ExitStatus PinPoint(const QString& name, const QString& stamp, bool pin);
