#include "StoreFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using DamagedSetFilesTest = StoreFixture;

TEST_F(DamagedSetFilesTest, NoDamagedFileCrashesTheLoadOrLosesItsSet)
{
    QByteArray garbage(64 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : garbage)
        byte = char(generator.bounded(256));
    QByteArray huge = "[Velmora Project file]\nnID=5\nname=huge\nsource=/data\n";
    huge += QByteArray(50 * 1024 * 1024, 'x');
    huge += "\ntarget=/backup\n";

    writeFile(setFile("garbage"), garbage);
    writeFile(setFile("huge"), huge);
    writeFile(setFile("latin1"), "[Velmora Project file]\nnID=2\nname=latin1\nsource=/data/caf\xe9\n");
    writeFile(setFile("header only"), "[Velmora Project file]");
    writeFile(setFile("renamed by hand"), "[Velmora Project file]\nnID=3\nname=old name\n");
    writeFile(setFile("empty"), "");

    LoadAllBackupSets();
    QStringList names;
    for (const BackupSet& set : backupSets)
        names.append(set.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"empty", "garbage", "header only", "huge", "latin1", "renamed by hand"}));
    auto byName = [](const QString& name) {
        return *std::find_if(
            backupSets.begin(), backupSets.end(), [&](const BackupSet& set) { return set.name == name; });
    };
    EXPECT_EQ(byName("huge").target, "/backup");
    EXPECT_EQ(byName("latin1").source, QString::fromUtf8("/data/caf\xef\xbf\xbd"));

    // Saving keeps one file per set, each under its own name, and nothing else appears.
    SaveAllBackupSets();
    QStringList files = QDir(home.setFolder()).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files,
        QStringList({"empty.ini", "garbage.ini", "header only.ini", "huge.ini", "latin1.ini", "renamed by hand.ini"}));
    LoadAllBackupSets();
    EXPECT_EQ(backupSets.size(), 6);
}

TEST_F(DamagedSetFilesTest, WhatIsNoSetFileIsReportedWithoutBeingOpened)
{
    const QByteArray folder = QFile::encodeName(home.setFolder());
    writeSetFile("ok", "nID=1\nname=ok\n");
    writeFile(home.filePath("elsewhere/linked.ini"), "[Velmora Project file]\nnID=2\nsource=/linked\n");
    ASSERT_TRUE(QFile::link(home.filePath("elsewhere/linked.ini"), setFile("linked")));
    // A pipe nobody writes to blocked the load for ever; a link to an endless device filled the memory.
    ASSERT_EQ(::mkfifo((folder + "/pipe.ini").constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", (folder + "/zero.ini").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", (folder + "/dangling.ini").constData()), 0);
    QDir(home.setFolder()).mkdir("folder.ini");
    writeFile(home.setFolder() + "/..ini", "[Velmora Project file]\n");
    // Written by its bytes: Qt would turn the name into valid UTF-8 on the way.
    const int fd = ::open((folder + "/caf\xe9\n.ini").constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);

    LoadAllBackupSets();
    QStringList names;
    for (const BackupSet& set : std::as_const(backupSets))
        names.append(set.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"linked", "ok"}));

    QStringList reported;
    for (const SkippedSetFile& skipped : SkippedSetFiles()) {
        reported.append(skipped.fileName + ": " + skipped.reason);
        EXPECT_EQ(skipped.path, home.setFolder() + "/" + skipped.fileName);
        EXPECT_TRUE(skipped.message().contains(skipped.path)) << skipped.message().toStdString();
    }
    EXPECT_EQ(reported,
        QStringList(
            {"..ini: its name cannot be the name of a backup set", "caf\\xE9\\x0A.ini: its name is not valid UTF-8",
                "dangling.ini: it cannot be read: No such file or directory", "folder.ini: it is not a regular file",
                "pipe.ini: it is not a regular file", "zero.ini: it is not a regular file"}));

    // Saving and loading again leave every one of them as it was.
    SaveAllBackupSets();
    LoadAllBackupSets();
    EXPECT_EQ(backupSets.size(), 2);
    EXPECT_EQ(SkippedSetFiles().size(), 6);
    struct stat info;
    ASSERT_EQ(::lstat((folder + "/pipe.ini").constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_TRUE(QFileInfo(setFile("zero")).isSymLink());
    EXPECT_TRUE(QFileInfo(setFile("linked")).isSymLink());
}

TEST_F(DamagedSetFilesTest, KeysAreNeverWrittenIntoWhatIsNoRegularFile)
{
    const QByteArray folder = QFile::encodeName(home.setFolder());
    QDir().mkpath(home.setFolder());
    ASSERT_EQ(::mkfifo((folder + "/pipe.ini").constData(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", (folder + "/zero.ini").constData()), 0);
    for (const char* name : {"pipe", "zero"}) {
        EXPECT_FALSE(g_profileStore->WriteSetFileValues(name, {{"lastrun", "2026-12-07"}}, false)) << name;
        EXPECT_FALSE(g_profileStore->ReadSetFile(name).document) << name;
        EXPECT_FALSE(StampSetFileLastRun(name, "2026-12-07")) << name;
        EXPECT_EQ(ReloadBackupSet(name), std::nullopt) << name;
    }
    // Not even written anew: the pipe, and a pipe behind a link, stay in place.
    QDir().mkpath(home.filePath("elsewhere"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(home.filePath("elsewhere/pipe")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(home.filePath("elsewhere/pipe"), setFile("linked pipe")));
    for (const char* name : {"pipe", "linked pipe"}) {
        EXPECT_FALSE(g_profileStore->WriteSetFileValues(name, {{"name", name}}, true)) << name;
    }
    struct stat info;
    ASSERT_EQ(::lstat((folder + "/pipe.ini").constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::lstat(QFile::encodeName(home.filePath("elsewhere/pipe")).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(QDir(home.filePath("elsewhere"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        QStringList {"pipe"});
    EXPECT_TRUE(QFileInfo(setFile("zero")).isSymLink());
}
