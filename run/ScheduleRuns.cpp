#include "ScheduleRuns.h"

#include "ResourceIds.h"
#include "Schedules.h"
#include "SetCollection.h"
#include "StringTable.h"
#include "Terminal.h"

#include <QMutexLocker>

ExitStatus InstallSchedules()
{
    QList<BackupSet> sets;
    {
        QMutexLocker lock(&backupSetsMutex());
        sets = backupSets;
    }
    const ScheduleUpdate update = UpdateSchedules(sets, VelmoraRunPath());
    for (const BackupSet& set : std::as_const(sets)) {
        if (set.schedule != ManualSchedule)
            PrintLine(QStringLiteral("%1\t%2").arg(set.name, ScheduleWords(set)));
    }
    for (const QString& problem : update.problems)
        PrintErrorLine(problem);
    if (update.noSystemd) {
        PrintErrorLine(LoadStringById(StringId::NoSystemdUser));
        for (const QString& line : update.crontabLines)
            PrintLine(line);
    }
    return update.noSystemd || !update.problems.isEmpty() ? ExitSomeFailed : ExitAllSucceeded;
}

QList<QStringList> ScheduleColumns(const QList<BackupSet>& sets)
{
    const bool anyScheduled
        = std::any_of(sets.cbegin(), sets.cend(), [](const BackupSet& set) { return set.schedule != ManualSchedule; });
    // Only a scheduled set has a timer to ask systemd about.
    const QMap<QString, QDateTime> timers = anyScheduled ? TimerNextRuns() : QMap<QString, QDateTime>();
    const QDateTime now = QDateTime::currentDateTime();
    // Without a timer to ask, a set that is not scheduled has the same columns as every other such set: made
    // once, shared by all.
    const QStringList unscheduled {EnglishStringById(StringId::ScheduleManual), EnglishStringById(StringId::NoNextRun)};
    QList<QStringList> columns;
    columns.reserve(sets.size());
    for (const BackupSet& set : sets) {
        const bool scheduled
            = set.schedule == HourlySchedule || set.schedule == DailySchedule || set.schedule == WeeklySchedule;
        if (!scheduled && timers.isEmpty()) {
            columns.append(unscheduled);
            continue;
        }
        QDateTime next = timers.value(ScheduleUnitBase(set));
        if (!next.isValid())
            next = NextScheduledRun(set, now);
        columns.append({ScheduleWords(set, EnglishStringById),
            next.isValid() ? next.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                           : EnglishStringById(StringId::NoNextRun)});
    }
    return columns;
}
