// Copies off the machine with the real tools: chains made by the real 7zz copied by rsync over a real sshd and
// by rclone (a local remote and SFTP to the same sshd), checked there, interrupted, restarted and fetched back;
// mirrors over ssh and their safety checks; and failures that give their cause and leave the local backup alone.

#include "Offsite.h"
#include "FetchJob.h"
#include "JobFixture.h"
#include "Jobs.h"
#include "LastRun.h"
#include "OffsitePhase.h"
#include "OffsiteServer.h"

#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The files directly in a folder, hidden ones too, with their bytes.
QMap<QString, QByteArray> filesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, readFile(dir.filePath(name)));
    return files;
}

// Every file below a folder, relative, with its bytes.
QMap<QString, QByteArray> treeIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& relative : treeFiles(folder))
        files.insert(relative, readFile(folder + "/" + relative));
    return files;
}

bool isChainName(const QString& name)
{
    return name == "docs.7z" || (name.startsWith("docs_upd_") && name.endsWith(".7z"));
}

QMap<QString, QByteArray> onlyChain(const QMap<QString, QByteArray>& files)
{
    QMap<QString, QByteArray> chain;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (isChainName(it.key()))
            chain.insert(it.key(), it.value());
    }
    return chain;
}

QMap<QString, QByteArray> withoutChain(const QMap<QString, QByteArray>& files)
{
    QMap<QString, QByteArray> rest;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        if (!isChainName(it.key()))
            rest.insert(it.key(), it.value());
    }
    return rest;
}

// Files of other sets and of the user in the off-site folder, some named much like the set's own.
const QMap<QString, QByteArray> kForeignFiles {
    {"notes.txt", "the user's own file"},
    {"docs_upd_notes.txt", "not an archive"},
    {"docsold.7z", "another set"},
    {"docs.zip", "the zip set of the same name"},
    {"docs_upd_2020-01-01_00h00m00s.zip", "the zip set's update archive"},
    {"docs_upd_2020-01-01_00h00m00s.7z.bak", "a copy the user made"},
    {".velmora-partial/other.7z", "another set's interrupted copy"},
};

// A mount made for one test, undone at its end.
class TestMount
{
public:
    TestMount(const QStringList& arguments, const QString& point)
        : m_point(point)
    {
        if (::geteuid() != 0)
            return;
        QProcess mount;
        mount.start("mount", arguments + QStringList {point});
        m_mounted = mount.waitForFinished(-1) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
    }
    ~TestMount()
    {
        if (!m_mounted)
            return;
        QProcess umount;
        umount.start("umount", {"-l", m_point});
        umount.waitForFinished(-1);
    }
    TestMount(const TestMount&) = delete;
    TestMount& operator=(const TestMount&) = delete;
    bool mounted() const { return m_mounted; }

private:
    QString m_point;
    bool m_mounted = false;
};

class OffsiteTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        m_savedChainLength = Settings().chainLength;
        MutableSettings().chainLength = 50;
        SetSevenZipCandidates({"/usr/bin/7zz"});
        QString problem;
        if (!server.start(&problem))
            GTEST_SKIP() << "no sshd for the off-site tests: " << problem.toStdString();
        remote = home.filePath("remote/off site's");
    }
    void TearDown() override
    {
        qunsetenv("VELMORA_OFFSITE_BWLIMIT");
        MutableSettings().chainLength = m_savedChainLength;
        JobFixture::TearDown();
    }

    BackupSet setOf(quint32 id) const
    {
        BackupSet set;
        EXPECT_TRUE(GetBackupSet(id, set));
        return set;
    }
    // The incremental set "Docs", its off-site destination the given text.
    BackupSet incrementalSet(const QString& offsite)
    {
        const quint32 id = addSet(IncrementalArchiving);
        // Kept out of the set's file: a run would copy it off site itself, and these tests run that phase alone.
        BackupSet set = setOf(id);
        set.offsite = offsite;
        m_id = id;
        return set;
    }
    void backUp()
    {
        const JobResult result = RunSetJob(m_id);
        ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    }
    QMap<QString, QByteArray> localChain() const { return onlyChain(filesIn(destination)); }
    void putForeignFiles(const QString& folder) const
    {
        for (auto it = kForeignFiles.cbegin(); it != kForeignFiles.cend(); ++it)
            writeFile(folder + "/" + it.key(), it.value());
    }
    QMap<QString, QByteArray> foreignFilesIn(const QString& folder) const
    {
        QMap<QString, QByteArray> found = withoutChain(filesIn(folder));
        found.insert(".velmora-partial/other.7z", readFile(folder + "/.velmora-partial/other.7z"));
        return found;
    }

    // Runs the phase as the job runner would, with a fresh control; onProgress sees every value.
    OffsiteOutcome copyOffsite(const BackupSet& set, const std::function<void(const JobProgress&)>& onProgress = {})
    {
        control.reset();
        progress.clear();
        JobContext context;
        context.control = &control;
        context.timeLimit = std::chrono::seconds(3600);
        context.progressInterval = std::chrono::milliseconds(0);
        context.progress = [this, onProgress](const JobProgress& value) {
            progress.append(value);
            if (onProgress)
                onProgress(value);
        };
        return set.backupType == MirrorCopying ? MirrorOffsite(set, context) : CopyArchivesOffsite(set, context);
    }
    OffsiteOutcome fetch(const BackupSet& set, const QStringList& names, const QString& folder)
    {
        control.reset();
        JobContext context;
        context.control = &control;
        return FetchOffsiteFiles(set, names, folder, context);
    }
    // A copy slow enough to be interrupted once it has begun: the chain's full archive is a few megabytes
    // 7-Zip cannot shrink, and the copies' rate is limited.
    void makeSlowFullArchive()
    {
        writeIncompressible(source + "/big.bin", 6 << 20);
        qputenv("VELMORA_OFFSITE_BWLIMIT", "1024");
    }
    // Stops the copy once it has copied something.
    std::function<void(const JobProgress&)> stopOnceCopying()
    {
        return [this](const JobProgress& value) {
            if (value.offsite && value.bytesDone > 0)
                control.requestStop();
        };
    }

    // Changes a byte in the middle of the file and gives it back its size and time.
    static void damageKeepingSizeAndTime(const QString& path, int flip = 0x55)
    {
        const QDateTime modified = QFileInfo(path).lastModified();
        QByteArray bytes = readFile(path);
        ASSERT_FALSE(bytes.isEmpty()) << path.toStdString();
        bytes[bytes.size() / 2] = char(bytes.at(bytes.size() / 2) ^ flip);
        writeFile(path, bytes);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }

    OffsiteServer server;
    RunControl control;
    QList<JobProgress> progress;
    QString remote;
    quint32 m_id = 0;
    qint32 m_savedChainLength = 0;
};

} // namespace

