#include "Jobs.h"
#include "ArchiveCommand.h"
#include "FolderIdentity.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "LastRun.h"
#include "ToolLocations.h"
#include "ToolTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

using JobsTest = JobFixture;

TEST_F(JobsTest, FullArchivingReplacesTheArchiveWithTheSourceAtItsRoot)
{
    const quint32 id = addSet(FullArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_EQ(archiveEntries(fullArchive()), QStringList({"a.txt", "sub", "sub/b.txt", "Новый файл.txt"}));
    const QByteArray first = readFile(fullArchive());
    const QString firstStamp = QFileInfo(fullArchive()).lastModified().toString("yyyy-MM-dd_HH'h'mm'm'ss's'");
    writeFile(source + "/added.txt", "new");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(archiveEntries(fullArchive()).contains("added.txt"));
    // Nothing but the archive and the history are left in the destination.
    EXPECT_EQ(QDir(destination).entryList({"docs*"}, QDir::AllEntries | QDir::Hidden),
        QStringList({"docs.7z", "docs.history"}));
    // The earlier archive is kept whole, under its own name, as a chain of its own.
    EXPECT_EQ(readFile(destination + "/docs.history/" + firstStamp + "/docs.7z"), first);
    EXPECT_EQ(recorder.events(),
        QStringList({"started", "set 1 of 1", "copying", "finished", "started", "set 1 of 1", "copying", "finished"}));
    EXPECT_FALSE(GetLastRunTexts().logText.isEmpty());
}

TEST_F(JobsTest, IncrementalRunsWriteOnlyTheChangesAndRestartTheChainWhenItIsLong)
{
    MutableSettings().chainLength = 2;
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    const QByteArray full = readFile(fullArchive());
    ASSERT_FALSE(full.isEmpty());

    writeFile(source + "/a.txt", "alpha changed");
    writeFile(source + "/c.txt", "new file");
    QFile::remove(source + "/sub/b.txt");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_EQ(readFile(fullArchive()), full);
    ASSERT_EQ(updateArchives().size(), 1);
    EXPECT_EQ(archiveEntries(destination + "/" + updateArchives().first()),
        QStringList({"a.txt", "c.txt", "sub", "sub/b.txt (anti)"}));

    // Update archive names carry the time to the second.
    QThread::sleep(1);
    writeFile(source + "/d.txt", "another");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    ASSERT_EQ(updateArchives().size(), 2);

    // The chain is full: this run writes a new full archive, and the old chain moves whole, under its own
    // names, into a folder named by the old full archive's time.
    const QStringList oldUpdates = updateArchives();
    QMap<QString, QByteArray> oldChain {{"docs.7z", full}};
    for (const QString& name : oldUpdates)
        oldChain.insert(name, readFile(destination + "/" + name));
    const QString kept = destination + "/docs.history/"
        + QFileInfo(fullArchive()).lastModified().toString("yyyy-MM-dd_HH'h'mm'm'ss's'");
    const JobResult restarted = ArchiveJob(id);
    ASSERT_EQ(restarted.outcome, JobOutcome::Done);
    EXPECT_TRUE(updateArchives().isEmpty());
    EXPECT_EQ(archiveEntries(fullArchive()), QStringList({"a.txt", "c.txt", "d.txt", "sub", "Новый файл.txt"}));
    QMap<QString, QByteArray> keptChain;
    for (const QString& name : QDir(kept).entryList(QDir::Files | QDir::Hidden))
        keptChain.insert(name, readFile(kept + "/" + name));
    EXPECT_EQ(keptChain, oldChain);
    EXPECT_EQ(QDir(destination + "/docs.history").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
    // A chain that simply reached its length is no news.
    EXPECT_TRUE(restarted.note.isEmpty()) << restarted.note.toStdString();
}

TEST_F(JobsTest, FailuresLeaveThePreviousArchiveByteForByte)
{
    const quint32 id = addSet(FullArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    const QByteArray good = readFile(fullArchive());

    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        JobOutcome expected;
    };
    const QString movedSource = home.filePath("unplugged");
    const Case cases[] = {
        {"missing source", [&] { QDir().rename(source, movedSource); }, JobOutcome::SourceMissing},
        {"exit code 2",
            [&] {
                QDir().rename(movedSource, source);
                useFake7Zip("echo 'fatal error' >&2; exit 2");
            },
            JobOutcome::ToolFailed},
        // A tool ended by a signal ran: it is no start failure.
        {"crash", [&] { useFake7Zip("kill -SEGV $$"); }, JobOutcome::ToolFailed},
        {"success without an archive", [&] { useFake7Zip("exit 0"); }, JobOutcome::PlaceFailed},
    };
    for (const Case& c : cases) {
        c.arrange();
        const JobResult result = ArchiveJob(id);
        EXPECT_EQ(result.outcome, c.expected) << c.name;
        EXPECT_EQ(readFile(fullArchive()), good) << c.name;
        EXPECT_EQ(result.setName, "Docs") << c.name;
        EXPECT_FALSE(result.reason.isEmpty()) << c.name;
    }
    useFake7Zip("kill -SEGV $$");
    EXPECT_TRUE(ArchiveJob(id).reason.contains("ended by signal 11"));
    EXPECT_EQ(destinationFiles(destination), QStringList({"docs.7z"}));
}

TEST_F(JobsTest, AnEmptySourceChangesNothingUnlessTheUserSaysSo)
{
    const quint32 archive = addSet(FullArchiving);
    ASSERT_EQ(ArchiveJob(archive).outcome, JobOutcome::Done);
    BackupSet mirrorSet;
    ASSERT_TRUE(GetBackupSet(archive, mirrorSet));
    mirrorSet.name = QStringLiteral("Mirror");
    mirrorSet.backupType = MirrorCopying;
    const quint32 mirror = AddBackupSet(mirrorSet);
    ASSERT_EQ(MirrorJob(mirror).outcome, JobOutcome::Done);
    const QByteArray good = readFile(fullArchive());

    // The mount point of a disk that is not mounted.
    QDir(source).removeRecursively();
    QDir().mkpath(source);
    EXPECT_EQ(ArchiveJob(archive).outcome, JobOutcome::SourceEmpty);
    EXPECT_EQ(MirrorJob(mirror).outcome, JobOutcome::SourceEmpty);
    EXPECT_EQ(messages.questions().size(), 2);
    EXPECT_TRUE(messages.questions().first().contains("is empty")) << messages.questions().first().toStdString();
    EXPECT_EQ(readFile(fullArchive()), good);
    EXPECT_EQ(treeFiles(destination + "/Mirror").size(), 3);

    messages.setNextAnswer(true);
    EXPECT_EQ(MirrorJob(mirror).outcome, JobOutcome::Done);
    EXPECT_TRUE(treeFiles(destination + "/Mirror").isEmpty());
}

TEST_F(JobsTest, AMissingDestinationIsReportedNotCreated)
{
    QDir(destination).removeRecursively();
    const quint32 archive = addSet(IncrementalArchiving);
    EXPECT_EQ(ArchiveJob(archive).outcome, JobOutcome::DestinationMissing);
    BackupSet mirrorSet;
    ASSERT_TRUE(GetBackupSet(archive, mirrorSet));
    mirrorSet.name = QStringLiteral("Mirror");
    mirrorSet.backupType = MirrorCopying;
    EXPECT_EQ(MirrorJob(AddBackupSet(mirrorSet)).outcome, JobOutcome::DestinationMissing);
    EXPECT_FALSE(QFileInfo::exists(destination));
}

TEST_F(JobsTest, AReportNamesTheSetTheFailureAndTheExitCode)
{
    const quint32 id = addSet(FullArchiving);
    useFake7Zip("exit 2");
    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    ASSERT_TRUE(RunBackupSet(id));
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.at(0).at(0).value<JobResult>().outcome, JobOutcome::ToolFailed);
    // The window asked before it called; the engine asks nothing before a run.
    EXPECT_TRUE(messages.questions().isEmpty()) << messages.questions().join('|').toStdString();
    ASSERT_EQ(messages.messages().size(), 1);
    const QString report = messages.messages().first();
    EXPECT_TRUE(report.contains("'Docs'")) << report.toStdString();
    EXPECT_TRUE(report.contains("exit code 2")) << report.toStdString();
    EXPECT_TRUE(report.contains("View Log")) << report.toStdString();
    EXPECT_EQ(JobRunner::shared().lastResult().outcome, JobOutcome::ToolFailed);
    EXPECT_FALSE(IsJobRunning());
}

TEST_F(JobsTest, ASetNoLongerThereStartsNothing)
{
    addSet(FullArchiving);
    EXPECT_FALSE(RunBackupSet(999));
    EXPECT_TRUE(recorder.events().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(fullArchive()));
    EXPECT_EQ(
        messages.messages(), QStringList({"The selected backup set is no longer in the list, so it was not run."}));
}

TEST_F(JobsTest, OnlyOneJobRunsAtATime)
{
    const quint32 id = addSet(FullArchiving);
    // The job waits for its first event to be handled on this thread, so it runs until the wait below.
    ASSERT_TRUE(RunBackupSet(id));
    EXPECT_EQ(ArchiveJob(id).outcome, JobOutcome::Refused);
    EXPECT_EQ(MirrorJob(id).outcome, JobOutcome::Refused);
    EXPECT_FALSE(StartUpdateAll());
    EXPECT_EQ(UpdateAllJob().first().outcome, JobOutcome::Refused);
    EXPECT_FALSE(RunBackupSet(id));
    ASSERT_TRUE(WaitForJobThread(60000));
    EXPECT_FALSE(IsJobRunning());
}

TEST_F(JobsTest, ArchiveSetsNeedFullPathsAndAnArchiveNameThatIsAFileName)
{
    struct Case
    {
        QString target;
        QString arcName;
    };
    const Case cases[]
        = {{QString(), "nowhere"}, {"relative/dest", "docs"}, {destination, "../escaped"}, {destination, ""}};
    for (const Case& c : cases) {
        backupSets.clear();
        BackupSet set;
        set.name = QStringLiteral("Nowhere");
        set.arcName = c.arcName;
        set.source = source;
        set.target = c.target;
        const JobResult result = ArchiveJob(AddBackupSet(set));
        EXPECT_EQ(result.outcome, JobOutcome::PrepareFailed) << c.target.toStdString() << c.arcName.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists("/nowhere.7z"));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("escaped.7z")));
    EXPECT_TRUE(treeFiles(destination).isEmpty());
}

