#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace {

class VelmoraRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}, {"skip.tmp", "scratch"}});
        destination = folder(QStringLiteral("backup"));
    }

    QString archive(const QString& arcName = QStringLiteral("arc")) const
    {
        return destination + QLatin1Char('/') + arcName + QStringLiteral(".7z");
    }

    QString source;
    QString destination;
};

TEST_F(VelmoraRun, NamedSetIsArchivedByItsTypeStampedAndSummarised)
{
    writeSet(setOf("Документы", source, destination).withExTypeList("*.tmp"));

    // Names are found whatever their letter case, in any alphabet.
    const RunOutcome run = runVelmora({"дОКУМЕНТЫ"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(archiveEntries(archive()), QStringList({"a.txt", "sub", "sub/b.txt"}));
    EXPECT_EQ(lastRunOf("Документы"), today());
    EXPECT_TRUE(run.output.contains("== Документы (Full archiving)\n"));
    EXPECT_TRUE(run.output.contains("Everything is Ok")) << "7-Zip's own output is shown";
    EXPECT_TRUE(QRegularExpression("\n== Документы: Done in \\d+ s, \\d+ bytes written, verified in \\d+ s\n$")
                    .match(run.output)
                    .hasMatch())
        << run.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(lockFilePath())) << "the lock goes with the run";
}

TEST_F(VelmoraRun, AllRunsEverySetInCollectionOrderEachByItsType)
{
    writeSet(setOf("A archive", source, destination, FullArchiving, "a"));
    writeSet(setOf("B mirror", source, destination, MirrorCopying));
    makeTree(destination + "/B mirror", {{"gone.txt", "no longer in the source"}});
    writeSet(setOf("C incremental", source, destination, IncrementalArchiving, "c"));

    const RunOutcome run = runVelmora({"--all"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(archiveEntries(archive("a")), QStringList({"a.txt", "skip.tmp", "sub", "sub/b.txt"}));
    EXPECT_EQ(treeFiles(destination + "/B mirror"), QStringList({"a.txt", "skip.tmp", "sub/b.txt"}));
    EXPECT_EQ(archiveEntries(archive("c")), QStringList({"a.txt", "skip.tmp", "sub", "sub/b.txt"}));
    const qsizetype a = run.output.indexOf("== A archive: Done in ");
    const qsizetype b = run.output.indexOf("== B mirror: Done in ");
    const qsizetype c = run.output.indexOf("== C incremental: Done in ");
    EXPECT_TRUE(a >= 0 && a < b && b < c) << run.output.toStdString();
    EXPECT_TRUE(run.output.endsWith("== 3 of 3 sets done, 0 failed\n"));
    for (const char* name : {"A archive", "B mirror", "C incremental"})
        EXPECT_EQ(lastRunOf(name), today()) << name;
}

TEST_F(VelmoraRun, MissingSourceFailsThatSetOnlyAndLeavesItsArchiveAlone)
{
    writeSet(setOf("Unplugged", home.filePath("media/disk/Docs"), destination, FullArchiving, "unplugged"));
    writeFile(archive("unplugged"), "the good archive of last night");
    writeSet(setOf("Good", source, destination, FullArchiving, "good"));

    const RunOutcome run = runVelmora({"Unplugged", "Good"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readFile(archive("unplugged")), "the good archive of last night");
    EXPECT_EQ(lastRunOf("Unplugged"), "0");
    EXPECT_TRUE(run.output.contains("== Unplugged: Failed: the source folder '" + home.filePath("media/disk/Docs")
        + "' does not exist or is not a folder. Nothing was changed.\n"))
        << run.output.toStdString();
    // The sets after a failed one still run.
    EXPECT_FALSE(archiveEntries(archive("good")).isEmpty());
    EXPECT_EQ(lastRunOf("Good"), today());
    EXPECT_TRUE(run.output.endsWith("== 1 of 2 sets done, 1 failed\n"));
}

TEST_F(VelmoraRun, EmptySourceFailsTheSetUnlessAllowed)
{
    const QString mountPoint = folder(QStringLiteral("media/disk"));
    writeSet(setOf("Mirror", mountPoint, destination, MirrorCopying));
    makeTree(destination + "/Mirror", {{"photo.jpg", "last night's copy"}});

    const RunOutcome refused = runVelmora({"Mirror"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(treeFiles(destination + "/Mirror"), QStringList({"photo.jpg"}));
    EXPECT_TRUE(refused.output.contains("== Mirror: Not run: ")) << refused.output.toStdString();
    EXPECT_TRUE(refused.errorOutput.contains("--allow-empty-source")) << refused.errorOutput.toStdString();

    const RunOutcome allowed = runVelmora({"--allow-empty-source", "Mirror"});
    EXPECT_EQ(allowed.exitCode, 0) << allowed.errorOutput.toStdString();
    EXPECT_TRUE(treeFiles(destination + "/Mirror").isEmpty());
}

TEST_F(VelmoraRun, UnknownNameIsNamedAndNothingRuns)
{
    writeSet(setOf("Docs", source, destination));
    const QMap<QString, QByteArray> before = snapshotTree(home.path());

    const RunOutcome run = runVelmora({"Docs", "Photos", "Музыка"});

    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.errorOutput.contains("no backup set is named 'Photos', 'Музыка'; nothing was run."))
        << run.errorOutput.toStdString();
    EXPECT_TRUE(run.output.isEmpty());
    EXPECT_EQ(snapshotTree(home.path()), before) << "Docs must not have run either";
}

TEST_F(VelmoraRun, UsageErrorsExitWithTwoAndRunNothing)
{
    writeSet(setOf("Docs", source, destination));
    const QMap<QString, QByteArray> before = snapshotTree(home.path());
    const QList<QStringList> misuses {{}, {"--list", "Docs"}, {"--all", "Docs"}, {"--list", "--dry-run"},
        {"--bogus", "Docs"}, {"--dry-run"}, {"-x"}, {"--accept-destination", "Docs", "Docs"},
        {"--accept-destination", "Docs", "--all"}, {"--accept-destination"}, {"--accept-destination", ""},
        {"--from-offsite", "Docs"}, {"--from-offsite", "--restore-archive", "a.7z", "--to", "out"},
        {"--from-offsite", "--verify", "Docs"}};
    for (const QStringList& arguments : misuses) {
        const RunOutcome run = runVelmora(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errorOutput.contains("velmora-run --help")) << run.errorOutput.toStdString();
        EXPECT_TRUE(run.output.isEmpty()) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(snapshotTree(home.path()), before);

    const RunOutcome help = runVelmora({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.contains("Exit status: 0 when every set succeeded"));
    EXPECT_TRUE(help.output.contains("--accept-destination NAME"));
}

TEST_F(VelmoraRun, ListShowsEverySetOnOneLine)
{
    writeSet(setOf("Docs", source, destination).withLastRun("2024-03-09"));
    writeSet(setOf("Mirror of docs", source, "/media/My Disk", MirrorCopying));

    const RunOutcome run = runVelmora({"--list"});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output,
        "Docs\tFull archiving\t" + source + "\t" + destination
            + "\t2024-03-09\tManual\tnone\n"
              "Mirror of docs\tMirror copying\t"
            + source + "\t/media/My Disk\tnever\tManual\tnone\n");
}

TEST_F(VelmoraRun, DryRunPrintsEachCommandAndChangesNothing)
{
    writeSet(setOf("Docs", source, destination).withExTypeList("*.tmp").withExPathList("cache/"));
    writeSet(setOf("Inc", source, destination, IncrementalArchiving, "inc"));
    writeFile(archive("inc"), "an existing full archive");
    writeSet(setOf("Mirror", source, destination, MirrorCopying).withKeys("Offsite=ssh://me@nas/mirrors\n"));
    const QMap<QString, QByteArray> before = snapshotTree(home.path());

    const RunOutcome run = runVelmora({"--dry-run", "--all"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    const QString temp = home.filePath("tmp/velmora-XXXXXX");
    EXPECT_TRUE(run.output.contains("== Docs (Full archiving), dry run:\ncd \"" + source + "\" && /usr/bin/7zz a "
        + destination + "/.arc.7z.velmora-XXXXXX \"*\" -r -snl -bsp1 -x@" + temp
        + "/lst.tmp -t7z -mx=5\n   the list file holds: *.tmp, cache/\n"))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("/usr/bin/7zz u " + archive("inc")
        + " -u- \"*\" -r -snl -bsp1 -t7z -mx=5 "
          "-up0q3x2z0!"
        + destination + "/.inc_upd_"));
    EXPECT_TRUE(run.output.contains(QRegularExpression(
        QRegularExpression::escape("\"/usr/bin/rsync\" -a --delete --info=progress2 --itemize-changes \"" + source
            + "/\" \"" + destination + "/Mirror\" --backup --backup-dir=\"" + destination + "/Mirror.history/")
        + "\\d{4}-\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds"
        + QRegularExpression::escape("/\"\n   then copied off site to ssh://me@nas/mirrors\n"))))
        << run.output.toStdString();
    // No archive, no list file, no private temporary folder, no stamp, no lock, no settings file.
    EXPECT_EQ(snapshotTree(home.path()), before);
}

TEST_F(VelmoraRun, DryRunAtTheChainsEndSaysTheOldChainIsKept)
{
    // A chain length of 0: every run starts a new chain.
    writeSettings("MinorUpdatedNumber=0");
    writeSet(setOf("Inc", source, destination, IncrementalArchiving, "inc"));
    writeFile(archive("inc"), "an existing full archive");

    const RunOutcome run = runVelmora({"--dry-run", "Inc"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_TRUE(run.output.contains("/usr/bin/7zz a " + destination + "/.inc.7z.velmora-XXXXXX"))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.endsWith("\n   then the old chain moves into '" + destination + "/inc.history'\n"))
        << run.output.toStdString();
    EXPECT_FALSE(run.output.contains("removed"));
    EXPECT_EQ(readFile(archive("inc")), "an existing full archive");
}

TEST_F(VelmoraRun, DryRunMakesTheChecksOfARealRunWithItsWordsAndStatus)
{
    const QString empty = folder(QStringLiteral("empty"));
    writeSet(setOf("Relative", source, QStringLiteral("backup")));
    writeSet(setOf("Missing", home.filePath("gone"), destination));
    writeSet(setOf("Empty", empty, destination));
    writeSet(setOf("BadName", source, destination, FullArchiving, "../outside"));
    writeSet(setOf("Mirror into itself", source, source, MirrorCopying));
    for (const char* setName : {"Relative", "Missing", "Empty", "BadName", "Mirror into itself"}) {
        const QString name = QString::fromUtf8(setName);
        const RunOutcome dry = runVelmora({"--dry-run", name});
        const RunOutcome real = runVelmora({name});
        EXPECT_EQ(dry.exitCode, 1) << name.toStdString();
        EXPECT_EQ(real.exitCode, dry.exitCode) << name.toStdString();
        const QString failed = real.output.mid(real.output.lastIndexOf("== " + name + ": "));
        EXPECT_TRUE(failed.startsWith("== " + name + ": Failed: ") || failed.startsWith("== " + name + ": Not run: "))
            << real.output.toStdString();
        EXPECT_TRUE(dry.output.contains(failed)) << dry.output.toStdString() << "\n" << failed.toStdString();
    }
}

TEST_F(VelmoraRun, ASetDoneWithWarningsEndsWithStatusThreeAndNamesTheFiles)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "dropping the capability to read every file needs root";
    makeTree(source, {{"locked/one.txt", "1"}, {"locked/two.txt", "2"}});
    QFile::setPermissions(source + "/locked", {});
    writeSet(setOf("Docs", source, destination));
    QProcess process;
    process.setProcessEnvironment(childEnvironment());
    // Root reads everything; without these capabilities it meets permission bits as a user does.
    process.start("setpriv", {"--bounding-set=-dac_override,-dac_read_search", VELMORA_RUN_PATH, "Docs"});
    const RunOutcome run = finish(process);
    QFile::setPermissions(source + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(run.exitCode, 3) << run.output.toStdString() << run.errorOutput.toStdString();
    EXPECT_TRUE(QRegularExpression("\n== Docs: Done with warnings \\(1\\) in \\d+ s, \\d+ bytes written, verified in "
                                   "\\d+ s: 7-Zip could not read these "
                                   "files or folders \\(1\\): locked/\n$")
                    .match(run.output)
                    .hasMatch())
        << run.output.toStdString();
    EXPECT_TRUE(archiveEntries(archive()).contains("a.txt"));
    EXPECT_EQ(lastRunOf("Docs"), today());
}

} // namespace

TEST_F(VelmoraRun, AToolsLargeOutputIsShownWholeAndLeavesTheWindowsLogFileAlone)
{
    // A mirror set whose rsync prints 20 MB of lines and then does its work.
    const QString rsync = home.filePath("rsync");
    writeScript(rsync, "seq 1 2500000; exec /usr/bin/rsync \"$@\"\n");
    writeSettings("RoboPathXP=" + rsync.toUtf8());
    writeSet(setOf("Mirror", source, destination, MirrorCopying));

    const QString windowsLog = home.filePath(".cache/Quorvane/Velmora/last-run.log");
    writeFile(windowsLog, "the window's last run");
    const RunOutcome run = runVelmora({"Mirror"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    QProcess seq;
    seq.start("seq", {"1", "2500000"});
    seq.waitForFinished(-1);
    const QByteArray lines = seq.readAllStandardOutput();
    EXPECT_TRUE(run.output.toUtf8().contains("== Mirror (Mirror copying)\n" + lines));
    EXPECT_EQ(readFile(windowsLog), "the window's last run");
    EXPECT_EQ(treeFiles(destination + "/Mirror"), QStringList({"a.txt", "skip.tmp", "sub/b.txt"}));
}

TEST_F(VelmoraRun, SigtermStopsTheRunningToolAndRemovesWhatItHalfWrote)
{
    writeSet(setOf("Big", source, destination));
    writeSet(setOf("After", source, destination, FullArchiving, "after"));
    writeFile(archive(), "the good archive of last night");
    // Random bytes: 7-Zip takes seconds over them at any level.
    QFile big(source + "/big.bin");
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    QByteArray chunk(4 << 20, Qt::Uninitialized);
    for (int part = 0; part < 25; ++part) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
        ASSERT_EQ(big.write(chunk), chunk.size());
    }
    big.close();

    const auto running = startVelmora({"Big", "After"});
    auto scratchArchives
        = [&] { return QDir(destination).entryList({".arc.7z.velmora-*"}, QDir::Files | QDir::Hidden); };
    for (int i = 0; i < 600 && scratchArchives().isEmpty(); ++i)
        QThread::msleep(50);
    ASSERT_FALSE(scratchArchives().isEmpty());
    QElapsedTimer sinceStop;
    sinceStop.start();
    running->terminate();
    const RunOutcome run = finish(*running);
    EXPECT_LT(sinceStop.elapsed(), 5000);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains("== Big: Stopped\n")) << run.output.toStdString();
    EXPECT_TRUE(run.output.endsWith("== 0 of 2 sets done, 0 failed, stopped\n")) << run.output.toStdString();
    EXPECT_FALSE(run.output.contains("== After")) << "no set starts after the stop";
    EXPECT_EQ(readFile(archive()), "the good archive of last night");
    EXPECT_EQ(
        QDir(destination).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList({"arc.7z"}));
    EXPECT_EQ(
        QDir(home.filePath("tmp")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    EXPECT_EQ(lastRunOf("Big"), "0");
    EXPECT_FALSE(QFileInfo::exists(lockFilePath())) << "the lock goes with the run";
}

TEST_F(VelmoraRun, ANegativeCountOfUpdateArchivesReadsAsTheDefaultSoTheChainGrows)
{
    // A negative count made every incremental run a new full archive.
    writeSettings("MinorUpdatedNumber=-3");
    writeSet(setOf("Inc", source, destination, IncrementalArchiving, "inc"));
    ASSERT_EQ(runVelmora({"Inc"}).exitCode, 0);
    writeFile(source + "/a.txt", "alpha, changed");

    const RunOutcome run = runVelmora({"Inc"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(run.errorOutput.count("MinorUpdatedNumber=-3"), 1) << run.errorOutput.toStdString();
    EXPECT_TRUE(run.errorOutput.contains("The settings file '" + home.settingsFile()
        + "' holds MinorUpdatedNumber=-3, which is not allowed; 10 is used instead."));
    const QStringList files = destinationFiles(destination);
    ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
    EXPECT_EQ(files.first(), "inc.7z");
    EXPECT_TRUE(files.last().startsWith("inc_upd_"));
    EXPECT_TRUE(archiveEntries(destination + "/" + files.last()).contains("a.txt"));
    EXPECT_FALSE(QFileInfo::exists(destination + "/inc.history")) << "no new chain was started";
}