TEST_F(OffsiteTest, SshChainArrivesRunByRunCheckedAndFetchesBackWhileTheFolderKeepsEverythingElse)
{
    const BackupSet set = incrementalSet(server.sshTarget(remote));
    putForeignFiles(remote);
    const QMap<QString, QByteArray> foreign = foreignFilesIn(remote);
    const QList<std::function<void()>> changes {
        [] {},
        [&] { writeFile(source + "/a.txt", "alpha, changed"); },
        [&] {
            QFile::remove(source + "/sub/b.txt");
            writeFile(source + "/c.txt", "new");
        },
    };
    for (const auto& change : changes) {
        change();
        backUp();
        ClearLastRunTexts();
        const OffsiteOutcome outcome = copyOffsite(set);
        ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
        // Each run brings one new archive there: the full archive, then each update archive.
        EXPECT_EQ(outcome.filesCopied, 1);
        EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
        EXPECT_EQ(foreignFilesIn(remote), foreign);
        ASSERT_FALSE(progress.isEmpty());
        EXPECT_TRUE(std::all_of(progress.cbegin(), progress.cend(), [](const JobProgress& p) { return p.offsite; }));
        EXPECT_EQ(progress.last().percent, 100);
        EXPECT_TRUE(GetLastRunTexts().logText.contains("docs")) << GetLastRunTexts().logText.toStdString();
    }
    EXPECT_EQ(localChain().size(), 3);

    // Nothing changed here: nothing is copied again, and nothing there changes.
    const OffsiteOutcome again = copyOffsite(set);
    ASSERT_TRUE(again.ok()) << again.reason.toStdString();
    EXPECT_EQ(again.filesCopied, 0);
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());

    OffsiteOutcome listed;
    const QList<OffsiteFile> archives = ListOffsiteArchives(set, &listed);
    ASSERT_TRUE(listed.ok()) << listed.reason.toStdString();
    QStringList names;
    for (const OffsiteFile& file : archives) {
        names.append(file.name);
        EXPECT_EQ(file.size, localChain().value(file.name).size()) << file.name.toStdString();
    }
    EXPECT_EQ(names, localChain().keys());

    const QString fetched = home.filePath("fetched");
    const OffsiteOutcome got = fetch(set, names, fetched);
    ASSERT_TRUE(got.ok()) << got.reason.toStdString();
    EXPECT_EQ(got.filesCopied, 3);
    EXPECT_EQ(filesIn(fetched), localChain());
    // Only archives of the set are fetched.
    EXPECT_EQ(fetch(set, {"notes.txt"}, fetched).cause, OffsiteCause::Other);
}

TEST_F(OffsiteTest, SshChainRestartRemovesTheOldChainThereOnlyOnceTheNewFullArchiveIsThereAndChecked)
{
    const BackupSet set = incrementalSet(server.sshTarget(remote));
    putForeignFiles(remote);
    const QMap<QString, QByteArray> foreign = foreignFilesIn(remote);
    for (int run = 0; run < 3; ++run) {
        writeFile(source + "/a.txt", QByteArray("run ") + QByteArray::number(run));
        backUp();
        const OffsiteOutcome outcome = copyOffsite(set);
        ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    }
    const QMap<QString, QByteArray> oldChain = onlyChain(filesIn(remote));
    ASSERT_EQ(oldChain.size(), 3);

    // The chain has reached its length: the next run starts a new one here.
    MutableSettings().chainLength = 2;
    makeSlowFullArchive();
    backUp();
    ASSERT_EQ(localChain().keys(), QStringList {"docs.7z"});

    // Stopped while the new full archive is on its way: the old chain there is whole and unchanged.
    const OffsiteOutcome stopped = copyOffsite(set, stopOnceCopying());
    EXPECT_EQ(stopped.cause, OffsiteCause::Stopped) << stopped.reason.toStdString();
    EXPECT_EQ(onlyChain(filesIn(remote)), oldChain);

    qunsetenv("VELMORA_OFFSITE_BWLIMIT");
    const OffsiteOutcome done = copyOffsite(set);
    ASSERT_TRUE(done.ok()) << done.reason.toStdString();
    EXPECT_EQ(done.filesCopied, 1);
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
    EXPECT_EQ(foreignFilesIn(remote), foreign);
}

