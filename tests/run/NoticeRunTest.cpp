#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

namespace {

// velmora-run under a notification service of the test's own, on a session bus of its own.
class NoticeRun : public RunFixture
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-run-session")).isEmpty())
            GTEST_SKIP() << "dbus-run-session is missing (Debian: dbus-daemon; scripts/setup.sh installs it)";
        destination = folder(QStringLiteral("backup"));
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}});
    }

    RunOutcome runWithService(const QStringList& arguments,
        const QString& capabilities = QStringLiteral("actions,body"),
        const QString& program = QStringLiteral(VELMORA_RUN_PATH))
    {
        QProcess process;
        QProcessEnvironment environment = childEnvironment();
        for (const auto& [name, value] : std::as_const(extraEnvironment))
            environment.insert(name, value);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(home.path());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral("dbus-run-session"),
            QStringList {
                QStringLiteral("--"), QStringLiteral(VELMORA_NOTICE_SERVER), recordFile(), capabilities, program}
                + arguments);
        EXPECT_TRUE(process.waitForStarted());
        return finish(process);
    }

    QString recordFile() const { return home.filePath(QStringLiteral("notices.jsonl")); }

    QList<QJsonObject> notices() const
    {
        QList<QJsonObject> list;
        for (const QByteArray& line : readFile(recordFile()).split('\n')) {
            if (!line.isEmpty())
                list.append(QJsonDocument::fromJson(line).object());
        }
        return list;
    }

    // A set file as the window writes one, with these keys added.
    void writeSetWith(const SetFile& set, const QByteArray& keys)
    {
        writeSet(set);
        QFile file(setFilePath(set.name));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(keys);
    }

    QString missingSource() const { return home.filePath(QStringLiteral("media/disk/Docs")); }

    QList<std::pair<QString, QString>> extraEnvironment;
    QString destination;
    QString source;
};

TEST_F(NoticeRun, AFailedSetSendsOneNoticeWithItsNameAndReason)
{
    writeSet(setOf("Unplugged", missingSource(), destination));
    writeSet(setOf("Good", source, destination, FullArchiving, "good"));

    const RunOutcome run = runWithService({"--all"});

    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString() << run.errorOutput.toStdString();
    const QList<QJsonObject> sent = notices();
    ASSERT_EQ(sent.size(), 1);
    const QJsonObject& notice = sent.constFirst();
    EXPECT_EQ(notice["summary"].toString(), "Backup set 'Unplugged' failed");
    EXPECT_EQ(notice["body"].toString(),
        "the source folder '" + missingSource() + "' does not exist or is not a folder. Nothing was changed.");
    EXPECT_EQ(notice["app"].toString(), "Velmora");
    // The service offers actions: the notice has a default one, and names the set and the program it belongs to.
    EXPECT_EQ(notice["actions"].toArray(), QJsonArray({"default", "Show the log"}));
    EXPECT_EQ(notice["hints"]["desktop-entry"].toString(), "com.quorvane.Velmora");
    EXPECT_EQ(notice["icon"].toString(), "com.quorvane.Velmora");
    EXPECT_EQ(notice["hints"]["x-velmora-set"].toString(), "Unplugged");
    // The bus itself may say something of its limits; velmora-run has nothing to add.
    EXPECT_FALSE(run.errorOutput.contains("velmora-run")) << run.errorOutput.toStdString();
}

TEST_F(NoticeRun, SeveralSetsNeedingTheUserMakeOneNoticeInTheInterfaceLanguage)
{
    writeSettings("LangID=1");
    writeSet(setOf("Unplugged", missingSource(), destination));
    writeSet(setOf("Elsewhere", home.filePath("nowhere"), destination, FullArchiving, "elsewhere"));

    // No actions offered: none asked for.
    const RunOutcome run = runWithService({"Unplugged", "Elsewhere"}, QStringLiteral("body"));

    EXPECT_EQ(run.exitCode, 1);
    const QList<QJsonObject> sent = notices();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0]["summary"].toString(), QString::fromUtf8("Наборы требуют внимания: Unplugged, Elsewhere"));
    const QStringList lines = sent[0]["body"].toString().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Unplugged: ") && lines[0].contains(missingSource())) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("Elsewhere: ") && lines[1].contains(home.filePath("nowhere")));
    EXPECT_TRUE(sent[0]["actions"].toArray().isEmpty());
}

