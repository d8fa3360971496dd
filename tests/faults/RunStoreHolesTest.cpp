// What velmora-run did to the set files while it ran, listed or dry-ran them: stale copies written back
// over the window's edits, deleted sets brought back, the user's own files cleared as leftovers, and set
// folders holding what is no set file.

#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class RunStoreHolesTest : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder("data");
        makeTree(source, {{"a.txt", "alpha"}});
        destination = folder("backup");
        log = home.filePath("rsync.log");
        gate = home.filePath("gate-open");
        // An rsync that logs the source it was given and, for the first set, waits for the test to open
        // the gate: the time in which the window changes the other sets. It ends when the test's folder goes.
        const QString script = home.filePath("bin/rsync");
        writeScript(script,
            "echo \"$5\" >> '" + log.toUtf8()
                + "'\n"
                  "case \"$5\" in *first*) while [ ! -e '"
                + gate.toUtf8() + "' ] && [ -d '" + home.path().toUtf8() + "' ]; do sleep 0.05; done;; esac\n");
        writeSettings("RoboPathXP=" + script.toUtf8());
    }
    void TearDown() override { writeFile(gate, "open"); }

    QString source, destination, log, gate;
};

} // namespace

TEST_F(RunStoreHolesTest, ALongRunOfEverySetRunsTheWindowsEditsAndBringsNoDeletedSetBack)
{
    const QString first = folder("first");
    makeTree(first, {{"f.txt", "f"}});
    writeSet(setOf("A first", first, destination, MirrorCopying));
    writeSet(setOf("B edited", source, destination, MirrorCopying));
    writeSet(setOf("C deleted", source, destination, MirrorCopying));
    writeSet(setOf("D renamed", source, destination, MirrorCopying));
    const auto run = startVelmora({"--all"});
    ASSERT_TRUE(waitForText(log, first));

    // Meanwhile, in the window: A's destination and B's source change, C is deleted, D becomes E.
    const QString elsewhere = folder("elsewhere");
    makeTree(elsewhere, {{"e.txt", "e"}});
    const QString otherDisk = folder("other disk");
    QByteArray a = readFile(setFilePath("A first"));
    writeFile(setFilePath("A first"), a.replace(destination.toUtf8(), otherDisk.toUtf8()));
    QByteArray b = readFile(setFilePath("B edited"));
    writeFile(setFilePath("B edited"), b.replace("source=" + source.toUtf8(), "source=" + elsewhere.toUtf8()));
    QFile::remove(setFilePath("C deleted"));
    QByteArray d = readFile(setFilePath("D renamed"));
    writeFile(setFilePath("E renamed"), d.replace("name=D renamed", "name=E renamed"));
    QFile::remove(setFilePath("D renamed"));
    writeFile(gate, "open");
    const RunOutcome outcome = finish(*run);

    EXPECT_EQ(outcome.exitCode, 0) << outcome.output.toStdString() << outcome.errorOutput.toStdString();
    EXPECT_EQ(
        QString::fromUtf8(readFile(log)).split('\n', Qt::SkipEmptyParts), QStringList({first + "/", elsewhere + "/"}));
    EXPECT_TRUE(outcome.output.contains("== C deleted: Not run: the set no longer exists."));
    EXPECT_TRUE(outcome.output.contains("== D renamed: Not run: the set no longer exists."));
    // The stamps went into the files as the window left them, and nowhere else.
    EXPECT_TRUE(readFile(setFilePath("A first")).contains("target=" + otherDisk.toUtf8()));
    EXPECT_EQ(lastRunOf("A first"), today());
    EXPECT_TRUE(readFile(setFilePath("B edited")).contains("source=" + elsewhere.toUtf8()));
    EXPECT_EQ(lastRunOf("B edited"), today());
    EXPECT_FALSE(QFileInfo::exists(setFilePath("C deleted")));
    EXPECT_FALSE(QFileInfo::exists(setFilePath("D renamed")));
    EXPECT_EQ(lastRunOf("E renamed"), "0");
}

TEST_F(RunStoreHolesTest, ListAndDryRunChangeNothingAndOnlyOwnCopiesAreCleared)
{
    writeSet(setOf("Docs", source, destination, MirrorCopying));
    // The user's own files beside the sets and the settings, and what a killed save of this program leaves.
    writeFile(home.setFolder() + "/Docs.ini.backup", "mine");
    writeFile(home.settingsFile() + ".backup", "mine too");
    writeFile(home.setFolder() + "/.Docs.ini.velmora-Ab12Cd", "a killed save's copy");
    const QMap<QString, QByteArray> before = snapshotTree(home.path());
    EXPECT_EQ(runVelmora({"--list"}).exitCode, 0);
    EXPECT_EQ(runVelmora({"--dry-run", "--all"}).exitCode, 0);
    EXPECT_EQ(snapshotTree(home.path()), before);

    writeFile(gate, "open");
    EXPECT_EQ(runVelmora({"Docs"}).exitCode, 0);
    EXPECT_EQ(readFile(home.setFolder() + "/Docs.ini.backup"), "mine");
    EXPECT_EQ(readFile(home.settingsFile() + ".backup"), "mine too");
    EXPECT_FALSE(QFileInfo::exists(home.setFolder() + "/.Docs.ini.velmora-Ab12Cd"));
}

TEST_F(RunStoreHolesTest, WhatIsNoSetFileIsNamedNeverReadAndNeverHidden)
{
    writeSet(setOf("Docs", source, destination, MirrorCopying));
    ASSERT_EQ(::mkfifo(QFile::encodeName(home.setFolder() + "/Pipe.ini").constData(), 0600), 0);
    QFile::link("/dev/zero", home.setFolder() + "/Zero.ini");
    // A name that is no UTF-8 cannot go through QString: the bytes are written as they are.
    const int fd = ::open(QFile::encodeName(home.setFolder()) + "/Bad\xff.ini", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);

    // The pipe is never opened: the list ends, and names what it did not load.
    const RunOutcome list = runVelmora({"--list"});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.output.startsWith("Docs\t"));
    for (const char* name : {"Pipe.ini", "Zero.ini", "Bad\\xFF.ini"})
        EXPECT_TRUE(list.errorOutput.contains(name)) << name << "\n" << list.errorOutput.toStdString();

    // A run of every set that could not read one of them has not run every set.
    writeFile(gate, "open");
    const RunOutcome all = runVelmora({"--all"});
    EXPECT_EQ(all.exitCode, 1) << all.output.toStdString();
    EXPECT_EQ(lastRunOf("Docs"), today());
}

TEST_F(RunStoreHolesTest, SetsWithoutDistinctIdsRunTheirOwnSources)
{
    const QString second = folder("second");
    makeTree(second, {{"s.txt", "s"}});
    writeFile(setFilePath("N1"),
        "[Velmora Project file]\nnID=-1\nname=N1\nsource=" + source.toUtf8() + "\ntarget=" + destination.toUtf8()
            + "\nBackupType=2\n");
    writeFile(setFilePath("N2"),
        "[Velmora Project file]\nname=N2\nsource=" + second.toUtf8() + "\ntarget=" + destination.toUtf8()
            + "\nBackupType=2\n");
    writeFile(gate, "open");
    const RunOutcome run = runVelmora({"N2"});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_EQ(QString::fromUtf8(readFile(log)).trimmed(), second + "/");
    EXPECT_EQ(lastRunOf("N2"), today());
    EXPECT_EQ(lastRunOf("N1"), "");
}