TEST_F(OffsiteTest, SshFullArchiveThereIsJudgedByItsBytesNotItsSizeAndTime)
{
    // A full set's archive keeps its name from run to run; a copy there of the same size and time but other
    // bytes (a run that wrote as many bytes again, or a damaged disk there) is no copy of it.
    const quint32 id = addSet(FullArchiving);
    BackupSet set = setOf(id);
    set.offsite = server.sshTarget(remote);
    m_id = id;
    backUp();
    ASSERT_TRUE(copyOffsite(set).ok());
    QByteArray other = readFile(fullArchive());
    other[other.size() / 2] = char(other.at(other.size() / 2) ^ 0x55);
    writeFile(remote + "/docs.7z", other);
    QFile copy(remote + "/docs.7z");
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
    ASSERT_TRUE(copy.setFileTime(QFileInfo(fullArchive()).lastModified(), QFileDevice::FileModificationTime));
    copy.close();

    const OffsiteOutcome outcome = copyOffsite(set);
    ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    EXPECT_EQ(outcome.filesCopied, 1);
    EXPECT_EQ(readFile(remote + "/docs.7z"), readFile(fullArchive()));
}

TEST_F(OffsiteTest, SshInterruptedUploadLeavesNoArchiveUnderItsNameAndTheNextRunCompletesIt)
{
    const BackupSet set = incrementalSet(server.sshTarget(remote));
    makeSlowFullArchive();
    backUp();

    const OffsiteOutcome stopped = copyOffsite(set, stopOnceCopying());
    EXPECT_EQ(stopped.cause, OffsiteCause::Stopped) << stopped.reason.toStdString();
    EXPECT_TRUE(onlyChain(filesIn(remote)).isEmpty());

    // The network goes away half-way.
    bool dropped = false;
    const OffsiteOutcome cut = copyOffsite(set, [&](const JobProgress& value) {
        if (value.offsite && value.bytesDone > 0 && !dropped)
            dropped = server.dropConnections() > 0;
    });
    EXPECT_TRUE(dropped);
    EXPECT_EQ(cut.cause, OffsiteCause::Unreachable) << cut.reason.toStdString();
    EXPECT_TRUE(onlyChain(filesIn(remote)).isEmpty());

    qunsetenv("VELMORA_OFFSITE_BWLIMIT");
    const OffsiteOutcome done = copyOffsite(set);
    ASSERT_TRUE(done.ok()) << done.reason.toStdString();
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
}

// Folder names a shell or rsync would take for a pattern, or split, or expand, each with a folder beside it
// that the pattern would match: every copy must reach the folder named and leave the other alone.
TEST_F(OffsiteTest, SshPathsWithPatternBlankQuoteAndDollarReachTheFolderNamedAndNoOther)
{
    struct Case
    {
        QString folder;
        QString lookalike;
    };
    const QString root = home.filePath("R");
    const QList<Case> cases {
        {root + "/Backup [A]", root + "/Backup A"},
        {root + "/Back?p", root + "/Backup"},
        {root + "/B*", root + "/Bx"},
        {root + "/it's \"$HOME\" a\\b  two", root + "/it's \"$HOME\" a"},
    };
    const quint32 mirrorId = addSet(MirrorCopying);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        QDir(root).removeRecursively();
        // What a mirror's --delete or an archive set's copy would find in the folder the pattern matches.
        makeTree(c.lookalike, {{"src/precious.txt", "someone else's"}, {"docs.7z", "another set's"}});
        const QMap<QString, QByteArray> lookalike = treeIn(c.lookalike);

        BackupSet mirror = setOf(mirrorId);
        mirror.offsite = server.sshTarget(c.folder);
        const OffsiteOutcome mirrored = copyOffsite(mirror);
        ASSERT_TRUE(mirrored.ok()) << mirrored.reason.toStdString();
        EXPECT_EQ(treeIn(c.folder + "/src"), treeIn(source));
        EXPECT_EQ(treeIn(c.lookalike), lookalike);

        const auto target = ParseOffsiteTarget(server.sshTarget(c.folder));
        ASSERT_TRUE(target);
        const OffsiteOutcome tested = TestOffsite(*target);
        EXPECT_TRUE(tested.ok()) << tested.reason.toStdString();
        EXPECT_EQ(treeIn(c.lookalike), lookalike);
    }

    // An archive set's chain, its listing, its check there and its fetch go by the same rules.
    const Case& c = cases.first();
    QDir(root).removeRecursively();
    makeTree(c.lookalike, {{"docs.7z", "another set's"}, {"docs_upd_2020-01-01_00h00m00s.7z", "another's"}});
    const QMap<QString, QByteArray> lookalike = treeIn(c.lookalike);
    const BackupSet set = incrementalSet(server.sshTarget(c.folder));
    for (int run = 0; run < 2; ++run) {
        writeFile(source + "/a.txt", QByteArray("run ") + QByteArray::number(run));
        backUp();
        const OffsiteOutcome copied = copyOffsite(set);
        ASSERT_TRUE(copied.ok()) << copied.reason.toStdString();
        EXPECT_EQ(copied.filesCopied, 1);
        EXPECT_EQ(onlyChain(filesIn(c.folder)), localChain());
        EXPECT_EQ(treeIn(c.lookalike), lookalike);
    }
    const QList<OffsiteFile> listed = ListOffsiteArchives(set);
    ASSERT_EQ(listed.size(), 2);
    const QString fetched = home.filePath("fetched");
    const OffsiteOutcome got = fetch(set, {listed.at(0).name, listed.at(1).name}, fetched);
    ASSERT_TRUE(got.ok()) << got.reason.toStdString();
    EXPECT_EQ(filesIn(fetched), localChain());

    // A line break cannot be given to any of the tools as one name.
    EXPECT_FALSE(ParseOffsiteTarget(server.sshTarget(root + "/two\nlines")));
}

