#include "Overdue.h"

#include <gtest/gtest.h>

namespace {

const QDateTime kMonday10(QDate(2026, 12, 7), QTime(10, 0));

BackupSet setWith(qint32 schedule, const QString& resultTime, const QString& result = QStringLiteral("done"))
{
    BackupSet set;
    set.schedule = schedule;
    set.scheduleTime = QStringLiteral("02:00");
    set.scheduleDay = 3;
    set.lastResult = result;
    set.lastResultTime = resultTime;
    if (result == QLatin1String("done") || result == QLatin1String("warnings"))
        set.lastRun = resultTime.left(10);
    return set;
}

QDateTime at(const QString& text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

} // namespace

TEST(OverdueTest, HourlySetsHaveTwoHours)
{
    const BackupSet set = setWith(HourlySchedule, QStringLiteral("2026-12-07T08:30:00"));
    EXPECT_FALSE(IsOverdue(set, at("2026-12-07T10:30:00"), 7));
    EXPECT_TRUE(IsOverdue(set, at("2026-12-07T10:30:01"), 7));
}

TEST(OverdueTest, DailySetsMayMissNoRunBeyondTheGrace)
{
    // Ran late (at 09:00, catching up the 02:00 run): the next run is the next day at 02:00, its grace ends at 03:00.
    const BackupSet set = setWith(DailySchedule, QStringLiteral("2026-12-07T09:00:00"));
    EXPECT_FALSE(IsOverdue(set, at("2026-12-08T03:00:00"), 7));
    EXPECT_TRUE(IsOverdue(set, at("2026-12-08T03:00:01"), 7));
    // A success just before the scheduled time belongs to the day before.
    const BackupSet early = setWith(DailySchedule, QStringLiteral("2026-12-07T01:59:00"));
    EXPECT_TRUE(IsOverdue(early, at("2026-12-07T03:01:00"), 7));
    // The manual days do not apply to a scheduled set.
    EXPECT_FALSE(IsOverdue(set, at("2026-12-08T02:30:00"), 0));
}

TEST(OverdueTest, WeeklySetsHaveSevenDaysFromTheirDay)
{
    // Wednesday 2026-12-09 is the day; a success on Friday belongs to Wednesday's run.
    const BackupSet set = setWith(WeeklySchedule, QStringLiteral("2026-12-11T12:00:00"));
    EXPECT_FALSE(IsOverdue(set, at("2026-12-16T03:00:00"), 7));
    EXPECT_TRUE(IsOverdue(set, at("2026-12-16T03:00:01"), 7));
}

TEST(OverdueTest, ManualSetsFollowTheOptionAndZeroTurnsItOff)
{
    const BackupSet set = setWith(ManualSchedule, QStringLiteral("2026-11-30T09:00:00"));
    EXPECT_FALSE(IsOverdue(set, at("2026-12-07T09:00:00"), 7));
    EXPECT_TRUE(IsOverdue(set, at("2026-12-07T09:00:01"), 7));
    EXPECT_FALSE(IsOverdue(set, at("2027-12-07T09:00:00"), 0));
}

TEST(OverdueTest, ASuccessKnownOnlyByItsDayCountsFromTheDaysEnd)
{
    BackupSet set = setWith(ManualSchedule, QString(), QStringLiteral("failed"));
    set.lastRun = QStringLiteral("2026-11-30");
    EXPECT_EQ(LastSuccessTime(set), at("2026-11-30T23:59:59"));
    EXPECT_FALSE(IsOverdue(set, at("2026-12-07T23:59:59"), 7));
    EXPECT_TRUE(IsOverdue(set, at("2026-12-08T00:00:00"), 7));
}

TEST(OverdueTest, SetsThatNeverSucceeded)
{
    BackupSet manual;
    EXPECT_FALSE(IsOverdue(manual, kMonday10.addYears(5), 7));
    // Scheduled, saved at 10:00: the first run is the next day at 02:00.
    BackupSet daily = setWith(DailySchedule, QString(), QString());
    EXPECT_FALSE(IsOverdue(daily, at("2026-12-08T03:00:00"), 7, kMonday10));
    EXPECT_TRUE(IsOverdue(daily, at("2026-12-08T03:00:01"), 7, kMonday10));
    // When the schedule was set is not known: no alarm from a guess.
    EXPECT_FALSE(IsOverdue(daily, kMonday10.addYears(1), 7));
}

TEST(OverdueTest, AFailedRunOutranksOverdue)
{
    BackupSet set = setWith(DailySchedule, QStringLiteral("2026-12-01T02:05:00"), QStringLiteral("failed"));
    set.lastRun = QStringLiteral("2026-11-20");
    const SetAlarm alarm = SetAlarmOf(set, kMonday10, 7);
    EXPECT_EQ(alarm.kind, SetAlarm::Failed);
    EXPECT_EQ(alarm.since, at("2026-12-01T02:05:00"));
    set.lastResult = QStringLiteral("stopped");
    EXPECT_EQ(SetAlarmOf(set, kMonday10, 7).kind, SetAlarm::Overdue);
    EXPECT_EQ(SetAlarmOf(set, kMonday10, 7).since, at("2026-11-20T23:59:59"));
}

TEST(OverdueTest, TheClockCanBeGivenForACheck)
{
    qputenv("VELMORA_NOW", "2030-01-02T03:04:05");
    EXPECT_EQ(OverdueClock(), at("2030-01-02T03:04:05"));
    qunsetenv("VELMORA_NOW");
    EXPECT_LE(qAbs(OverdueClock().secsTo(QDateTime::currentDateTime())), 5);
}