TEST_F(NoticeRun, ASuccessOrNoNotifySendsNothing)
{
    writeSet(setOf("Good", source, destination));
    EXPECT_EQ(runWithService({"Good"}).exitCode, 0);
    writeSet(setOf("Unplugged", missingSource(), destination, FullArchiving, "unplugged"));
    EXPECT_EQ(runWithService({"--no-notify", "Unplugged"}).exitCode, 1);
    EXPECT_TRUE(notices().isEmpty());
}

// A copy of velmora-run beside a window program that only notes how it was started: a click must start it even
// after the run has ended, since the notice's waiter outlives velmora-run.
TEST_F(NoticeRun, AClickAfterTheRunEndedOpensTheWindowOnTheSetsLog)
{
    const QString programs = folder(QStringLiteral("programs"));
    const QString copy = programs + "/velmora-run";
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELMORA_RUN_PATH), copy));
    ASSERT_TRUE(QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString started = home.filePath("window-started");
    writeScript(programs + "/velmora", "printf '%s\\n' \"$@\" > '" + started.toUtf8() + "'\n");
    writeSet(setOf("Unplugged", missingSource(), destination));

    // The service answers only once velmora-run has ended, and fails when the waiter does not leave after it.
    const RunOutcome clicked = runWithService({"Unplugged"}, QStringLiteral("actions,body,x-test-click"), copy);
    EXPECT_EQ(clicked.exitCode, 1) << clicked.errorOutput.toStdString();
    ASSERT_EQ(notices().size(), 1);
    EXPECT_EQ(notices()[0]["actions"].toArray(), QJsonArray({"default", "Show the log"}));
    // The window program is started detached and may still be writing its note.
    const QDeadlineTimer patience(10000);
    while (!readFile(started).endsWith('\n') && !patience.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(readFile(started), "--show-log\nUnplugged\n");

    // Closed without a click: the waiter goes and opens nothing.
    QFile::remove(started);
    const RunOutcome closed = runWithService({"Unplugged"}, QStringLiteral("actions,x-test-close"), copy);
    EXPECT_EQ(closed.exitCode, 1) << closed.errorOutput.toStdString();
    EXPECT_EQ(notices().size(), 2);
    EXPECT_FALSE(QFile::exists(started));
}

// A timer's run: the waiter asks systemd's user manager for a scope of its own before the service ends.
TEST_F(NoticeRun, InsideASystemdUnitTheWaiterMovesIntoAScopeOfItsOwn)
{
    writeSet(setOf("Unplugged", missingSource(), destination));
    extraEnvironment.append({QStringLiteral("INVOCATION_ID"), QStringLiteral("0123456789abcdef0123456789abcdef")});

    const RunOutcome run = runWithService({"Unplugged"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(notices().size(), 1);
    const QList<QByteArray> calls = readFile(recordFile() + ".units").split('\n');
    ASSERT_GE(calls.size(), 1);
    const QJsonObject call = QJsonDocument::fromJson(calls.constFirst()).object();
    EXPECT_EQ(call["signature"].toString(), "ssa(sv)a(sa(sv))");
    EXPECT_EQ(call["mode"].toString(), "fail");
    const QJsonArray pids = call["properties"]["PIDs"].toArray();
    ASSERT_EQ(pids.size(), 1);
    EXPECT_EQ(call["unit"].toString(), QStringLiteral("velmora-notice-%1.scope").arg(pids[0].toInteger()));
}

// The backup here is made, but the copy meant to survive this computer is not: status 3, a notice that says which
// copy is missing, and the set among those --check names.
TEST_F(NoticeRun, AFailedOffsiteCopyEndsWithThreeAndTheNoticeAndCheckSaySo)
{
    // Nothing listens on port 1 of the loopback address.
    writeSetWith(
        setOf("Away", source, destination, FullArchiving, "away"), "Offsite=ssh://velmora@127.0.0.1:1/backups\n");

    const RunOutcome run = runWithService({"Away"});

    EXPECT_EQ(run.exitCode, 3) << run.output.toStdString() << run.errorOutput.toStdString();
    EXPECT_TRUE(QFileInfo::exists(destination + "/away.7z"));
    EXPECT_TRUE(run.output.contains("\n== Away: Done here, off-site copy failed: ")) << run.output.toStdString();
    const QList<QJsonObject> sent = notices();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0]["summary"].toString(), "Backup set 'Away' was not copied off site");
    EXPECT_TRUE(sent[0]["body"].toString().startsWith("Done here, off-site copy failed: "));

    const RunOutcome check = runVelmora({"--check", "--no-notify"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.output.startsWith("Away: the off-site copy failed at ")) << check.output.toStdString();
}

TEST_F(NoticeRun, WithoutASessionBusTheRunEndsAsAlwaysWithOneLineAtMost)
{
    writeSet(setOf("Unplugged", missingSource(), destination));
    // The test's environment has no bus address, and its runtime folder no bus socket.
    const RunOutcome run = runVelmora({"Unplugged"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errorOutput, "velmora-run: no desktop notification: there is no session bus.\n");
}

TEST_F(NoticeRun, CheckReportsOverdueFailedAndNeverRunSetsAndNotifies)
{
    const QDateTime now = QDateTime::currentDateTime().addDays(3);
    extraEnvironment.append({"VELMORA_NOW", now.toString(Qt::ISODate)});
    const auto at = [&](qint64 hoursBefore) { return now.addSecs(-hoursBefore * 3600).toString(Qt::ISODate).toUtf8(); };
    writeSetWith(setOf("Fresh", source, destination),
        "Schedule=2\nScheduleTime=02:00\nLastResult=done\nLastResultTime=" + at(2) + "\n");
    writeSetWith(setOf("Manual", source, destination), "LastResult=done\nLastResultTime=" + at(24) + "\n");
    // Scheduled but never run: it was saved three days before the check, and missed its first run.
    writeSetWith(setOf("Never", source, destination), "Schedule=1\n");
    writeSetWith(setOf("Stale", source, destination),
        "Schedule=2\nScheduleTime=02:00\nLastResult=done\nLastResultTime=" + at(24 * 4) + "\n");
    writeSetWith(setOf("Broken", source, destination),
        "LastResult=failed\nLastResultTime=2026-12-05T02:00:07\nLastResultReason=the disk is full.\n");

    const RunOutcome run = runWithService({"--check"});

    EXPECT_EQ(run.exitCode, 1) << run.errorOutput.toStdString();
    const QString staleSince = now.addSecs(-24 * 4 * 3600).toString("yyyy-MM-dd HH:mm");
    EXPECT_EQ(run.output,
        "Broken: failed on 2026-12-05 02:00: the disk is full.\n"
        "Never: overdue: it never succeeded\n"
        "Stale: overdue: no success since "
            + staleSince + "\n");
    const QList<QJsonObject> sent = notices();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0]["summary"].toString(), "Velmora: backups overdue or failed: 3");
    EXPECT_EQ(sent[0]["body"].toString() + '\n', run.output);
}

TEST_F(NoticeRun, CheckOfFreshSetsEndsWithZeroAndStaysSilent)
{
    const QDateTime now = QDateTime::currentDateTime();
    extraEnvironment.append({"VELMORA_NOW", now.toString(Qt::ISODate)});
    writeSetWith(setOf("Fresh", source, destination),
        "LastResult=warnings\nLastResultTime=" + now.addDays(-6).toString(Qt::ISODate).toUtf8() + "\n");
    // A manual set never run is one not in use yet, and a stopped run is the user's own doing.
    writeSet(setOf("New", source, destination));
    writeSetWith(setOf("Stopped", source, destination).withLastRun(now.addDays(-2).toString("yyyy-MM-dd")),
        "LastResult=stopped\nLastResultTime=" + now.addDays(-1).toString(Qt::ISODate).toUtf8() + "\n");
    writeSettings("ManualOverdueDays=7");

    const RunOutcome run = runWithService({"--check"});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(notices().isEmpty());

    // Zero turns the manual days off; one day makes both manual sets that ran overdue.
    writeSettings("ManualOverdueDays=1");
    const RunOutcome strict = runWithService({"--check", "--no-notify"});
    EXPECT_EQ(strict.exitCode, 1);
    EXPECT_EQ(strict.output.count('\n'), 2) << strict.output.toStdString();
    EXPECT_TRUE(notices().isEmpty());
}

TEST_F(NoticeRun, CheckTakesNothingElse)
{
    EXPECT_EQ(runVelmora({"--check", "Docs"}).exitCode, 2);
    EXPECT_EQ(runVelmora({"--check", "--all"}).exitCode, 2);
}

} // namespace