// A copy there damaged with its size and time kept (a failing disk, a hand that edited it) is found at the next
// run by a checksum made there, replaced, and checked again.
TEST_F(OffsiteTest, SshCopiesDamagedThereAreFoundByChecksumAndReplaced)
{
    const BackupSet set = incrementalSet(server.sshTarget(remote));
    for (int run = 0; run < 2; ++run) {
        writeFile(source + "/a.txt", QByteArray("run ") + QByteArray::number(run));
        backUp();
        ASSERT_TRUE(copyOffsite(set).ok());
    }
    ASSERT_EQ(localChain().size(), 2);
    for (const QString& name : localChain().keys())
        damageKeepingSizeAndTime(remote + "/" + name);

    const OffsiteOutcome repaired = copyOffsite(set);
    ASSERT_TRUE(repaired.ok()) << repaired.reason.toStdString();
    EXPECT_EQ(repaired.filesCopied, 2);
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
    const OffsiteOutcome again = copyOffsite(set);
    ASSERT_TRUE(again.ok()) << again.reason.toStdString();
    EXPECT_EQ(again.filesCopied, 0);
}

// A local archive damaged since it was copied is no measure of the copy there: a good copy stays, and a copy
// damaged too cannot be repaired from it, which fails the copy and names the file.
TEST_F(OffsiteTest, SshDamageHereNeverReplacesACopyThereAndUnrepairableDamageFails)
{
    const BackupSet set = incrementalSet(server.sshTarget(remote));
    backUp();
    ASSERT_TRUE(copyOffsite(set).ok());
    const QByteArray good = readFile(fullArchive());
    damageKeepingSizeAndTime(fullArchive());

    const OffsiteOutcome kept = copyOffsite(set);
    ASSERT_TRUE(kept.ok()) << kept.reason.toStdString();
    EXPECT_EQ(kept.filesCopied, 0);
    EXPECT_EQ(readFile(remote + "/docs.7z"), good);

    damageKeepingSizeAndTime(remote + "/docs.7z", 7);
    const QByteArray damagedThere = readFile(remote + "/docs.7z");
    const OffsiteOutcome failed = copyOffsite(set);
    EXPECT_EQ(failed.cause, OffsiteCause::Mismatch) << failed.reason.toStdString();
    EXPECT_TRUE(failed.reason.contains("docs.7z")) << failed.reason.toStdString();
    EXPECT_EQ(readFile(remote + "/docs.7z"), damagedThere);

    // Nor is a damaged copy fetched back as an archive to restore from.
    const OffsiteOutcome fetched = fetch(set, {"docs.7z"}, home.filePath("fetched"));
    EXPECT_EQ(fetched.cause, OffsiteCause::Mismatch) << fetched.reason.toStdString();
    EXPECT_TRUE(fetched.reason.contains("docs.7z")) << fetched.reason.toStdString();
}

// An rclone folder of this computer's disks inside the source would have its archives packed into the next
// archive at every run: the run is refused before anything is written, also through an alias.
TEST_F(OffsiteTest, AnRcloneFolderThatIsOrLiesInTheSourceIsRefusedBeforeAnythingIsWritten)
{
    if (QStandardPaths::findExecutable("rclone").isEmpty())
        GTEST_SKIP() << "rclone is not installed (Debian: rclone)";
    QFile config(qEnvironmentVariable("RCLONE_CONFIG"));
    ASSERT_TRUE(config.open(QIODevice::Append));
    config.write("\n[viaalias]\ntype = alias\nremote = " + OffsiteServer::localRemote().toUtf8() + ":"
        + QFile::encodeName(home.path()) + "\n");
    config.close();
    const QStringList before = treeFiles(source);
    for (const QString& offsite : {OffsiteServer::localRemote() + ":" + source,
             OffsiteServer::localRemote() + ":" + source + "/offsite", QString("viaalias:src/copies")}) {
        backupSets.clear();
        BackupSet set = docsSet(IncrementalArchiving);
        set.offsite = offsite;
        const JobResult result = ArchiveJob(AddBackupSet(set));
        EXPECT_EQ(result.outcome, JobOutcome::DestinationInSource) << offsite.toStdString();
        EXPECT_TRUE(result.reason.contains(offsite)) << result.reason.toStdString();
        EXPECT_TRUE(destinationFiles(destination).isEmpty()) << offsite.toStdString();
        EXPECT_EQ(treeFiles(source), before) << offsite.toStdString();
    }
    // Beside the source it is an off-site folder like any other.
    backupSets.clear();
    BackupSet set = docsSet(IncrementalArchiving);
    set.offsite = "viaalias:copies";
    const JobResult result = ArchiveJob(AddBackupSet(set));
    EXPECT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
}

