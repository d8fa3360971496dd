#include "ArchiveCommand.h"
#include "EngineTestSupport.h"
#include "StoreFixture.h"
#include "TempFolder.h"
#include "ToolLocations.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>
#include <sys/resource.h>

namespace {

class ArchiveCommandTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        program = home.filePath("bin/7zz");
        WriteScript(program, "exit 0\n");
        SetSevenZipCandidates({program});
        source = home.filePath("Data/Docs");
        target = home.filePath("Backup");
        QDir().mkpath(source);
        QDir().mkpath(target);
        temp = TempFolder();
        ASSERT_FALSE(temp.isEmpty());
    }
    void TearDown() override
    {
        SetSevenZipCandidates({});
        setPathTo7zExe(kDefaultPathTo7zExe);
        StoreFixture::TearDown();
    }
    BackupSet docs(qint32 backupType) const { return MakeSet("docs", source, target, backupType); }
    void touchTarget(const QString& name) const { writeFile(target + "/" + name, "old"); }
    bool inTarget(const QString& name) const { return QFileInfo::exists(target + "/" + name); }

    QString program;
    QString source;
    QString target;
    QString temp;
};

} // namespace

TEST_F(ArchiveCommandTest, FullArchivingPacksTheSourcesContentsIntoTheScratchArchive)
{
    BackupSet set = docs(FullArchiving);
    const ArchiveBuild build = BuildArchiveCommand(set);
    ASSERT_EQ(build.failure, BuildFailure::None);
    EXPECT_EQ(build.command.text, program + " a " + temp + "/docs.7z \"" + source + "/*\" -r -t7z -mx=5 -ms=on");
    EXPECT_EQ(build.command.program, program);
    EXPECT_EQ(
        build.command.arguments, QStringList({"a", temp + "/docs.7z", source + "/*", "-r", "-t7z", "-mx=5", "-ms=on"}));
    EXPECT_EQ(g_archiveMode, "a");
    EXPECT_EQ(g_scratchArchivePath, temp + "/docs.7z");
    EXPECT_EQ(g_fullArchivePath, target + "/docs.7z");
    EXPECT_EQ(g_listFilePath, "");
    EXPECT_EQ(build.updateArchivePath, "");
    EXPECT_FALSE(build.restartChain);
}

TEST_F(ArchiveCommandTest, AddWithExclusionsReadsTheListFile)
{
    BackupSet set = docs(IncrementalArchiving);
    AddExType(set, ".tmp");
    const ArchiveBuild build = BuildArchiveCommand(set);
    ASSERT_EQ(build.failure, BuildFailure::None);
    ASSERT_FALSE(g_listFilePath.isEmpty());
    EXPECT_EQ(build.command.text,
        program + " a " + temp + "/docs.7z \"" + source + "/*\" -r -x@" + g_listFilePath + " -t7z -mx=5 -ms=on");
    EXPECT_EQ(build.command.arguments.mid(3, 2), QStringList({"-r", "-x@" + g_listFilePath}));
    EXPECT_EQ(readFile(g_listFilePath), "*.tmp\n");
}

TEST_F(ArchiveCommandTest, UpdateWritesOnlyTheChangesBesideTheUnchangedFullArchive)
{
    touchTarget("docs.7z");
    BackupSet set = docs(IncrementalArchiving);
    AddExPath(set, "cache");
    ArchiveBuild build = BuildArchiveCommand(set);
    ASSERT_EQ(build.failure, BuildFailure::None);
    EXPECT_TRUE(QRegularExpression(
        "^" + QRegularExpression::escape(target) + "/docs_upd_\\d{4}-\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds\\.7z$")
                    .match(build.updateArchivePath)
                    .hasMatch())
        << build.updateArchivePath.toStdString();
    EXPECT_EQ(build.command.text,
        program + " u " + target + "/docs.7z -u- \"" + source + "/*\" -r -x@" + g_listFilePath
            + " -t7z -mx=5 -up0q3x2z0!" + build.updateArchivePath);
    EXPECT_EQ(build.command.arguments.last(), "-up0q3x2z0!" + build.updateArchivePath);
    EXPECT_EQ(g_archiveMode, "u");
    // The job's copy loses its solid flag; update archives are never solid.
    EXPECT_FALSE(set.solid);

    set = docs(IncrementalArchiving);
    build = BuildArchiveCommand(set);
    EXPECT_EQ(build.command.text,
        program + " u " + target + "/docs.7z -u- \"" + source + "/*\" -r -t7z -mx=5 -up0q3x2z0!"
            + build.updateArchivePath);
    EXPECT_EQ(build.command.arguments,
        QStringList({"u", target + "/docs.7z", "-u-", source + "/*", "-r", "-t7z", "-mx=5",
            "-up0q3x2z0!" + build.updateArchivePath}));
    EXPECT_EQ(g_listFilePath, "");
}

