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

QMap<quint32, QStringList> ScheduleColumns(const QList<BackupSet>& sets)
{
    const bool anyScheduled
        = std::any_of(sets.cbegin(), sets.cend(), [](const BackupSet& set) { return set.schedule != ManualSchedule; });
    // Only a scheduled set has a timer to ask systemd about.
    const QMap<QString, QDateTime> timers = anyScheduled ? TimerNextRuns() : QMap<QString, QDateTime>();
    const QDateTime now = QDateTime::currentDateTime();
    QMap<quint32, QStringList> columns;
    for (const BackupSet& set : sets) {
        QDateTime next = timers.value(ScheduleUnitBase(set));
        if (!next.isValid())
            next = NextScheduledRun(set, now);
        columns.insert(set.id,
            {ScheduleWords(set, EnglishStringById),
                next.isValid() ? next.toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                               : EnglishStringById(StringId::NoNextRun)});
    }
    return columns;
}
