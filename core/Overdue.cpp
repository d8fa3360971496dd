#include "Overdue.h"

namespace {

// The result keys a set file stores (as the engine writes them); core reads them without the engine.
bool isSuccessKey(const QString& key)
{
    return key == QLatin1String("done") || key == QLatin1String("warnings");
}

QTime scheduleTimeOf(const BackupSet& set)
{
    const QTime time = QTime::fromString(set.scheduleTime, QStringLiteral("HH:mm"));
    return time.isValid() ? time : QTime(0, 0);
}

// The daily or weekly run that a success at that moment belongs to: the latest scheduled time at or before it.
QDateTime slotAtOrBefore(const BackupSet& set, const QDateTime& moment)
{
    const QTime time = scheduleTimeOf(set);
    QDate day = moment.date();
    if (set.schedule == WeeklySchedule) {
        const int wanted = set.scheduleDay >= 1 && set.scheduleDay <= 7 ? set.scheduleDay : 1;
        day = day.addDays(-((day.dayOfWeek() - wanted + 7) % 7));
        QDateTime slot(day, time);
        return slot > moment ? QDateTime(day.addDays(-7), time) : slot;
    }
    QDateTime slot(day, time);
    return slot > moment ? QDateTime(day.addDays(-1), time) : slot;
}

// How far apart the runs of a scheduled set are.
qint64 periodDays(const BackupSet& set)
{
    return set.schedule == WeeklySchedule ? 7 : 1;
}

} // namespace

QDateTime ProgramClock()
{
    const QByteArray given = qgetenv("VELMORA_NOW");
    if (!given.isEmpty()) {
        const QDateTime now = QDateTime::fromString(QString::fromUtf8(given), Qt::ISODate);
        if (now.isValid())
            return now;
    }
    return QDateTime::currentDateTime();
}

QDateTime OverdueClock()
{
    return ProgramClock();
}

QDateTime LastSuccessTime(const BackupSet& set)
{
    if (isSuccessKey(set.lastResult)) {
        const QDateTime time = QDateTime::fromString(set.lastResultTime, Qt::ISODate);
        if (time.isValid())
            return time;
    }
    // Only the day is kept: its end, so that a success is never taken for older than it is.
    const QDate day = QDate::fromString(set.lastRun, QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? QDateTime(day, QTime(23, 59, 59)) : QDateTime();
}

bool IsOverdue(const BackupSet& set, const QDateTime& now, qint32 manualDays, const QDateTime& knownSince)
{
    const QDateTime success = LastSuccessTime(set);
    switch (set.schedule) {
    case HourlySchedule: {
        const QDateTime from = success.isValid() ? success : knownSince;
        return from.isValid() && from.secsTo(now) > qint64(2) * 3600;
    }
    case DailySchedule:
    case WeeklySchedule: {
        if (success.isValid()) {
            // The run after the one this success stands for was missed, and its grace is over.
            const QDateTime next = slotAtOrBefore(set, success).addDays(periodDays(set));
            return next.secsTo(now) > kOverdueGraceSeconds;
        }
        if (!knownSince.isValid())
            return false;
        // Never succeeded: overdue once the first run after the schedule was set is missed.
        const QDateTime first = slotAtOrBefore(set, knownSince).addDays(periodDays(set));
        return first.secsTo(now) > kOverdueGraceSeconds;
    }
    default:
        // A manual set that never ran is one the user has not started using yet.
        return manualDays > 0 && success.isValid() && success.addDays(manualDays) < now;
    }
}

SetAlarm SetAlarmOf(const BackupSet& set, const QDateTime& now, qint32 manualDays, const QDateTime& knownSince)
{
    if (set.lastResult == QLatin1String("failed"))
        return {SetAlarm::Failed, QDateTime::fromString(set.lastResultTime, Qt::ISODate)};
    if (IsOverdue(set, now, manualDays, knownSince))
        return {SetAlarm::Overdue, LastSuccessTime(set)};
    if (set.lastOffsiteResult == QLatin1String("failed"))
        return {SetAlarm::OffsiteFailed, QDateTime::fromString(set.lastResultTime, Qt::ISODate)};
    return {};
}
