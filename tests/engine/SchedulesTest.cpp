#include "Schedules.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

BackupSet scheduledSet(quint32 id, const QString& name, qint32 kind, const QString& time = "20:00", int day = 1)
{
    BackupSet set;
    set.id = id;
    set.name = name;
    set.schedule = kind;
    set.scheduleTime = time;
    set.scheduleDay = day;
    set.scheduleCatchUp = true;
    return set;
}

// Stands in for systemctl: records each call and answers as a user manager that is running, or as none.
class SystemctlRecorder
{
public:
    explicit SystemctlRecorder(bool systemdRuns = true)
    {
        SetSystemctl([this, systemdRuns](const QStringList& arguments) {
            calls.append(arguments.join(' '));
            SystemctlReply reply;
            reply.started = true;
            reply.exitCode = systemdRuns ? 0 : 1;
            if (arguments.value(0) == "is-system-running")
                reply.output = systemdRuns ? "running\n" : "offline\n";
            else if (arguments.value(0) == "list-timers")
                reply.output = listTimersOutput;
            return reply;
        });
    }
    ~SystemctlRecorder() { SetSystemctl({}); }

    QStringList calls;
    QString listTimersOutput;
};

QString systemdTool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

const QStringList kAwkwardNames {"Мои документы", "Photos 2026 (old), v1.0", "-dash & 'quote' \"double\"", ".hidden",
    "50% $HOME; rm \\x", "a/b", "carriage\rreturn", "line\nbreak\tand tab\x7f"};

TEST(SystemdEscape, NamesAreEscapedAsSystemdEscapeDoes)
{
    EXPECT_EQ(SystemdEscape("Мои док"), "\\xd0\\x9c\\xd0\\xbe\\xd0\\xb8\\x20\\xd0\\xb4\\xd0\\xbe\\xd0\\xba");
    EXPECT_EQ(SystemdEscape(".a.b/c-d:e_f"), "\\x2ea.b-c\\x2dd:e_f");
    const QString tool = systemdTool("systemd-escape");
    if (tool.isEmpty())
        GTEST_SKIP() << "systemd-escape is not installed: only the fixed cases were checked";
    for (const QString& name : kAwkwardNames) {
        QProcess process;
        process.start(tool, {"--", name});
        ASSERT_TRUE(process.waitForFinished());
        EXPECT_EQ(SystemdEscape(name), QString::fromUtf8(process.readAllStandardOutput()).trimmed())
            << name.toStdString();
    }
}

TEST(SystemdArgument, QuotesOnlyWhatSystemdWouldSplitOrExpand)
{
    EXPECT_EQ(SystemdArgument("/usr/bin/velmora-run"), "/usr/bin/velmora-run");
    EXPECT_EQ(SystemdArgument("--"), "--");
    EXPECT_EQ(SystemdArgument("Мои документы"), "\"Мои документы\"");
    // ";" alone would end a oneshot service's first command; "%" and "$" are specifiers and variables.
    EXPECT_EQ(SystemdArgument(";"), "\";\"");
    EXPECT_EQ(SystemdArgument("50%$x"), "\"50%%$$x\"");
    EXPECT_EQ(SystemdArgument("say \"hi\" \\ there"), "\"say \\\"hi\\\" \\\\ there\"");
    EXPECT_EQ(SystemdArgument(""), "\"\"");
    // A raw control character in a unit's line makes systemd refuse the unit.
    EXPECT_EQ(SystemdArgument("a\rb\nc\td"), "\"a\\x0db\\x0ac\\x09d\"");
}

TEST(ScheduleUnits, WeeklySetGetsAServiceRunningItsNameAndAPersistentTimer)
{
    BackupSet set = scheduledSet(7, "Мои документы", WeeklySchedule, "03:05", 7);
    EXPECT_EQ(ScheduleUnitBase(set), "velmora-set-7");
    EXPECT_EQ(ScheduleServiceText(set, "/opt/my apps/velmora-run"),
        "# Written by Velmora for the backup set Мои документы. Velmora rewrites or removes this file when the set "
        "changes; edit the set instead.\n"
        "[Unit]\nDescription=Velmora backup set Мои документы\n\n"
        "[Service]\nType=oneshot\nExecStart=\"/opt/my apps/velmora-run\" -- \"Мои документы\"\n");
    EXPECT_EQ(ScheduleTimerText(set),
        "# Written by Velmora for the backup set Мои документы. Velmora rewrites or removes this file when the set "
        "changes; edit the set instead.\n"
        "[Unit]\nDescription=Velmora backup set Мои документы, on its schedule\n\n"
        "[Timer]\nOnCalendar=Sun *-*-* 03:05:00\nPersistent=true\n\n"
        "[Install]\nWantedBy=timers.target\n");
}