TEST_F(JobsTest, AnArchiveDestinationInsideItsSourceIsRefusedBeforeAnythingIsWritten)
{
    // Each archive there would be packed into the next one, which grows by all before it at every run.
    SetSevenZipCandidates({"/usr/bin/7zz"});
    const QStringList before = treeFiles(source);
    for (const QString& target : {source, source + "/sub", source + "/./sub/"}) {
        backupSets.clear();
        for (const qint32 type : {FullArchiving, IncrementalArchiving}) {
            BackupSet set = docsSet(type);
            set.target = target;
            const JobResult result = ArchiveJob(AddBackupSet(set));
            EXPECT_EQ(result.outcome, JobOutcome::DestinationInSource) << target.toStdString();
            EXPECT_TRUE(result.reason.contains(target)) << result.reason.toStdString();
        }
        EXPECT_EQ(treeFiles(source), before) << target.toStdString();
    }
    // Beside the source, or holding it, the archives are outside what is packed.
    for (const QString& target : {destination, home.path()}) {
        backupSets.clear();
        BackupSet set = docsSet(FullArchiving);
        set.target = target;
        const JobResult result = ArchiveJob(AddBackupSet(set));
        EXPECT_EQ(result.outcome, JobOutcome::Done) << target.toStdString() << result.reason.toStdString();
    }
}