class OffsiteRcloneTest : public OffsiteTest, public ::testing::WithParamInterface<QString>
{
protected:
    void SetUp() override
    {
        OffsiteTest::SetUp();
        if (!IsSkipped() && QStandardPaths::findExecutable("rclone").isEmpty())
            GTEST_SKIP() << "rclone is not installed (Debian: rclone)";
    }
};

TEST_P(OffsiteRcloneTest, ChainArrivesIsRestartedAfterAnInterruptionAndFetchesBack)
{
    const BackupSet set = incrementalSet(GetParam() + ":" + remote);
    putForeignFiles(remote);
    const QMap<QString, QByteArray> foreign = foreignFilesIn(remote);
    for (int run = 0; run < 3; ++run) {
        writeFile(source + "/a.txt", QByteArray("run ") + QByteArray::number(run));
        backUp();
        const OffsiteOutcome outcome = copyOffsite(set);
        ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
        EXPECT_EQ(outcome.filesCopied, 1);
        EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
        EXPECT_EQ(foreignFilesIn(remote), foreign);
        // rclone's hidden copies are gone once the file has its name.
        EXPECT_FALSE(filesIn(remote).keys().join(" ").contains("velmora-part"));
    }
    const QMap<QString, QByteArray> oldChain = onlyChain(filesIn(remote));

    MutableSettings().chainLength = 2;
    makeSlowFullArchive();
    backUp();
    const OffsiteOutcome stopped = copyOffsite(set, stopOnceCopying());
    EXPECT_EQ(stopped.cause, OffsiteCause::Stopped) << stopped.reason.toStdString();
    EXPECT_EQ(onlyChain(filesIn(remote)), oldChain);

    qunsetenv("VELMORA_OFFSITE_BWLIMIT");
    const OffsiteOutcome done = copyOffsite(set);
    ASSERT_TRUE(done.ok()) << done.reason.toStdString();
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
    EXPECT_EQ(foreignFilesIn(remote), foreign);
    EXPECT_FALSE(filesIn(remote).keys().join(" ").contains("velmora-part"));

    // A copy there that was damaged, even with its size and time kept, is found and really replaced: rclone
    // would take a file of the same size and time there for the new copy and keep it.
    damageKeepingSizeAndTime(remote + "/docs.7z");
    const OffsiteOutcome repaired = copyOffsite(set);
    ASSERT_TRUE(repaired.ok()) << repaired.reason.toStdString();
    EXPECT_EQ(repaired.filesCopied, 1);
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());
    writeFile(source + "/a.txt", "an update");
    backUp();
    ASSERT_TRUE(copyOffsite(set).ok());
    ASSERT_EQ(localChain().size(), 2);
    for (const QString& name : localChain().keys())
        damageKeepingSizeAndTime(remote + "/" + name);
    const OffsiteOutcome both = copyOffsite(set);
    ASSERT_TRUE(both.ok()) << both.reason.toStdString();
    EXPECT_EQ(both.filesCopied, 2);
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());

    const QList<OffsiteFile> archives = ListOffsiteArchives(set);
    ASSERT_EQ(archives.size(), 2);
    const QString fetched = home.filePath("fetched");
    const OffsiteOutcome got = fetch(set, {archives.at(0).name, archives.at(1).name}, fetched);
    ASSERT_TRUE(got.ok()) << got.reason.toStdString();
    EXPECT_EQ(filesIn(fetched), localChain());
}

TEST_P(OffsiteRcloneTest, TheHistoryArrivesAndAPointRemovedHereGoesThereAtTheNextRun)
{
    const BackupSet set = incrementalSet(GetParam() + ":" + remote);
    const QString history = destination + "/docs.history";
    const QString historyThere = remote + "/docs.history";
    for (int run = 0; run < 3; ++run) {
        writeFile(source + "/a.txt", QByteArray("run ") + QByteArray::number(run));
        backUp();
        ASSERT_TRUE(copyOffsite(set).ok());
    }
    MutableSettings().chainLength = 2;
    writeFile(source + "/a.txt", "new chain");
    backUp();
    const OffsiteOutcome carried = copyOffsite(set);
    ASSERT_TRUE(carried.ok()) << carried.reason.toStdString();
    EXPECT_EQ(treeIn(historyThere), treeIn(history));
    ASSERT_EQ(treeIn(history).size(), 3);

    const QString removed = treeIn(history).keys().constLast();
    ASSERT_TRUE(QFile::remove(history + "/" + removed));
    EXPECT_TRUE(QFileInfo::exists(historyThere + "/" + removed));
    ASSERT_TRUE(copyOffsite(set).ok());
    EXPECT_EQ(treeIn(historyThere), treeIn(history));

    const QString fetched = home.filePath("fetched");
    const OffsiteOutcome got = fetch(set, localChain().keys(), fetched);
    ASSERT_TRUE(got.ok()) << got.reason.toStdString();
    EXPECT_EQ(treeIn(fetched + "/docs.history"), treeIn(history));
}