TEST(ScheduleUnits, CalendarOfEachKindAndOfDamagedValues)
{
    EXPECT_EQ(ScheduleCalendar(scheduledSet(1, "a", ManualSchedule)), "");
    EXPECT_EQ(ScheduleCalendar(scheduledSet(1, "a", HourlySchedule)), "hourly");
    EXPECT_EQ(ScheduleCalendar(scheduledSet(1, "a", DailySchedule, "07:30")), "*-*-* 07:30:00");
    EXPECT_EQ(ScheduleCalendar(scheduledSet(1, "a", WeeklySchedule, "23:59", 3)), "Wed *-*-* 23:59:00");
    // What a hand-edited file may hold never makes a timer systemd refuses.
    EXPECT_EQ(ScheduleCalendar(scheduledSet(1, "a", WeeklySchedule, "25:99", 9)), "Mon *-*-* 20:00:00");
    BackupSet noCatchUp = scheduledSet(1, "a", DailySchedule);
    noCatchUp.scheduleCatchUp = false;
    EXPECT_TRUE(ScheduleTimerText(noCatchUp).contains("\nPersistent=false\n"));
}

TEST(ScheduleUnits, SystemdAcceptsTheUnitsOfEveryKindAndAwkwardName)
{
    const QString analyze = systemdTool("systemd-analyze");
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed: the unit files were not verified";
    TempHome home;
    // A program path with a blank, as an installation in a folder of the user's may have.
    const QString program = home.filePath("my apps/velmora-run");
    QDir().mkpath(QFileInfo(program).path());
    ASSERT_TRUE(QFile::copy("/bin/true", program));
    const QString folder = home.filePath("units");
    QDir().mkpath(folder);
    QStringList files;
    quint32 id = 1;
    for (const qint32 kind : {HourlySchedule, DailySchedule, WeeklySchedule}) {
        for (const QString& name : kAwkwardNames) {
            const BackupSet set = scheduledSet(id, name, kind, "06:45", int(id % 7) + 1);
            ++id;
            const QString base = folder + '/' + ScheduleUnitBase(set);
            writeFile(base + ".service", ScheduleServiceText(set, program).toUtf8());
            writeFile(base + ".timer", ScheduleTimerText(set).toUtf8());
            files << base + ".service" << base + ".timer";
        }
    }
    writeFile(folder + "/velmora-check.service", CheckServiceText(program).toUtf8());
    writeFile(folder + "/velmora-check.timer", CheckTimerText().toUtf8());
    files << folder + "/velmora-check.service" << folder + "/velmora-check.timer";

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(analyze, QStringList {"verify"} + files);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString said = QString::fromUtf8(process.readAll());
    if (said.contains("Failed to initialize manager"))
        GTEST_SKIP() << "systemd-analyze verify does not work here: " << said.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << said.toStdString();
    EXPECT_FALSE(said.contains(folder)) << "no complaint about any unit: " << said.toStdString();
}

TEST(ScheduleUnits, CrontabLinesQuoteForTheShellAndCron)
{
    EXPECT_EQ(ScheduleCrontabLine(scheduledSet(1, "it's 100%", WeeklySchedule, "04:09", 7), "/opt/v/velmora-run"),
        "9 4 * * 7 '/opt/v/velmora-run' -- 'it'\\''s 100\\%'");
    EXPECT_EQ(ScheduleCrontabLine(scheduledSet(1, "a", HourlySchedule), "/v"), "0 * * * * '/v' -- 'a'");
    EXPECT_EQ(ScheduleCrontabLine(scheduledSet(1, "a", DailySchedule, "23:00"), "/v"), "0 23 * * * '/v' -- 'a'");
    EXPECT_EQ(ScheduleCrontabLine(scheduledSet(1, "a", ManualSchedule), "/v"), "");
}

TEST(ScheduleUnits, AnEncryptedSetsPasswordFileGoesToItsTimersRunAndNoOtherSets)
{
    BackupSet set = scheduledSet(3, "Docs", DailySchedule, "23:00");
    set.passwordFile = "/home/me/pass word";
    EXPECT_TRUE(ScheduleServiceText(set, "/v").contains("\nExecStart=/v -- Docs\n")) << "not encrypted: not read";
    set.encrypt = true;
    EXPECT_TRUE(
        ScheduleServiceText(set, "/v").contains("\nExecStart=/v --password-file \"/home/me/pass word\" -- Docs\n"))
        << ScheduleServiceText(set, "/v").toStdString();
    EXPECT_EQ(ScheduleCrontabLine(set, "/v"), "0 23 * * * '/v' '--password-file' '/home/me/pass word' -- 'Docs'");
    // A mirror set copies files as they are, and needs no password.
    set.backupType = MirrorCopying;
    EXPECT_TRUE(ScheduleServiceText(set, "/v").contains("\nExecStart=/v -- Docs\n"));
}