TEST_F(JobsTest, AJobForAVanishedSetRunsNothingAndPutsNothingInPlace)
{
    EXPECT_EQ(ArchiveJob(4242).outcome, JobOutcome::SetMissing);
    EXPECT_EQ(MirrorJob(4242).outcome, JobOutcome::SetMissing);
    EXPECT_EQ(
        recorder.events(), QStringList({"started", "set 1 of 1", "finished", "started", "set 1 of 1", "finished"}));
}

TEST_F(JobsTest, ScratchArchiveOnAnotherFileSystemIsMovedIntoPlace)
{
    const QString shm = QStringLiteral("/dev/shm");
    if (!QFileInfo(shm).isDir() || !QFileInfo(shm).isWritable())
        GTEST_SKIP() << "no /dev/shm here";
    QTemporaryDir scratch(shm + "/velmora-test-XXXXXX");
    ASSERT_TRUE(scratch.isValid());
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));
    const quint32 id = addSet(FullArchiving);
    const JobResult result = ArchiveJob(id);
    qputenv("TMPDIR", QFile::encodeName(home.filePath("tmp")));
    ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    EXPECT_EQ(archiveEntries(fullArchive()).size(), 4);
    EXPECT_TRUE(treeFiles(scratch.path()).isEmpty());
}

TEST_F(JobsTest, ADestinationThatCannotBeWrittenIsReportedAndKeepsTheArchive)
{
    const quint32 id = addSet(FullArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    const QByteArray good = readFile(fullArchive());
    // Root ignores permission bits; an immutable folder refuses even root.
    const bool immutable = QProcess::execute("chattr", {"+i", destination}) == 0;
    if (!immutable)
        QFile::setPermissions(destination, QFile::ReadOwner | QFile::ExeOwner);
    writeFile(source + "/added.txt", "new");
    const JobResult result = ArchiveJob(id);
    if (immutable)
        QProcess::execute("chattr", {"-i", destination});
    QFile::setPermissions(destination, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!immutable && result.succeeded())
        GTEST_SKIP() << "cannot make a folder unwritable here";
    // 7-Zip builds the new archive in the destination, so it is 7-Zip that finds it unwritable.
    EXPECT_EQ(result.outcome, JobOutcome::ToolFailed);
    EXPECT_EQ(readFile(fullArchive()), good);
}

TEST_F(JobsTest, MirrorRunsMakeAnExactCopyAndDeleteWhatTheSourceNoLongerHas)
{
    const quint32 id = addSet(MirrorCopying);
    ASSERT_EQ(MirrorJob(id).outcome, JobOutcome::Done);
    const QString mirror = destination + "/Docs";
    EXPECT_EQ(treeFiles(mirror), treeFiles(source));
    QFile::remove(source + "/a.txt");
    ASSERT_EQ(MirrorJob(id).outcome, JobOutcome::Done);
    EXPECT_EQ(treeFiles(mirror), QStringList({"sub/b.txt", "Новый файл.txt"}));
    EXPECT_EQ(
        recorder.events(), QStringList({"started", "set 1 of 1", "finished", "started", "set 1 of 1", "finished"}));
}

// As rsync -a by hand: the mirror's folders, the mirror folder itself included, keep the source's times, also
// on a later run that deletes from a folder and adds to it.
TEST_F(JobsTest, AMirrorsFoldersKeepTheSourcesTimes)
{
    writeFile(source + "/sub/deep/c.txt", "c");
    const QStringList folders {"", "/sub", "/sub/deep"};
    // rsync leaves the time of the run on a folder it made when the source's time is in the same second.
    auto setTimesToThisSecond = [&] {
        if (QTime::currentTime().msec() > 600)
            QThread::msleep(450);
        const QDateTime now = QDateTime::currentDateTime();
        for (qsizetype i = folders.size() - 1; i >= 0; --i)
            setFolderTime(source + folders.at(i), now.addMSecs(-now.time().msec() + 7 * i + 1));
    };
    auto expectSameTimes = [&] {
        for (const QString& folder : folders)
            EXPECT_EQ(
                QFileInfo(destination + "/Docs" + folder).lastModified(), QFileInfo(source + folder).lastModified())
                << folder.toStdString();
    };
    setTimesToThisSecond();
    const quint32 id = addSet(MirrorCopying);
    ASSERT_EQ(MirrorJob(id).outcome, JobOutcome::Done);
    expectSameTimes();
    QFile::remove(source + "/sub/b.txt");
    writeFile(source + "/sub/deep/d.txt", "d");
    setFolderTime(source + "/sub", QDateTime(QDate(2004, 3, 4), QTime(5, 6, 7)));
    ASSERT_EQ(MirrorJob(id).outcome, JobOutcome::Done);
    expectSameTimes();
}

TEST_F(JobsTest, MirrorRefusesWhereDeletingWouldHitTheSource)
{
    BackupSet set;
    set.name = QStringLiteral("src");
    set.source = source;
    set.backupType = MirrorCopying;
    const QByteArray before = readFile(source + "/a.txt");
    for (const QString& target : {home.path(), source, QString()}) {
        backupSets.clear();
        set.target = target;
        const quint32 id = AddBackupSet(set);
        const JobResult result = MirrorJob(id);
        EXPECT_EQ(result.outcome, JobOutcome::MirrorUnsafe) << target.toStdString();
    }
    // A mirror folder that contains the source.
    backupSets.clear();
    set.source = source + "/sub";
    set.target = home.path();
    set.name = QStringLiteral("src");
    EXPECT_EQ(MirrorJob(AddBackupSet(set)).outcome, JobOutcome::MirrorUnsafe);
    EXPECT_EQ(readFile(source + "/a.txt"), before);
    EXPECT_EQ(treeFiles(source).size(), 3);
}

TEST_F(JobsTest, MirrorFailuresSayWhetherRsyncHadChangedTheMirror)
{
    const quint32 id = addSet(MirrorCopying);
    const QString mirror = destination + "/Docs";
    MutableSettings().rsyncPath = home.filePath("fakebin/rsync");
    EXPECT_EQ(MirrorJob(id).outcome, JobOutcome::ToolMissing);
    EXPECT_EQ(recorder.events(), QStringList({"started", "set 1 of 1", "finished"}));

    // An rsync that fails before it copies anything leaves the mirror as it was.
    writeScript(Settings().rsyncPath, "exit 12");
    const JobResult untouched = MirrorJob(id);
    EXPECT_EQ(untouched.outcome, JobOutcome::ToolFailed);
    EXPECT_EQ(untouched.exitCode, 12);
    EXPECT_TRUE(untouched.reason.contains("left as it was")) << untouched.reason.toStdString();

    // One that fails after it has copied has changed the mirror, and the reason says so.
    const struct
    {
        const char* name;
        QByteArray script;
        const char* said;
    } cases[] = {
        {"exit code", "/usr/bin/rsync \"$@\"; exit 12", "exit code 12"},
        {"signal", "/usr/bin/rsync \"$@\"; kill -KILL $$", "signal 9"},
    };
    for (const auto& c : cases) {
        writeFile(source + "/" + c.name + ".txt", c.name);
        writeScript(Settings().rsyncPath, c.script);
        const JobResult changed = MirrorJob(id);
        EXPECT_EQ(changed.outcome, JobOutcome::ToolFailed) << c.name;
        EXPECT_TRUE(QFileInfo::exists(mirror + "/" + c.name + ".txt")) << c.name;
        EXPECT_FALSE(changed.reason.contains("left as it was")) << changed.reason.toStdString();
        EXPECT_TRUE(changed.reason.contains(c.said) && changed.reason.contains(mirror)) << changed.reason.toStdString();
    }

    // Files that vanished during the copy are a warning about them, not a failure of the rest.
    writeScript(Settings().rsyncPath, "exit 24");
    const JobResult vanished = MirrorJob(id);
    EXPECT_EQ(vanished.outcome, JobOutcome::Done);
    EXPECT_EQ(ResultKindOf(vanished), JobResultKind::Warnings);
    QDir().rename(source, home.filePath("gone"));
    EXPECT_EQ(MirrorJob(id).outcome, JobOutcome::SourceMissing);
}

TEST_F(JobsTest, FilesRsyncCouldNotCopyMakeAWarningThatNamesThem)
{
    // Root reads everything; without these two capabilities it meets permission bits as a user does.
    if (QProcess::execute("setpriv", {"--bounding-set=-dac_override,-dac_read_search", "true"}) != 0)
        GTEST_SKIP() << "setpriv cannot drop capabilities here";
    const quint32 id = addSet(MirrorCopying);
    MutableSettings().rsyncPath = home.filePath("fakebin/rsync");
    writeScript(
        Settings().rsyncPath, "exec setpriv --bounding-set=-dac_override,-dac_read_search /usr/bin/rsync \"$@\"");
    writeFile(source + "/private.txt", "mine");
    QFile::setPermissions(source + "/private.txt", {});
    const JobResult result = MirrorJob(id);
    QFile::setPermissions(source + "/private.txt", QFile::ReadOwner | QFile::WriteOwner);
    if (result.exitCode == 0)
        GTEST_SKIP() << "permission bits are not enforced here";
    EXPECT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    EXPECT_EQ(result.exitCode, 23);
    EXPECT_EQ(ResultKindOf(result), JobResultKind::Warnings);
    EXPECT_TRUE(result.warning.contains("private.txt")) << result.warning.toStdString();
    EXPECT_EQ(result.warningCount, 1);
    // Everything else is in the mirror.
    EXPECT_EQ(readFile(destination + "/Docs/a.txt"), "alpha");
    EXPECT_EQ(readFile(destination + "/Docs/sub/b.txt"), "beta");
}

TEST_F(JobsTest, AMirrorRunWhoseSourceVanishedFailsAndNamesTheSource)
{
    const quint32 id = addSet(MirrorCopying);
    MutableSettings().rsyncPath = home.filePath("fakebin/rsync");
    // rsync's fifth argument is the source folder; 24 is its exit code for files that vanished.
    QList<QByteArray> scripts {"rm -r \"$5\"; exit 24", "mv \"$5\" \"${5%/}.old\"; mkdir \"$5\"; exit 24"};
    // Made anew at once, the folder often gets its old inode number back; only a birth time tells them apart.
    if (IdentityOfFolder(source)->birth != 0)
        scripts.append("rm -r \"$5\"; mkdir \"$5\"; exit 24");
    for (const QByteArray& script : scripts) {
        makeTree(source, {{"a.txt", "alpha"}});
        writeScript(Settings().rsyncPath, script);
        const JobResult result = MirrorJob(id);
        EXPECT_EQ(result.outcome, JobOutcome::ToolFailed) << script.constData();
        EXPECT_EQ(result.exitCode, 24);
        EXPECT_TRUE(result.reason.contains(source)) << result.reason.toStdString();
        EXPECT_TRUE(JobFailureText(result).contains("vanished")) << JobFailureText(result).toStdString();
    }
}

TEST_F(JobsTest, UpdateAllRunsEverySetByItsTypeAndReportsFailuresOnce)
{
    const quint32 archive = addSet(IncrementalArchiving);
    BackupSet mirror;
    ASSERT_TRUE(GetBackupSet(archive, mirror));
    mirror.name = QStringLiteral("Mirror");
    mirror.backupType = MirrorCopying;
    SaveBackupSet(AddBackupSet(mirror));
    BackupSet broken = mirror;
    broken.name = QStringLiteral("Broken");
    broken.backupType = FullArchiving;
    broken.arcName = QStringLiteral("broken");
    broken.source = home.filePath("no such folder");
    SaveBackupSet(AddBackupSet(broken));

    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    ASSERT_TRUE(StartUpdateAll());
    ASSERT_TRUE(finished.wait(60000));
    // The run's result is its last failure.
    EXPECT_EQ(finished.at(0).at(0).value<JobResult>().setName, "Broken");
    EXPECT_TRUE(QFileInfo::exists(fullArchive()));
    EXPECT_EQ(treeFiles(destination + "/Mirror"), treeFiles(source));
    EXPECT_FALSE(QFileInfo::exists(destination + "/.7z"));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().first().contains("Broken"));
    EXPECT_FALSE(messages.messages().first().contains("Docs"));
    // The window stays busy from the first set to the last: one pair for the run encloses each set's start, the
    // failed set's too. Which set copies depends on the sets' order.
    QStringList events = recorder.events();
    events.removeAll("copying");
    EXPECT_EQ(events, QStringList({"started", "set 1 of 3", "set 2 of 3", "set 3 of 3", "finished"}));
    const QString log = GetLastRunTexts().logText;
    EXPECT_TRUE(log.contains("=== Docs ===")) << log.toStdString();
    EXPECT_TRUE(log.contains("=== Mirror ===")) << log.toStdString();
}

TEST_F(JobsTest, StampLastRunSavesTheSetAtOnce)
{
    StampLastRun(addSet(FullArchiving));
    const QString today = DateStamp(false);
    EXPECT_TRUE(readFile(setFile("Docs")).contains("\nlastrun=" + today.toUtf8() + "\n"));
    LoadAllBackupSets();
    EXPECT_EQ(backupSets.first().lastRun, today);
}
