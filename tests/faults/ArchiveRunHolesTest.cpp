// Ways an archive run lost a backup, leaked files or reported a failure as success, each tried the way an
// unlucky user or another user of the machine would: a killed 7-Zip, exclusions that leave out everything,
// unreadable folders, planted files at the archive's name, wildcard characters in folder names, another
// user's temporary folder, two runs in one second and a damaged archive type.

#include "ArchiveCommand.h"
#include "DestinationDisk.h"
#include "JobFixture.h"
#include "UpdateArchives.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class ArchiveRunHolesTest : public JobFixture
{
protected:
    void changeSet(const std::function<void(BackupSet&)>& change, quint32 id)
    {
        BackupSet set;
        ASSERT_TRUE(GetBackupSet(id, set));
        change(set);
        UpdateBackupSet(set);
    }
    QStringList destinationFiles() const
    {
        QStringList files = QDir(destination).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        files.removeAll(QLatin1String(kDestinationMarkerName));
        return files;
    }
};

mode_t modeOf(const QString& path)
{
    struct stat status
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

// Sets the process's umask for the lifetime of the object.
struct Umask
{
    explicit Umask(mode_t mask)
        : saved(::umask(mask))
    {
    }
    ~Umask() { ::umask(saved); }
    mode_t saved;
};

} // namespace

TEST_F(ArchiveRunHolesTest, AKilledSevenZipLeavesNoTornUpdateArchiveInTheChain)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    const QByteArray full = readFile(fullArchive());
    // A 7-Zip that writes half an update archive where it was told to and is then killed, as the OOM killer
    // or a shutdown would.
    useFake7Zip("for a in \"$@\"; do case \"$a\" in -up*!*) printf '7z\\274\\257' > \"${a#*!}\";; esac; done\n"
                "kill -KILL $$");
    writeFile(source + "/new.txt", "new");
    const JobResult killed = ArchiveJob(id);
    EXPECT_EQ(killed.outcome, JobOutcome::ToolFailed);
    EXPECT_TRUE(killed.reason.contains("ended by signal 9")) << killed.reason.toStdString();
    EXPECT_EQ(destinationFiles(), QStringList({"docs.7z"}));

    // What a run killed with its 7-Zip (nobody left to clean up) leaves: not counted, and cleared next time.
    writeFile(destination + "/.docs_upd_2026-01-01_00h00m00s.7z.velmora-Ab12Cd", "torn");
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(CountUpdateArchives(set), 0);
    SetSevenZipCandidates({});
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_EQ(readFile(fullArchive()), full);
    ASSERT_EQ(updateArchives().size(), 1);
    EXPECT_EQ(destinationFiles(), QStringList({"docs.7z", updateArchives().first()}));
    EXPECT_EQ(QProcess::execute("/usr/bin/7zz", {"t", destination + "/" + updateArchives().first()}), 0);
}

TEST_F(ArchiveRunHolesTest, ExclusionsThatLeaveOutEverythingNeverReplaceAGoodArchive)
{
    const quint32 id = addSet(FullArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    const QByteArray good = readFile(fullArchive());
    changeSet([](BackupSet& set) { set.exTypeList = QStringList({"*"}); }, id);
    const JobResult result = ArchiveJob(id);
    EXPECT_EQ(result.outcome, JobOutcome::NothingArchived);
    EXPECT_TRUE(result.reason.contains(source)) << result.reason.toStdString();
    EXPECT_EQ(readFile(fullArchive()), good);
    EXPECT_EQ(destinationFiles(), QStringList({"docs.7z"}));

    // With nothing to replace, an empty archive is what the set asks for.
    QFile::remove(fullArchive());
    EXPECT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(QFileInfo::exists(fullArchive()));
}

TEST_F(ArchiveRunHolesTest, FilesSevenZipCouldNotReadMakeAWarningThatNamesThem)
{
    // Root reads everything; without these two capabilities it meets permission bits as a user does.
    if (QProcess::execute("setpriv", {"--bounding-set=-dac_override,-dac_read_search", "true"}) != 0)
        GTEST_SKIP() << "setpriv cannot drop capabilities here";
    useFake7Zip("exec setpriv --bounding-set=-dac_override,-dac_read_search /usr/bin/7zz \"$@\"");
    makeTree(source, {{"locked/one.txt", "1"}, {"locked/two.txt", "2"}, {"private.txt", "3"}});
    QFile::setPermissions(source + "/locked", {});
    QFile::setPermissions(source + "/private.txt", {});
    const JobResult result = ArchiveJob(addSet(FullArchiving));
    QFile::setPermissions(source + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (::geteuid() != 0 && result.exitCode == 0)
        GTEST_SKIP() << "permission bits are not enforced here";
    // The newest backup still goes in place, but not as a clean success.
    EXPECT_EQ(result.outcome, JobOutcome::Done);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.hasWarnings());
    EXPECT_TRUE(result.warning.contains("files or folders (2)")) << result.warning.toStdString();
    EXPECT_TRUE(result.warning.contains("locked/") && result.warning.contains("private.txt"))
        << result.warning.toStdString();
    EXPECT_TRUE(archiveEntries(fullArchive()).contains("a.txt"));
    // The window tells the user, where a clean success says nothing.
    ReportJobResult(result);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().first().startsWith("The backup set 'Docs' was made, with warnings: 7-Zip could "
                                                       "not read these files or folders (2): "))
        << messages.messages().first().toStdString();
}