TEST_F(ArchiveCommandTest, SourceWithTrailingSeparatorsNamesTheSameContents)
{
    for (const QString& spelling : {source + "/", source + "//"}) {
        BackupSet set = docs(FullArchiving);
        set.source = spelling;
        EXPECT_EQ(BuildArchiveCommand(set).command.arguments.at(2), source + "/*");
    }
    BackupSet root = docs(FullArchiving);
    root.source = "/";
    EXPECT_EQ(BuildArchiveCommand(root).command.arguments.at(2), "/*");
    BackupSet slashedTarget = docs(IncrementalArchiving);
    slashedTarget.target = target + "/";
    BuildArchiveCommand(slashedTarget);
    EXPECT_EQ(g_fullArchivePath, target + "/docs.7z");
}

TEST_F(ArchiveCommandTest, ModeFollowsTheBackupTypeAndTheFullArchive)
{
    // Full archiving always starts afresh, even beside an existing archive.
    touchTarget("docs.7z");
    BackupSet full = docs(FullArchiving);
    ArchiveBuild build = BuildArchiveCommand(full);
    EXPECT_EQ(build.command.arguments.first(), "a");
    EXPECT_FALSE(build.command.arguments.contains("-u-"));
    EXPECT_TRUE(full.solid);

    // Without its full archive an incremental set starts a chain, whatever update archives lie about.
    QFile::remove(target + "/docs.7z");
    touchTarget("docs_upd_2009-08-05_14h51m10s.7z");
    BackupSet incremental = docs(IncrementalArchiving);
    build = BuildArchiveCommand(incremental);
    EXPECT_EQ(build.command.arguments.first(), "a");
    EXPECT_EQ(build.command.arguments.last(), "-ms=on");
    EXPECT_FALSE(build.restartChain);
}

TEST_F(ArchiveCommandTest, ZipNeverGetsTheSolidSwitch)
{
    BackupSet zip = docs(FullArchiving);
    zip.arcType = 1;
    ArchiveBuild build = BuildArchiveCommand(zip);
    EXPECT_EQ(build.command.arguments.mid(4), QStringList({"-tzip", "-mx=5"}));
    EXPECT_EQ(g_scratchArchivePath, temp + "/docs.zip");

    touchTarget("docs.zip");
    zip.backupType = IncrementalArchiving;
    build = BuildArchiveCommand(zip);
    EXPECT_FALSE(build.command.arguments.contains("-ms=on"));
    EXPECT_TRUE(build.updateArchivePath.endsWith(".zip"));
}

TEST_F(ArchiveCommandTest, ChainAtItsLengthRestartsWithoutDeletingAnything)
{
    minorUpdatedNumber = 3;
    touchTarget("docs.7z");
    touchTarget("docs_upd_1.7z");
    touchTarget("docs_upd_2.7z");
    BackupSet set = docs(IncrementalArchiving);
    ArchiveBuild build = BuildArchiveCommand(set);
    EXPECT_FALSE(build.restartChain);
    EXPECT_EQ(g_archiveMode, "u");

    touchTarget("docs_upd_3.7z");
    set = docs(IncrementalArchiving);
    build = BuildArchiveCommand(set);
    EXPECT_TRUE(build.restartChain);
    EXPECT_EQ(g_archiveMode, "a");
    EXPECT_EQ(build.updateArchivePath, "");
    EXPECT_TRUE(set.solid);
    // The old chain must outlive a run that fails: the job removes it once the new archive is in place.
    for (const char* name : {"docs.7z", "docs_upd_1.7z", "docs_upd_2.7z", "docs_upd_3.7z"})
        EXPECT_TRUE(inTarget(name)) << name;
}

TEST_F(ArchiveCommandTest, ChainLengthZeroRebuildsTheFullArchiveEveryRun)
{
    minorUpdatedNumber = 0;
    touchTarget("docs.7z");
    BackupSet set = docs(IncrementalArchiving);
    const ArchiveBuild build = BuildArchiveCommand(set);
    EXPECT_TRUE(build.restartChain);
    EXPECT_EQ(g_archiveMode, "a");
    EXPECT_TRUE(inTarget("docs.7z"));
}

TEST_F(ArchiveCommandTest, StaleScratchArchiveIsRemovedFirst)
{
    writeFile(temp + "/docs.7z", "left over by a failed run");
    BackupSet set = docs(FullArchiving);
    BuildArchiveCommand(set);
    EXPECT_FALSE(QFileInfo::exists(temp + "/docs.7z"));
}