INSTANTIATE_TEST_SUITE_P(OffsiteRemotes, OffsiteRcloneTest,
    ::testing::Values(OffsiteServer::localRemote(), OffsiteServer::sftpRemote()),
    [](const ::testing::TestParamInfo<QString>& remote) { return remote.param.toStdString(); });

TEST_F(OffsiteTest, SshMirrorFollowsTheSourceAndRefusesAnEmptySourceOrOneItWouldReach)
{
    const quint32 id = addSet(MirrorCopying);
    BackupSet set = setOf(id);
    set.offsite = server.sshTarget(remote);
    const QString mirror = remote + "/src";
    ASSERT_TRUE(copyOffsite(set).ok());
    EXPECT_EQ(treeIn(mirror), treeIn(source));

    QFile::remove(source + "/sub/b.txt");
    writeFile(source + "/added/new.txt", "added");
    const OffsiteOutcome second = copyOffsite(set);
    ASSERT_TRUE(second.ok()) << second.reason.toStdString();
    EXPECT_EQ(treeIn(mirror), treeIn(source));
    EXPECT_EQ(progress.last().percent, 100);

    // An empty source (a disk that is not mounted) would empty the mirror.
    const QMap<QString, QByteArray> kept = treeIn(mirror);
    QDir(source).removeRecursively();
    QDir().mkpath(source);
    const OffsiteOutcome empty = copyOffsite(set);
    EXPECT_EQ(empty.cause, OffsiteCause::Unsafe);
    EXPECT_EQ(treeIn(mirror), kept);
    QDir(source).removeRecursively();
    const OffsiteOutcome missing = copyOffsite(set);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(treeIn(mirror), kept);

    // The server is this computer: a mirror that is the source, or lies in it, is refused by path.
    makeTree(source, {{"a.txt", "alpha"}, {"inner/b.txt", "beta"}});
    const QMap<QString, QByteArray> sourceFiles = treeIn(source);
    for (const QString& folder : {home.path(), source + "/inner"}) {
        set.offsite = server.sshTarget(folder);
        const OffsiteOutcome unsafe = copyOffsite(set);
        EXPECT_EQ(unsafe.cause, OffsiteCause::Unsafe) << folder.toStdString() << ": " << unsafe.reason.toStdString();
        EXPECT_EQ(treeIn(source), sourceFiles);
    }

    // A mirror is made over ssh only.
    set.offsite = OffsiteServer::localRemote() + ":" + remote;
    EXPECT_EQ(copyOffsite(set).cause, OffsiteCause::Other);

    // The same folder reached through a bind mount has another path but is the same folder.
    const QString bound = home.filePath("bound");
    QDir().mkpath(bound);
    const TestMount bind({"--bind", home.path()}, bound);
    if (!bind.mounted()) {
        std::cout << "[  NOTE    ] no bind mount here (not root); that part is left out\n";
        return;
    }
    set.offsite = server.sshTarget(bound);
    const OffsiteOutcome throughMount = copyOffsite(set);
    EXPECT_EQ(throughMount.cause, OffsiteCause::Unsafe) << throughMount.reason.toStdString();
    EXPECT_EQ(treeIn(source), sourceFiles);
}

