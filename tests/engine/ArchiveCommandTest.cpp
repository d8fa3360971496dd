#include "ArchiveCommand.h"
#include "ConsoleRunner.h"
#include "EngineTestSupport.h"
#include "StoreFixture.h"
#include "TempFolder.h"
#include "ToolLocations.h"

#include <QDateTime>
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
        SetSevenZipCandidates({"/usr/bin/7zz"});
        source = home.filePath("Data/Docs");
        target = home.filePath("My Disk/Backup");
        QDir().mkpath(source);
        QDir().mkpath(target);
        temp = TempFolder();
    }
    void TearDown() override
    {
        SetSevenZipCandidates({});
        StoreFixture::TearDown();
    }
    ArchiveBuild build(qint32 backupType, void (*change)(BackupSet&) = nullptr)
    {
        set = MakeSet(source, target, backupType);
        if (change)
            change(set);
        return BuildArchiveCommand(set);
    }
    void touch(const QString& name) const { writeFile(target + "/" + name, "old"); }
    // Runs the built command with the real 7zz and puts a new full archive in place as the job does.
    ArchiveBuild run(qint32 backupType, void (*change)(BackupSet&) = nullptr)
    {
        const ArchiveBuild made = build(backupType, change);
        const RunResult result = ExecuteCommand(made.command);
        EXPECT_EQ(result.exitCode, 0) << result.output.toStdString() << result.error.toStdString();
        if (made.archiveMode == "a") {
            QFile::remove(made.fullArchivePath);
            EXPECT_TRUE(QFile::rename(made.scratchArchivePath, made.fullArchivePath));
        } else {
            EXPECT_TRUE(QFile::rename(made.updateWritePath, made.updateArchivePath));
        }
        return made;
    }

    QString source, target, temp;
    BackupSet set;
};

} // namespace

// The hidden name beside finalPath under which a file is written before it takes that name.
QRegularExpression hiddenNameOf(const QString& finalPath)
{
    const QFileInfo info(finalPath);
    return QRegularExpression("^"
        + QRegularExpression::escape(info.absolutePath() + "/." + info.fileName() + ".velmora-") + "[A-Za-z0-9]{6}$");
}

TEST_F(ArchiveCommandTest, FourFormsShareOneLayout)
{
    const QString z = "/usr/bin/7zz";
    ArchiveBuild made = build(FullArchiving, [](BackupSet& s) { s.source += "//"; });
    // Built beside the old archive under a hidden name, from inside the source folder.
    EXPECT_TRUE(hiddenNameOf(target + "/docs.7z").match(made.scratchArchivePath).hasMatch())
        << made.scratchArchivePath.toStdString();
    EXPECT_FALSE(QFileInfo::exists(made.scratchArchivePath));
    EXPECT_EQ(made.command.workingFolder, source);
    EXPECT_EQ(made.command.text,
        "cd \"" + source + "\" && " + z + " a " + made.scratchArchivePath + " \"*\" -r -snl -bsp1 -t7z -mx=5 -ms=on");
    EXPECT_EQ(made.command.arguments,
        QStringList({"a", made.scratchArchivePath, "*", "-r", "-snl", "-bsp1", "-t7z", "-mx=5", "-ms=on"}));

    made = build(FullArchiving, [](BackupSet& s) { AddExType(s, ".tmp"); });
    EXPECT_EQ(made.command.arguments,
        QStringList({"a", made.scratchArchivePath, "*", "-r", "-snl", "-bsp1", "-x@" + made.listFilePath, "-t7z",
            "-mx=5", "-ms=on"}));

    touch("docs.7z");
    made = build(IncrementalArchiving);
    EXPECT_TRUE(QRegularExpression("/docs_upd_\\d{4}-\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds\\.7z$")
                    .match(made.updateArchivePath)
                    .hasMatch());
    EXPECT_TRUE(hiddenNameOf(made.updateArchivePath).match(made.updateWritePath).hasMatch())
        << made.updateWritePath.toStdString();
    EXPECT_EQ(made.command.arguments,
        QStringList({"u", target + "/docs.7z", "-u-", "*", "-r", "-snl", "-bsp1", "-t7z", "-mx=5",
            "-up0q3x2z0!" + made.updateWritePath}));
    EXPECT_FALSE(set.solid);

    made = build(IncrementalArchiving, [](BackupSet& s) { AddExPath(s, "cache"); });
    EXPECT_EQ(made.command.text,
        "cd \"" + source + "\" && " + z + " u " + target + "/docs.7z -u- \"*\" -r -snl -bsp1 -x@" + made.listFilePath
            + " -t7z -mx=5 -up0q3x2z0!" + made.updateWritePath);
    EXPECT_EQ(BuildArchiveCommand(set = MakeSet("/", target, FullArchiving)).command.workingFolder, "/");
}

