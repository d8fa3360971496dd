#pragma once

// velmora-run's schedule forms: writing every set's timer again, and the schedule columns of --list.

#include "BackupRuns.h"

// Writes the timer units of every loaded set and has systemd take them up; prints the crontab lines to use
// instead where there is no systemd user instance. 0 when every timer is in place, 1 otherwise.
ExitStatus InstallSchedules();
// The schedule of each set in words and its next run ("2026-12-08 20:00", or "none"), in the order of the sets:
// systemd's next run where its timer knows one, otherwise the one the schedule gives from now. In English
// whatever the interface language, since scripts read them.
QList<QStringList> ScheduleColumns(const QList<BackupSet>& sets);