TEST_F(OffsiteTest, FailuresGiveTheirCauseAndLeaveTheLocalBackupAlone)
{
    BackupSet set = incrementalSet(server.sshTarget(remote));
    backUp();
    const QMap<QString, QByteArray> local = localChain();

    auto copyWithSshConfig = [&](const QString& config) {
        qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(config));
        const OffsiteOutcome outcome = copyOffsite(set);
        qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(server.sshConfig()));
        return outcome;
    };
    // A host ssh has never met is refused, never accepted behind the user's back.
    const OffsiteOutcome unknown = copyWithSshConfig(server.configWithoutHostKey());
    EXPECT_EQ(unknown.cause, OffsiteCause::HostKeyUnknown) << unknown.reason.toStdString();
    EXPECT_TRUE(unknown.reason.contains("accept its key")) << unknown.reason.toStdString();
    EXPECT_TRUE(unknown.reason.contains(QString("ssh -p %1 %2@127.0.0.1").arg(server.port()).arg(server.user())))
        << unknown.reason.toStdString();
    const OffsiteOutcome changed = copyWithSshConfig(server.configWithOtherHostKey());
    EXPECT_EQ(changed.cause, OffsiteCause::HostKeyChanged) << changed.reason.toStdString();
    const OffsiteOutcome refused = copyWithSshConfig(server.configWithRefusedKey());
    EXPECT_EQ(refused.cause, OffsiteCause::LoginRefused) << refused.reason.toStdString();
    EXPECT_TRUE(refused.reason.contains("Permission denied (publickey")) << refused.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(remote));

    set.offsite = QString("ssh://%1@127.0.0.1:%2%3").arg(server.user()).arg(OffsiteServer::unusedPort()).arg(remote);
    const OffsiteOutcome closed = copyOffsite(set);
    EXPECT_EQ(closed.cause, OffsiteCause::Unreachable) << closed.reason.toStdString();
    EXPECT_TRUE(closed.reason.contains("Connection refused")) << closed.reason.toStdString();

    set.offsite = "velmora-no-such-remote:" + remote;
    const OffsiteOutcome noRemote = copyOffsite(set);
    if (!QStandardPaths::findExecutable("rclone").isEmpty()) {
        EXPECT_EQ(noRemote.cause, OffsiteCause::ToolMissing) << noRemote.reason.toStdString();
        EXPECT_TRUE(noRemote.reason.contains("velmora-no-such-remote")) << noRemote.reason.toStdString();
    }

    EXPECT_EQ(localChain(), local);

    // A remote with no room: a small file system mounted as the folder there.
    QDir().mkpath(remote);
    writeIncompressible(source + "/big.bin", 3 << 20);
    backUp();
    const QMap<QString, QByteArray> bigger = localChain();
    const TestMount small({"-t", "tmpfs", "-o", "size=1m", "tmpfs"}, remote);
    if (small.mounted()) {
        set.offsite = server.sshTarget(remote);
        // The small full archive fits, the big update archive does not: what is there under a name of the
        // chain is whole.
        auto wholeThere = [&] {
            const QMap<QString, QByteArray> there = onlyChain(filesIn(remote));
            for (auto it = there.cbegin(); it != there.cend(); ++it)
                EXPECT_EQ(it.value(), bigger.value(it.key())) << it.key().toStdString();
            return there.size() < bigger.size();
        };
        const OffsiteOutcome full = copyOffsite(set);
        EXPECT_EQ(full.cause, OffsiteCause::NoSpace) << full.reason.toStdString();
        EXPECT_TRUE(wholeThere());
        // sftp reports a full disk only as "Failure"; rclone's local remote says what it is.
        if (!QStandardPaths::findExecutable("rclone").isEmpty()) {
            set.offsite = OffsiteServer::localRemote() + ":" + remote;
            const OffsiteOutcome fullRclone = copyOffsite(set);
            EXPECT_EQ(fullRclone.cause, OffsiteCause::NoSpace) << fullRclone.reason.toStdString();
            EXPECT_TRUE(wholeThere());
        }
    } else {
        std::cout << "[  NOTE    ] no tmpfs mount here (not root); the full remote is left out\n";
    }
    EXPECT_EQ(localChain(), bigger);
}

TEST_F(OffsiteTest, TestOfTheDestinationWritesAndRemovesItsFileOrNamesTheCause)
{
    const auto ssh = ParseOffsiteTarget(server.sshTarget(remote));
    ASSERT_TRUE(ssh);
    const OffsiteOutcome good = TestOffsite(*ssh);
    ASSERT_TRUE(good.ok()) << good.reason.toStdString();
    // The folder is made, and the test's file is gone again.
    EXPECT_TRUE(QFileInfo(remote).isDir());
    EXPECT_TRUE(QDir(remote).entryList(QDir::Files | QDir::Hidden).isEmpty());

    qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(server.configWithoutHostKey()));
    const OffsiteOutcome unknown = TestOffsite(*ssh);
    qputenv("VELMORA_SSH_CONFIG", QFile::encodeName(server.sshConfig()));
    EXPECT_EQ(unknown.cause, OffsiteCause::HostKeyUnknown) << unknown.reason.toStdString();

    // A folder that cannot be made: below a file.
    writeFile(home.filePath("a file"), "x");
    const auto blocked = ParseOffsiteTarget(server.sshTarget(home.filePath("a file/backups")));
    ASSERT_TRUE(blocked);
    const OffsiteOutcome notWritable = TestOffsite(*blocked);
    EXPECT_EQ(notWritable.cause, OffsiteCause::NotWritable) << notWritable.reason.toStdString();

    if (QStandardPaths::findExecutable("rclone").isEmpty())
        return;
    const auto local = ParseOffsiteTarget(OffsiteServer::localRemote() + ":" + remote + "/rclone");
    ASSERT_TRUE(local);
    const OffsiteOutcome rcloneGood = TestOffsite(*local);
    ASSERT_TRUE(rcloneGood.ok()) << rcloneGood.reason.toStdString();
    EXPECT_TRUE(QDir(remote + "/rclone").entryList(QDir::Files | QDir::Hidden).isEmpty());
    const auto missing = ParseOffsiteTarget("velmora-no-such-remote:backups");
    ASSERT_TRUE(missing);
    EXPECT_EQ(TestOffsite(*missing).cause, OffsiteCause::ToolMissing);
}

