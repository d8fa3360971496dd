#include "MirrorCommand.h"
#include "ArchivePath.h"
#include "ConsoleRunner.h"
#include "EngineTestSupport.h"
#include "Settings.h"
#include "TempHome.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(MirrorCommand, CopiesTheSourcesContentsIntoTheFolderNamedAfterTheSet)
{
    MutableSettings().rsyncPath = "/usr/bin/rsync";
    BackupSet set = MakeSet("/data/Docs", "/media/My Disk/", MirrorCopying);
    set.name = "Docs";
    set.exTypeList = QStringList({"*.tmp", "*.bak"});
    set.exPathList = QStringList({"cache/"});
    qputenv("VELMORA_NOW", "2026-05-06T07:08:09");
    const Command command = BuildMirrorCommand(set);
    qunsetenv("VELMORA_NOW");
    EXPECT_EQ(command.arguments,
        QStringList({"-a", "--delete", "--info=progress2", "--itemize-changes", "/data/Docs/", "/media/My Disk/Docs",
            "--backup", "--backup-dir=/media/My Disk/Docs.history/2026-05-06_07h08m09s/", "--exclude=*.bak",
            "--exclude=*.tmp", "--exclude=cache/"}));
    EXPECT_EQ(command.text,
        "\"/usr/bin/rsync\" -a --delete --info=progress2 --itemize-changes \"/data/Docs/\" \"/media/My Disk/Docs\" "
        "--backup --backup-dir=\"/media/My Disk/Docs.history/2026-05-06_07h08m09s/\" --exclude=*.bak "
        "--exclude=*.tmp --exclude=cache/");
    set.source += "/";
    EXPECT_EQ(BuildMirrorCommand(set).arguments.mid(4, 2), command.arguments.mid(4, 2));

    set = MakeSet("/data/Docs", "/media", MirrorCopying);
    AddEveryKindOfExclusion(set);
    EXPECT_EQ(MirrorExclusionArguments(set),
        QStringList({"--exclude=*.tmp", "--exclude=/sub/deep/cache/", "--exclude=build/", "--exclude=my cache/",
            "--exclude=/sub/cache/", "--exclude=Кэш/"}));
}

TEST(MirrorCommand, RealRsyncLeavesOutExclusionsAndDeletesWhatTheSourceLost)
{
    TempHome home;
    MutableSettings().rsyncPath = "/usr/bin/rsync";
    BackupSet set = MakeSet(home.filePath("Data/Docs"), home.filePath("My Disk"), MirrorCopying);
    makeTree(set.source, ExclusionTree());
    AddEveryKindOfExclusion(set);
    makeTree(MirrorFolder(set), {{"stray", "not in the source"}});
    EXPECT_EQ(ExecuteCommand(BuildMirrorCommand(set)).exitCode, 0);
    EXPECT_EQ(treeFiles(MirrorFolder(set)), kFilesKeptByExclusions);

    QFile::remove(set.source + "/keep.txt");
    EXPECT_EQ(ExecuteCommand(BuildMirrorCommand(set)).exitCode, 0);
    EXPECT_EQ(treeFiles(MirrorFolder(set)), kFilesKeptByExclusions.mid(0, 1) + kFilesKeptByExclusions.mid(2));
}

TEST(MirrorCommand, RsyncsPatternCharactersInExclusionsAreMatchedLiterally)
{
    TempHome home;
    MutableSettings().rsyncPath = "/usr/bin/rsync";
    BackupSet set = MakeSet(home.filePath("Data"), home.filePath("Disk"), MirrorCopying);
    set.name = "Docs";
    QMap<QString, QByteArray> tree;
    // [old] as a pattern would match "o", "l" and "d"; w?x would match wAx; "a\*b" would match "a*b".
    for (const char* path : {"[old]/f", "w?x/f", "sub/w?x/f", "wAx/f", "old/f", "o/f", "d/f", "back\\slash/f",
             "backslash/f", "a\\*b/f", "a*b/f", "a\\Xb/f", "in/[x]/f", "in/x/f", "k.[x]", "k.x", "k.b\\k", "k.bk"})
        tree.insert(QString::fromUtf8(path), "x");
    makeTree(set.source, tree);
    QDir().mkpath(set.target);
    set.exPathList = QStringList({"[old]/", "w?x/", "back\\slash/", "a\\*b/", set.source + "/in/[x]/"});
    set.exTypeList = QStringList({"*.[x]", "*.b\\k"});
    EXPECT_EQ(MirrorExclusionArguments(set),
        QStringList({"--exclude=*.\\[x]", "--exclude=*.b\\\\k", "--exclude=/in/\\[x]/", "--exclude=\\[old]/",
            "--exclude=a\\\\\\*b/", "--exclude=back\\slash/", "--exclude=w\\?x/"}));

    const RunResult run = ExecuteCommand(BuildMirrorCommand(set));
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.secondOutput.toStdString();
    EXPECT_EQ(treeFiles(MirrorFolder(set)),
        QStringList({"a*b/f", "a\\Xb/f", "backslash/f", "d/f", "in/x/f", "k.bk", "k.x", "o/f", "old/f", "wAx/f"}));
}
