#include "RunTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

class ScheduleRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder("data");
        destination = folder("backup");
        systemctlLog = home.filePath("systemctl.log");
    }

    QString unitFile(const QString& name) const { return home.filePath(".config/systemd/user/" + name); }
    QStringList systemctlCalls() const
    {
        return QString::fromUtf8(readFile(systemctlLog)).split('\n', Qt::SkipEmptyParts);
    }

    QString source;
    QString destination;
};

TEST_F(ScheduleRun, InstallSchedulesWritesEveryTimerAndRemovesThoseOfUnscheduledSets)
{
    systemdRuns = true;
    writeSet(setOf("Мои документы", source, destination).withKeys("Schedule=2\nScheduleTime=21:30\n"));
    writeSet(setOf("By hand", source, destination));
    writeSet(setOf("Weekly; 100%", source, destination).withKeys("Schedule=3\nScheduleDay=5\nScheduleCatchUp=0\n"));

    const RunOutcome run = runVelmora({"--install-schedules"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    // The sets come in the collection's order, which is that of their files' names.
    EXPECT_EQ(run.output, "Weekly; 100%\tEvery week on Friday at 20:00\nМои документы\tEvery day at 21:30\n");
    const QString program = QFileInfo(VELMORA_RUN_PATH).absoluteFilePath();
    EXPECT_TRUE(QString::fromUtf8(readFile(unitFile("velmora-set-1.service")))
                    .contains("\nExecStart=" + program + " -- \"Мои документы\"\n"));
    EXPECT_TRUE(QString::fromUtf8(readFile(unitFile("velmora-set-3.service")))
                    .contains("\nExecStart=" + program + " -- \"Weekly; 100%%\"\n"));
    EXPECT_TRUE(
        readFile(unitFile("velmora-set-3.timer")).contains("\nOnCalendar=Fri *-*-* 20:00:00\nPersistent=false\n"));
    EXPECT_FALSE(QFileInfo::exists(unitFile("velmora-set-2.timer")));
    EXPECT_TRUE(readFile(unitFile("velmora-check.service")).contains(" --check\n"));
    EXPECT_EQ(systemctlCalls(),
        QStringList({"is-system-running", "daemon-reload",
            "enable --now velmora-set-3.timer velmora-set-1.timer velmora-check.timer"}));

    // The weekly set is made manual in its file: its units go, and so does its timer.
    writeFile(setFilePath("Weekly; 100%"), readFile(setFilePath("Weekly; 100%")).replace("Schedule=3", "Schedule=0"));
    QFile::remove(systemctlLog);
    EXPECT_EQ(runVelmora({"--install-schedules"}).exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(unitFile("velmora-set-3.service")));
    EXPECT_FALSE(QFileInfo::exists(unitFile("velmora-set-3.timer")));
    EXPECT_TRUE(QFileInfo::exists(unitFile("velmora-set-1.timer")));
    EXPECT_EQ(systemctlCalls(),
        QStringList({"is-system-running", "disable --now velmora-set-3.timer", "daemon-reload",
            "enable --now velmora-set-1.timer velmora-check.timer"}));
}

TEST_F(ScheduleRun, WithoutSystemdInstallSchedulesFailsAndGivesCrontabLines)
{
    writeSet(setOf("Docs", source, destination).withKeys("Schedule=1\n"));

    const RunOutcome run = runVelmora({"--install-schedules"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errorOutput.contains("There is no systemd user instance here")) << run.errorOutput.toStdString();
    const QString program = QFileInfo(VELMORA_RUN_PATH).absoluteFilePath();
    EXPECT_EQ(run.output, "Docs\tEvery hour\n0 * * * * '" + program + "' -- 'Docs'\n");
    EXPECT_EQ(systemctlCalls(), QStringList {"is-system-running"});

    for (const QStringList& misuse : {QStringList {"--install-schedules", "Docs"},
             QStringList {"--install-schedules", "--all"}, QStringList {"--list", "--install-schedules"}}) {
        const RunOutcome wrong = runVelmora(misuse);
        EXPECT_EQ(wrong.exitCode, 2) << misuse.join(' ').toStdString();
        EXPECT_TRUE(wrong.output.isEmpty());
    }
}

TEST_F(ScheduleRun, ListShowsEachSchedulesWordsAndNextRunFromSystemdOrTheSchedule)
{
    systemdRuns = true;
    listTimers = "Fri 2026-12-11 20:00:00 UTC 3 days left n/a n/a velmora-set-2.timer velmora-set-2.service\n";
    writeSet(setOf("Hand", source, destination));
    writeSet(setOf("Weekly", source, destination).withKeys("Schedule=3\nScheduleDay=5\n"));
    writeSet(setOf("Daily", source, destination).withKeys("Schedule=2\nScheduleTime=06:00\n"));

    const RunOutcome run = runVelmora({"--list"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.output.toStdString();
    // By their files' names: Daily, Hand, Weekly.
    // No timer of its own is known to systemd: the next run comes from the schedule.
    EXPECT_TRUE(
        QRegularExpression("\tnever\tEvery day at 06:00\t\\d{4}-\\d{2}-\\d{2} 06:00$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("\tnever\tManual\tnone")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith("\tEvery week on Friday at 20:00\t2026-12-11 20:00")) << lines[2].toStdString();
    EXPECT_EQ(systemctlCalls(), QStringList {"list-timers --all --no-legend --full velmora-set-*.timer"});
}

} // namespace