// A restore from off site fetches the archives its point needs, not the whole chain.
TEST(OffsiteRestore, FetchesTheFullArchiveAndTheUpdateArchiveOfThePointOnly)
{
    BackupSet set;
    set.arcName = "docs";
    set.arcType = 0;
    const QStringList there {"docs.7z", "docs_upd_2026-12-01_20h00m00s.7z", "docs_upd_2026-12-03_20h00m00s.7z",
        "docs_upd_2026-12-02_20h00m00s.7z"};
    EXPECT_EQ(ArchivesForPoint(set, there, std::nullopt), there);
    EXPECT_EQ(ArchivesForPoint(set, there, QString()), QStringList({"docs.7z", "docs_upd_2026-12-03_20h00m00s.7z"}));
    EXPECT_EQ(ArchivesForPoint(set, there, QStringLiteral("2026-12-02")),
        QStringList({"docs.7z", "docs_upd_2026-12-02_20h00m00s.7z"}));
    EXPECT_EQ(ArchivesForPoint(set, there, QStringLiteral("2026-12-02_19h59m59s")),
        QStringList({"docs.7z", "docs_upd_2026-12-01_20h00m00s.7z"}));
    // Before every update archive: the full archive's own point.
    EXPECT_EQ(ArchivesForPoint(set, there, QStringLiteral("2026-11-30")), QStringList({"docs.7z"}));
}

TEST_F(OffsiteTest, SshHistoryArrivesAndAPointRemovedHereGoesThereOnlyAtTheNextRun)
{
    const BackupSet set = incrementalSet(server.sshTarget(remote));
    const QString history = destination + "/docs.history";
    const QString historyThere = remote + "/docs.history";
    for (int run = 0; run < 3; ++run) {
        writeFile(source + "/a.txt", QByteArray("run ") + QByteArray::number(run));
        backUp();
        ASSERT_TRUE(copyOffsite(set).ok());
    }
    // No history here yet: none is made there.
    EXPECT_FALSE(QFileInfo::exists(historyThere));

    // A new chain keeps the old one in the history here; the next copy carries it there whole before the old
    // chain goes from beside the new one.
    MutableSettings().chainLength = 2;
    writeFile(source + "/a.txt", "new chain");
    backUp();
    ASSERT_EQ(treeIn(history).size(), 3);
    const OffsiteOutcome carried = copyOffsite(set);
    ASSERT_TRUE(carried.ok()) << carried.reason.toStdString();
    EXPECT_EQ(treeIn(historyThere), treeIn(history));
    EXPECT_EQ(onlyChain(filesIn(remote)), localChain());

    // A point removed here (as the retention policy does) stays there until the next good run copies.
    const QString removed = treeIn(history).keys().constLast();
    ASSERT_TRUE(removed.contains("_upd_")) << removed.toStdString();
    ASSERT_TRUE(QFile::remove(history + "/" + removed));
    EXPECT_TRUE(QFileInfo::exists(historyThere + "/" + removed));
    ASSERT_TRUE(copyOffsite(set).ok());
    EXPECT_FALSE(QFileInfo::exists(historyThere + "/" + removed));
    EXPECT_EQ(treeIn(historyThere), treeIn(history));
    const QMap<QString, QByteArray> kept = treeIn(historyThere);
    ASSERT_EQ(kept.size(), 2);

    // Fetched back for a restore, the kept chains come with the chain.
    const QString fetched = home.filePath("fetched");
    const OffsiteOutcome got = fetch(set, localChain().keys(), fetched);
    ASSERT_TRUE(got.ok()) << got.reason.toStdString();
    EXPECT_EQ(treeIn(fetched + "/docs.history"), kept);

    // No history here (moved away, or a link in its place): nothing there is removed.
    const QString aside = home.filePath("aside");
    ASSERT_TRUE(QDir().rename(history, aside));
    ASSERT_TRUE(copyOffsite(set).ok());
    EXPECT_EQ(treeIn(historyThere), kept);
    QDir().mkpath(home.filePath("empty"));
    ASSERT_EQ(
        ::symlink(QFile::encodeName(home.filePath("empty")).constData(), QFile::encodeName(history).constData()), 0);
    ASSERT_TRUE(copyOffsite(set).ok());
    EXPECT_EQ(treeIn(historyThere), kept);
}

TEST_F(OffsiteTest, SshMirrorCarriesItsKeptVersionsBesideTheMirrorThere)
{
    const quint32 id = addSet(MirrorCopying);
    BackupSet set = setOf(id);
    set.offsite = server.sshTarget(remote);
    const QDateTime start(QDate(2026, 6, 1), QTime(10, 0, 0));
    qputenv("VELMORA_NOW", start.toString(Qt::ISODate).toUtf8());
    ASSERT_TRUE(MirrorJob(id).succeeded());
    writeFile(source + "/a.txt", "alpha, second");
    qputenv("VELMORA_NOW", start.addDays(1).toString(Qt::ISODate).toUtf8());
    ASSERT_TRUE(MirrorJob(id).succeeded());
    qunsetenv("VELMORA_NOW");
    const QString history = destination + "/Docs.history";
    ASSERT_EQ(treeIn(history).size(), 1);
    const OffsiteOutcome outcome = copyOffsite(set);
    ASSERT_TRUE(outcome.ok()) << outcome.reason.toStdString();
    EXPECT_EQ(treeIn(remote + "/src"), treeIn(source));
    EXPECT_EQ(treeIn(remote + "/src.history"), treeIn(history));
    EXPECT_EQ(treeIn(remote + "/src.history").first(), "alpha");
}