TEST_F(ArchiveCommandTest, FullArchivePathIsWhereTheRunPutsTheArchive)
{
    // A destination typed with trailing separators still names the file the run writes.
    const ArchiveBuild made = run(FullArchiving, [](BackupSet& s) { s.target += "//"; });
    EXPECT_EQ(FullArchivePath(set), target + "/docs.7z");
    EXPECT_EQ(FullArchivePath(set), made.fullArchivePath);
    EXPECT_TRUE(QFileInfo(FullArchivePath(set)).isFile());
    BackupSet unnamed = set;
    unnamed.arcName.clear();
    EXPECT_EQ(FullArchivePath(unnamed), "");
    BackupSet untyped = set;
    untyped.arcType = 99;
    EXPECT_EQ(FullArchivePath(untyped), "");
}

TEST_F(ArchiveCommandTest, ModeAndSolidSwitch)
{
    touch("docs.7z");
    EXPECT_EQ(build(FullArchiving).command.arguments.last(), "-ms=on");
    EXPECT_EQ(build(IncrementalArchiving, [](BackupSet& s) { s.arcType = 1; }).command.arguments.mid(6),
        QStringList({"-tzip", "-mx=5"}));
    touch("docs.zip");
    EXPECT_FALSE(build(IncrementalArchiving, [](BackupSet& s) { s.arcType = 1; }).command.arguments.contains("-ms=on"));
    // No full archive: the update archives lying beside it do not make an update run.
    QFile::remove(target + "/docs.7z");
    touch("docs_upd_1.7z");
    EXPECT_EQ(build(IncrementalArchiving).command.arguments.first(), "a");
    // Out of range, the type would give an archive without extension and the level an empty switch.
    EXPECT_EQ(build(FullArchiving, [](BackupSet& s) { s.arcType = 5; }).failure, BuildFailure::ArchiveTypeInvalid);
    EXPECT_EQ(build(FullArchiving, [](BackupSet& s) { s.compLevel = 9; }).failure, BuildFailure::ArchiveTypeInvalid);
}

TEST_F(ArchiveCommandTest, UpdateArchiveNamesNeverRepeatWithinASecond)
{
    touch("docs.7z");
    set = MakeSet(source, target, IncrementalArchiving);
    const QString first = FreeUpdateArchivePath(set);
    writeFile(first, "taken a moment ago");
    const QString second = FreeUpdateArchivePath(set);
    EXPECT_NE(second, first);
    EXPECT_FALSE(QFileInfo::exists(second));
}

TEST_F(ArchiveCommandTest, ChainAtItsLengthRestartsButDeletesNothing)
{
    MutableSettings().chainLength = 2;
    for (const char* name : {"docs.7z", "docs_upd_1.7z"})
        touch(name);
    EXPECT_FALSE(build(IncrementalArchiving).restartChain);
    touch("docs_upd_2.7z");
    const ArchiveBuild made = build(IncrementalArchiving);
    EXPECT_TRUE(made.restartChain);
    EXPECT_EQ(made.archiveMode, "a");
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 3);
    MutableSettings().chainLength = 0;
    QFile::remove(target + "/docs_upd_1.7z");
    QFile::remove(target + "/docs_upd_2.7z");
    EXPECT_TRUE(build(IncrementalArchiving).restartChain);
}

TEST_F(ArchiveCommandTest, ListFileIsPrivateSortedAndUtf8)
{
    const ArchiveBuild made = build(FullArchiving, [](BackupSet& s) {
        s.exTypeList = QStringList({"*.tmp", "*.Bak"});
        s.exPathList = QStringList({"my cache/", s.source + "/sub/old/", "Кэш/", "Build/", "sub/cache/", "/etc/"});
    });
    EXPECT_EQ(QFileInfo(QFileInfo(made.listFilePath).absolutePath()).absolutePath(), temp);
    EXPECT_EQ(QFileInfo(made.listFilePath).absoluteDir().dirName().left(8), "velmora-");
    EXPECT_EQ(readFile(made.listFilePath), QString("*.Bak\n*.tmp\nBuild/\nmy cache/\nКэш/\n").toUtf8());
    EXPECT_EQ(made.command.arguments.mid(6, 4),
        QStringList({"-x@" + made.listFilePath, "-xr-!sub/old/", "-xr-!sub/cache/", "-t7z"}));
}

