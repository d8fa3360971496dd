#pragma once

// A set's schedule as systemd user timers: the unit files written for it, keeping them in step with the sets,
// the calls of `systemctl --user` (all through one replaceable function), and the crontab lines for machines
// without a systemd user instance.

#include "BackupSet.h"
#include "StringTable.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// What one `systemctl --user` call gave: whether systemctl could be started at all, its exit code and output.
struct SystemctlReply
{
    bool started = false;
    int exitCode = -1;
    QString output;
    QString errorOutput;

    bool succeeded() const { return started && exitCode == 0; }
};

// Runs `systemctl --user ARGUMENTS` and waits for it. The one way the program reaches systemctl.
using SystemctlCall = std::function<SystemctlReply(const QStringList& arguments)>;
SystemctlReply CallSystemctl(const QStringList& arguments);
// Tests only: puts a test's recorder in place of the real systemctl; an empty function brings the real one back.
void SetSystemctl(SystemctlCall call);

// A text as `systemd-escape` makes it safe for a unit name: letters, digits, ":" and "_" (and "." past the
// first character) stay, "/" becomes "-", every other byte of its UTF-8 form is "\xNN".
QString SystemdEscape(const QString& text);
// An argument of an Exec line, quoted so systemd gives the program exactly this text ("%" and "$" doubled).
QString SystemdArgument(const QString& argument);

// The units' base name of a set ("velmora-set-ID"): by the set's id, which a rename keeps, so renaming a set
// rewrites its units in place instead of leaving the old ones behind.
QString ScheduleUnitBase(const BackupSet& set);
inline const QString kCheckUnitBase = QStringLiteral("velmora-check");
// The first line of every unit file Velmora writes; only files that start with it are ever removed.
inline const QString kUnitMarker = QStringLiteral("# Written by Velmora");

// The OnCalendar= value of a scheduled set; empty for a manual one.
QString ScheduleCalendar(const BackupSet& set);
// The unit texts of a scheduled set, running velmora-run at runProgram for it.
QString ScheduleServiceText(const BackupSet& set, const QString& runProgram);
QString ScheduleTimerText(const BackupSet& set);
// The daily check of every set: velmora-run --check.
QString CheckServiceText(const QString& runProgram);
QString CheckTimerText();
// The crontab line that runs the set on its schedule where there is no systemd; empty for a manual set.
QString ScheduleCrontabLine(const BackupSet& set, const QString& runProgram);

// The set's schedule as a person reads it ("Every day at 20:00"), in the interface language unless another
// source of the table's texts is given (EnglishStringById for what scripts read).
QString ScheduleWords(const BackupSet& set, QString (*textOf)(int) = LoadStringById);
// The first moment after now at which the schedule runs the set; invalid for a manual set.
QDateTime NextScheduledRun(const BackupSet& set, const QDateTime& now);

// Where the user's own units are: $XDG_CONFIG_HOME/systemd/user, else ~/.config/systemd/user.
QString UserUnitFolder();
// velmora-run beside the running program (the window and velmora-run are installed side by side).
QString VelmoraRunPath();

// What keeping the units in step did.
struct ScheduleUpdate
{
    // No systemctl, or no systemd user instance to talk to: the units were written but nothing runs them.
    bool noSystemd = false;
    // For a crontab in that case, one line per scheduled set.
    QStringList crontabLines;
    // Every problem, each one sentence naming its file or command.
    QStringList problems;
    // The unit files written (changed or new) and removed, by file name.
    QStringList written;
    QStringList removed;
};

// Writes the units of every scheduled set and of the daily check into the user's unit folder (each file only
// when its text changed, atomically), removes the units Velmora wrote for sets no longer scheduled or gone,
// and has systemd follow: disable the removed timers, reload, enable and start the others, restart the
// changed ones.
ScheduleUpdate UpdateSchedules(const QList<BackupSet>& sets, const QString& runProgram);

// The next run of each Velmora timer that systemd knows, by unit base name, from `systemctl --user list-timers`.
// Empty when systemd cannot say.
QMap<QString, QDateTime> TimerNextRuns();