TEST(ScheduleUnits, NextRunFollowsTheScheduleAcrossDaysAndWeeks)
{
    // Monday 7 December 2026, 22:10.
    const QDateTime now(QDate(2026, 12, 7), QTime(22, 10));
    EXPECT_FALSE(NextScheduledRun(scheduledSet(1, "a", ManualSchedule), now).isValid());
    EXPECT_EQ(NextScheduledRun(scheduledSet(1, "a", HourlySchedule), now), QDateTime(now.date(), QTime(23, 0)));
    EXPECT_EQ(
        NextScheduledRun(scheduledSet(1, "a", DailySchedule, "22:11"), now), QDateTime(now.date(), QTime(22, 11)));
    EXPECT_EQ(NextScheduledRun(scheduledSet(1, "a", DailySchedule, "22:10"), now),
        QDateTime(QDate(2026, 12, 8), QTime(22, 10)));
    EXPECT_EQ(NextScheduledRun(scheduledSet(1, "a", WeeklySchedule, "08:00", 1), now),
        QDateTime(QDate(2026, 12, 14), QTime(8, 0)));
    EXPECT_EQ(
        NextScheduledRun(scheduledSet(1, "a", WeeklySchedule, "23:00", 1), now), QDateTime(now.date(), QTime(23, 0)));
    EXPECT_EQ(NextScheduledRun(scheduledSet(1, "a", WeeklySchedule, "00:30", 2), now),
        QDateTime(QDate(2026, 12, 8), QTime(0, 30)));
}

TEST(ScheduleUnits, NextRunsAreReadFromListTimers)
{
    SystemctlRecorder systemctl;
    systemctl.listTimersOutput
        = "Tue 2026-12-08 20:00:00 UTC 21h left Mon 2026-12-07 20:00:05 UTC 2h ago velmora-set-3.timer "
          "velmora-set-3.service\n"
          "-                           -          -                           -      velmora-set-4.timer "
          "velmora-set-4.service\n";
    const QMap<QString, QDateTime> next = TimerNextRuns();
    EXPECT_EQ(next.keys(), QStringList {"velmora-set-3"});
    EXPECT_EQ(next.value("velmora-set-3"), QDateTime(QDate(2026, 12, 8), QTime(20, 0)));
    EXPECT_EQ(systemctl.calls, QStringList {"list-timers --all --no-legend --full velmora-set-*.timer"});
}

class UpdateSchedulesTest : public ::testing::Test
{
protected:
    QString unitFile(const QString& name) const { return home.filePath(".config/systemd/user/" + name); }
    QStringList unitFiles() const
    {
        return QDir(home.filePath(".config/systemd/user")).entryList(QDir::Files, QDir::Name);
    }

    TempHome home;
    const QString program = "/opt/velmora/velmora-run";
};

TEST_F(UpdateSchedulesTest, WritesTheScheduledSetsUnitsAndEnablesTheirTimers)
{
    SystemctlRecorder systemctl;
    const ScheduleUpdate update = UpdateSchedules(
        {scheduledSet(3, "Daily docs", DailySchedule), scheduledSet(4, "by hand", ManualSchedule)}, program);

    EXPECT_EQ(UserUnitFolder(), home.filePath(".config/systemd/user"));
    EXPECT_EQ(unitFiles(),
        QStringList({"velmora-check.service", "velmora-check.timer", "velmora-set-3.service", "velmora-set-3.timer"}));
    EXPECT_EQ(QString::fromUtf8(readFile(unitFile("velmora-set-3.timer"))),
        ScheduleTimerText(scheduledSet(3, "Daily docs", DailySchedule)));
    EXPECT_TRUE(readFile(unitFile("velmora-check.service")).contains("\nExecStart=/opt/velmora/velmora-run --check\n"));
    EXPECT_EQ(systemctl.calls,
        QStringList({"is-system-running", "daemon-reload", "enable --now velmora-set-3.timer velmora-check.timer"}));
    EXPECT_TRUE(update.problems.isEmpty()) << update.problems.join('\n').toStdString();
    EXPECT_FALSE(update.noSystemd);
    EXPECT_TRUE(update.crontabLines.isEmpty());

    // Nothing changed: nothing is written and no timer restarted.
    systemctl.calls.clear();
    EXPECT_TRUE(UpdateSchedules({scheduledSet(3, "Daily docs", DailySchedule)}, program).written.isEmpty());
    EXPECT_EQ(systemctl.calls,
        QStringList({"is-system-running", "daemon-reload", "enable --now velmora-set-3.timer velmora-check.timer"}));
}