TEST_F(ArchiveCommandTest, ListFileHoldsSortedTypesThenFolderNamesInUtf8)
{
    BackupSet set = docs(FullArchiving);
    set.exTypeList = QStringList({"*.tmp", "*.Bak", "*.ёлка"});
    set.exPathList = QStringList({"my cache/", "Build/", source + "/sub/old/", "sub/cache/", "/elsewhere/x/", "Кэш/"});
    const ArchiveBuild build = BuildArchiveCommand(set);
    ASSERT_EQ(build.failure, BuildFailure::None);
    EXPECT_EQ(QFileInfo(g_listFilePath).absolutePath(), temp);
    EXPECT_TRUE(QFileInfo(g_listFilePath).fileName().startsWith("lst"));
    EXPECT_EQ(readFile(g_listFilePath), QString("*.Bak\n*.tmp\n*.ёлка\nBuild/\nmy cache/\nКэш/\n").toUtf8());
    // Folders inside the source are left out one by one, relative to it; one outside it is no exclusion.
    EXPECT_EQ(
        build.command.arguments.mid(4, 3), QStringList({"-x@" + g_listFilePath, "-xr-!sub/old/", "-xr-!sub/cache/"}));
    EXPECT_EQ(build.command.arguments.at(7), "-t7z");
}

TEST_F(ArchiveCommandTest, MissingSevenZipBuildsNothingAndSaysNothing)
{
    SetSevenZipCandidates({home.filePath("none/7zz")});
    g_archiveMode = "u";
    BackupSet set = docs(FullArchiving);
    const ArchiveBuild build = BuildArchiveCommand(set);
    EXPECT_EQ(build.failure, BuildFailure::ToolMissing);
    EXPECT_TRUE(build.command.isEmpty());
    EXPECT_EQ(build.command.text, "");
    EXPECT_EQ(pathTo7zExe(), "");
    EXPECT_EQ(g_archiveMode, "u");
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(ArchiveCommandTest, UnsafeTemporaryFolderBuildsNothing)
{
    QDir(temp).removeRecursively();
    QDir().mkpath(home.filePath("planted"));
    ASSERT_TRUE(QFile::link(home.filePath("planted"), temp));
    BackupSet set = docs(FullArchiving);
    AddExType(set, ".tmp");
    const ArchiveBuild build = BuildArchiveCommand(set);
    EXPECT_EQ(build.failure, BuildFailure::TempFolderUnavailable);
    EXPECT_TRUE(build.command.isEmpty());
    EXPECT_TRUE(QDir(home.filePath("planted")).isEmpty());
}

TEST_F(ArchiveCommandTest, UnwritableListFileBuildsNothingRatherThanDroppingTheExclusions)
{
    BackupSet set = docs(FullArchiving);
    AddExType(set, ".tmp");
    // A file size limit of 0 makes every write fail, also for root.
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    const ArchiveBuild build = BuildArchiveCommand(set);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_EQ(build.failure, BuildFailure::ListFileUnwritable);
    EXPECT_TRUE(build.command.isEmpty());
    EXPECT_EQ(g_listFilePath, "");
    EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty());
}

TEST(DateStamp, ShortAndLongForms)
{
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d$").match(DateStamp(false)).hasMatch());
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds$").match(DateStamp(true)).hasMatch());
    EXPECT_TRUE(QRegularExpression("^docs_upd_\\d{4}-\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds$")
                    .match(UpdateArchiveName("docs"))
                    .hasMatch());
}

TEST(PathPieces, LastPathComponent)
{
    EXPECT_EQ(LastPathComponent("/data/Docs"), "Docs");
    EXPECT_EQ(LastPathComponent("/data/Docs/"), "");
    EXPECT_EQ(LastPathComponent("Docs"), "Docs");
    EXPECT_EQ(LastPathComponent(""), "");
}

TEST(PathPieces, SplitAtSeparatorsKeepsEmptyPiecesButNoEmptyRest)
{
    QStringList list {"kept"};
    EXPECT_EQ(SplitAtSeparators("/a//b/", "/", list), 4);
    EXPECT_EQ(list, QStringList({"kept", "", "a", "", "b"}));
    list.clear();
    EXPECT_EQ(SplitAtSeparators("a;b,c", ";,", list), 3);
    EXPECT_EQ(list, QStringList({"a", "b", "c"}));
    list.clear();
    EXPECT_EQ(SplitAtSeparators("", "/", list), 0);
    EXPECT_TRUE(list.isEmpty());
}

TEST(PathPieces, ParentFolder)
{
    EXPECT_EQ(ParentFolder("/data/Docs"), "/data/");
    EXPECT_EQ(ParentFolder("/data/Docs/"), "/data/");
    EXPECT_EQ(ParentFolder("/Docs"), "/");
    EXPECT_EQ(ParentFolder("/"), "");
    EXPECT_EQ(ParentFolder("Docs"), "");
    EXPECT_EQ(ParentFolder("//server/share/dir"), "//server/share/");
}
