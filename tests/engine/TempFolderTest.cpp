#include "TempFolder.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString expectedFolder()
{
    return QDir::tempPath() + "/velmora-" + QString::number(getuid());
}

mode_t modeOf(const QString& path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return status.st_mode & 07777;
}

} // namespace

TEST(TempFolder, IsCreatedPrivateInsideTheTemporaryFolder)
{
    TempHome home;
    const QString folder = TempFolder();
    ASSERT_EQ(folder, expectedFolder());
    EXPECT_TRUE(folder.startsWith(home.filePath("tmp/")));
    EXPECT_EQ(modeOf(folder), mode_t(0700));
    // Asked again, the same folder serves.
    writeFile(folder + "/kept", "x");
    EXPECT_EQ(TempFolder(), folder);
    EXPECT_TRUE(QFileInfo::exists(folder + "/kept"));
}

TEST(TempFolder, RefusesASymlinkPlantedAtItsPath)
{
    TempHome home;
    QDir().mkpath(home.filePath("elsewhere"));
    QFile::setPermissions(home.filePath("elsewhere"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(QFile::link(home.filePath("elsewhere"), expectedFolder()));
    EXPECT_EQ(TempFolder(), "");
    EXPECT_EQ(MakeTempFileName("lst"), "");
    EXPECT_TRUE(QDir(home.filePath("elsewhere")).isEmpty());
}

TEST(TempFolder, RefusesAFolderOpenToOthersOrAFile)
{
    TempHome home;
    ASSERT_TRUE(QDir().mkpath(expectedFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(expectedFolder()).constData(), 0777), 0);
    EXPECT_EQ(TempFolder(), "");
    ASSERT_EQ(::chmod(QFile::encodeName(expectedFolder()).constData(), 0750), 0);
    EXPECT_EQ(TempFolder(), "");
    // It is never loosened or replaced behind the user's back.
    EXPECT_EQ(modeOf(expectedFolder()), mode_t(0750));

    QDir().rmdir(expectedFolder());
    writeFile(expectedFolder(), "");
    EXPECT_EQ(TempFolder(), "");
}

TEST(TempFolder, RefusesAFolderOfAnotherUser)
{
    if (getuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    TempHome home;
    ASSERT_TRUE(QDir().mkpath(expectedFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(expectedFolder()).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(expectedFolder()).constData(), 65534, 65534), 0);
    EXPECT_EQ(TempFolder(), "");
}

TEST(MakeTempFileName, CreatesANewEmptyFileEachTimeInThePrivateFolder)
{
    TempHome home;
    QSet<QString> names;
    for (int i = 0; i < 5; ++i) {
        const QString name = MakeTempFileName("lst");
        ASSERT_FALSE(name.isEmpty());
        const QFileInfo info(name);
        EXPECT_EQ(info.absolutePath(), TempFolder());
        EXPECT_TRUE(info.fileName().startsWith("lst"));
        EXPECT_TRUE(info.isFile());
        EXPECT_EQ(info.size(), 0);
        EXPECT_EQ(modeOf(name) & 077, mode_t(0));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 5);
}