TEST_F(UpdateSchedulesTest, RenameRewritesInPlaceUnscheduleAndDeleteRemoveOnlyVelmorasUnits)
{
    SystemctlRecorder systemctl;
    UpdateSchedules({scheduledSet(3, "Docs", DailySchedule), scheduledSet(5, "Photos", HourlySchedule),
                        scheduledSet(6, "Music", WeeklySchedule)},
        program);
    // A unit of the user's own that happens to have a name like Velmora's, and an unrelated one.
    writeFile(unitFile("velmora-set-99.service"), "[Service]\nExecStart=/bin/true\n");
    writeFile(unitFile("mine.timer"), "[Timer]\nOnCalendar=daily\n");
    // Without systemd a removed timer's link would stay behind.
    QDir().mkpath(unitFile("timers.target.wants"));
    QFile::link(unitFile("velmora-set-6.timer"), unitFile("timers.target.wants/velmora-set-6.timer"));

    systemctl.calls.clear();
    // Docs is renamed and runs at another time, Photos is now run by hand, Music is deleted.
    const ScheduleUpdate update = UpdateSchedules(
        {scheduledSet(3, "Documents", DailySchedule, "21:00"), scheduledSet(5, "Photos", ManualSchedule)}, program);

    EXPECT_EQ(unitFiles(),
        QStringList({"mine.timer", "velmora-check.service", "velmora-check.timer", "velmora-set-3.service",
            "velmora-set-3.timer", "velmora-set-99.service"}));
    EXPECT_TRUE(
        readFile(unitFile("velmora-set-3.service")).contains("ExecStart=/opt/velmora/velmora-run -- Documents\n"));
    EXPECT_TRUE(readFile(unitFile("velmora-set-3.timer")).contains("OnCalendar=*-*-* 21:00:00\n"));
    EXPECT_FALSE(QFileInfo(unitFile("timers.target.wants/velmora-set-6.timer")).isSymLink());
    EXPECT_EQ(update.removed,
        QStringList({"velmora-set-5.service", "velmora-set-5.timer", "velmora-set-6.service", "velmora-set-6.timer"}));
    EXPECT_EQ(systemctl.calls,
        QStringList({"is-system-running", "disable --now velmora-set-5.timer velmora-set-6.timer", "daemon-reload",
            "enable --now velmora-set-3.timer velmora-check.timer", "restart velmora-set-3.timer"}));
}

TEST_F(UpdateSchedulesTest, WithoutSystemdTheUnitsAreWrittenAndCrontabLinesGiven)
{
    SystemctlRecorder systemctl(false);
    const ScheduleUpdate update = UpdateSchedules(
        {scheduledSet(3, "Docs", DailySchedule, "01:02"), scheduledSet(4, "Hand", ManualSchedule)}, program);

    EXPECT_TRUE(update.noSystemd);
    EXPECT_EQ(update.crontabLines, QStringList {"2 1 * * * '/opt/velmora/velmora-run' -- 'Docs'"});
    EXPECT_EQ(systemctl.calls, QStringList {"is-system-running"}) << "nothing else is asked of a missing systemd";
    EXPECT_TRUE(QFileInfo::exists(unitFile("velmora-set-3.timer")));
    EXPECT_TRUE(update.problems.isEmpty());
}

TEST_F(UpdateSchedulesTest, FailuresAreReportedWithTheCommandAndWhatItSaid)
{
    SetSystemctl([](const QStringList& arguments) {
        SystemctlReply reply;
        reply.started = true;
        reply.exitCode = arguments.value(0) == "enable" ? 1 : 0;
        reply.output = arguments.value(0) == "is-system-running" ? "degraded\n" : "";
        if (reply.exitCode != 0)
            reply.errorOutput = "Failed to enable unit: Access denied\n";
        return reply;
    });
    const ScheduleUpdate update = UpdateSchedules({scheduledSet(3, "Docs", DailySchedule)}, program);
    SetSystemctl({});

    EXPECT_FALSE(update.noSystemd) << "a degraded user manager still runs timers";
    EXPECT_EQ(update.problems,
        QStringList {"'systemctl --user enable --now velmora-set-3.timer velmora-check.timer' failed: Failed to "
                     "enable unit: Access denied"});
}

} // namespace