TEST_F(ArchiveCommandTest, NothingIsBuiltWithoutToolOrListFile)
{
    SetSevenZipCandidates({home.filePath("none/7zz")});
    EXPECT_EQ(build(FullArchiving).failure, BuildFailure::ToolMissing);
    EXPECT_EQ(Settings().sevenZipPath.value(), "");
    EXPECT_TRUE(messages.messages().isEmpty());
    SetSevenZipCandidates({"/usr/bin/7zz"});

    // Every write fails beyond a file size limit of 0, also for root.
    rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
    const ArchiveBuild unwritable = build(FullArchiving, [](BackupSet& s) { AddExType(s, ".tmp"); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(unwritable.failure, BuildFailure::ListFileUnwritable);
    EXPECT_TRUE(unwritable.command.isEmpty());
    EXPECT_TRUE(QDir(temp).isEmpty());

    // Without a temporary folder only a set with exclusions needs one, and the reason names it.
    qputenv("TMPDIR", QFile::encodeName(home.filePath("no such folder")));
    EXPECT_EQ(build(FullArchiving).failure, BuildFailure::None);
    const ArchiveBuild noTemp = build(FullArchiving, [](BackupSet& s) { AddExType(s, ".tmp"); });
    EXPECT_EQ(noTemp.failure, BuildFailure::ListFileUnwritable);
    EXPECT_TRUE(noTemp.error.contains(home.filePath("no such folder"))) << noTemp.error.toStdString();
    qputenv("TMPDIR", QFile::encodeName(temp));
}

TEST_F(ArchiveCommandTest, RealChainStoresEntriesAtTheRootAndUpdatesHoldOnlyChanges)
{
    makeTree(source, {{"root.txt", "1"}, {"sub/inner.txt", "2"}, {"sub/with blank.txt", "3"}, {"Привет.txt", "4"}});
    run(IncrementalArchiving);
    const QMap<QString, bool> all {
        {"root.txt", false}, {"sub/inner.txt", false}, {"sub/with blank.txt", false}, {"Привет.txt", false}};
    EXPECT_EQ(ArchiveFiles(target + "/docs.7z"), all);
    const QByteArray full = readFile(target + "/docs.7z");

    // 7-Zip tells a changed file by its time, which must not fall within the clock's last tick.
    QFile changed(source + "/root.txt");
    changed.open(QIODevice::WriteOnly);
    changed.write("1 changed");
    changed.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime);
    changed.close();
    writeFile(source + "/sub/new.txt", "5");
    QFile::remove(source + "/sub/with blank.txt");
    const ArchiveBuild update = run(IncrementalArchiving);
    const QMap<QString, bool> changes {{"root.txt", false}, {"sub/new.txt", false}, {"sub/with blank.txt", true}};
    EXPECT_EQ(ArchiveFiles(update.updateArchivePath), changes);
    EXPECT_EQ(readFile(target + "/docs.7z"), full);
}

TEST_F(ArchiveCommandTest, RealSevenZipLeavesOutEveryKindOfExclusion)
{
    makeTree(source, ExclusionTree());
    run(IncrementalArchiving, AddEveryKindOfExclusion);
    EXPECT_EQ(ArchiveFiles(target + "/docs.7z").keys(), kFilesKeptByExclusions);
    // An update leaves them out too, and does not take their absence for deletions.
    writeFile(source + "/sub/cache/new", "x");
    writeFile(source + "/added", "x");
    const ArchiveBuild update = run(IncrementalArchiving, AddEveryKindOfExclusion);
    EXPECT_EQ(ArchiveFiles(update.updateArchivePath), (QMap<QString, bool> {{"added", false}}));
}

TEST(PathPieces, SplitLastComponentAndParent)
{
    QStringList list {"kept"};
    EXPECT_EQ(SplitAtSeparators("/a//b/", "/", list), 4);
    EXPECT_EQ(list, QStringList({"kept", "", "a", "", "b"}));
    EXPECT_EQ(LastPathComponent("/data/Docs"), "Docs");
    EXPECT_EQ(LastPathComponent("/data/Docs/"), "");
    EXPECT_EQ(LastPathComponent("Docs"), "Docs");
    const QStringList parents {"/data/", "/data/", "/", "", "", "//server/share/"};
    const QStringList paths {"/data/Docs", "/data/Docs/", "/Docs", "/", "Docs", "//server/share/dir"};
    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ(ParentFolder(paths[i]), parents[i]) << paths[i].toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d$").match(DateStamp(false)).hasMatch());
}