TEST_F(ArchiveRunHolesTest, PermissionsAreCopiedOnlyFromTheUsersOwnArchive)
{
    const Umask mask(077);
    const quint32 id = addSet(FullArchiving);
    // A link planted at the archive's name, to a file open to everybody.
    const QString bait = home.filePath("bait");
    writeFile(bait, "somebody else's");
    QFile::setPermissions(bait, QFile::Permissions(0x6666));
    ASSERT_TRUE(QFile::link(bait, fullArchive()));
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_FALSE(QFileInfo(fullArchive()).isSymLink());
    EXPECT_EQ(modeOf(fullArchive()), mode_t(0600));
    EXPECT_EQ(readFile(bait), "somebody else's");

    // The user's own archive, closed further by hand, stays so.
    ::chmod(QFile::encodeName(fullArchive()).constData(), 0400);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_EQ(modeOf(fullArchive()), mode_t(0400));

    // A file of another user's at the archive's name lends it nothing.
    if (::geteuid() != 0)
        return;
    ::chmod(QFile::encodeName(fullArchive()).constData(), 0666);
    ASSERT_EQ(::chown(QFile::encodeName(fullArchive()).constData(), 65534, 65534), 0);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    EXPECT_EQ(modeOf(fullArchive()), mode_t(0600));
    EXPECT_EQ(QFileInfo(fullArchive()).ownerId(), ::geteuid());
}

TEST_F(ArchiveRunHolesTest, WildcardCharactersInTheSourceNameMatchNoSibling)
{
    for (const QString& name : {QStringLiteral("Photos*"), QStringLiteral("w?x"), QStringLiteral("[old]")}) {
        const QString parent = home.filePath("pictures " + QString::number(name.size()));
        source = parent + "/" + name;
        makeTree(source, {{"mine.jpg", "1"}});
        makeTree(parent + "/Photos-private", {{"secret.jpg", "2"}});
        makeTree(parent + "/wAx", {{"secret.jpg", "2"}});
        makeTree(parent + "/o", {{"secret.jpg", "2"}});
        backupSets.clear();
        QFile::remove(fullArchive());
        ASSERT_EQ(ArchiveJob(addSet(FullArchiving)).outcome, JobOutcome::Done) << name.toStdString();
        EXPECT_EQ(archiveEntries(fullArchive()), QStringList({"mine.jpg"})) << name.toStdString();
    }
}

TEST_F(ArchiveRunHolesTest, AnotherUsersFolderInTheTemporaryFolderStopsNoRun)
{
    const QString taken = home.filePath("tmp") + "/velmora-" + QString::number(::getuid());
    QDir().mkpath(taken);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(taken).constData(), 65534, 65534), 0);
    }
    ::chmod(QFile::encodeName(taken).constData(), 0700);
    const quint32 id = addSet(FullArchiving);
    changeSet([](BackupSet& set) { AddExType(set, ".tmp"); }, id);
    const JobResult result = ArchiveJob(id);
    EXPECT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    // Nothing of the run is left in the temporary folder.
    EXPECT_EQ(QDir(home.filePath("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({QFileInfo(taken).fileName()}));

    // A temporary folder that cannot be used is named.
    qputenv("TMPDIR", QFile::encodeName(home.filePath("nowhere")));
    const JobResult noTemp = ArchiveJob(id);
    qputenv("TMPDIR", QFile::encodeName(home.filePath("tmp")));
    EXPECT_EQ(noTemp.outcome, JobOutcome::PrepareFailed);
    EXPECT_TRUE(noTemp.reason.contains(home.filePath("nowhere"))) << noTemp.reason.toStdString();
}

TEST_F(ArchiveRunHolesTest, UpdateRunsInTheSameSecondAllSucceed)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    for (int run = 0; run < 3; ++run) {
        writeFile(source + "/run" + QString::number(run) + ".txt", "x");
        const JobResult result = ArchiveJob(id);
        EXPECT_EQ(result.outcome, JobOutcome::Done) << run << " " << result.reason.toStdString();
    }
    EXPECT_EQ(updateArchives().size(), 3);
}

TEST_F(ArchiveRunHolesTest, AnArchiveTypeOutOfRangeIsNamedAsSuch)
{
    const quint32 id = addSet(FullArchiving);
    changeSet([](BackupSet& set) { set.arcType = 5; }, id);
    const JobResult result = ArchiveJob(id);
    EXPECT_EQ(result.outcome, JobOutcome::PrepareFailed);
    EXPECT_TRUE(result.reason.contains("archive type 5")) << result.reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fullArchive()));
}
