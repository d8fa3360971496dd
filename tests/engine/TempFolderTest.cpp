#include "TempFolder.h"
#include "TempHome.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kName = "/velmora-" + QString::number(getuid());

int chmodFolder(const QString& path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode);
}

mode_t modeOf(const QString& path)
{
    struct stat status
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

} // namespace

TEST(TempFolder, IsAPrivateFolderInTheTemporaryFolderAndHoldsUniqueFiles)
{
    TempHome home;
    const QString folder = TempFolder();
    ASSERT_EQ(folder, home.filePath("tmp") + kName);
    EXPECT_EQ(modeOf(folder), mode_t(0700));
    const QFileInfo first(MakeTempFileName("lst"));
    EXPECT_EQ(first.absolutePath(), folder);
    EXPECT_TRUE(first.fileName().startsWith("lst") && first.isFile());
    EXPECT_NE(MakeTempFileName("lst"), first.filePath());
}

TEST(TempFolder, RefusesWhatSomebodyElseCouldHavePlantedAtItsPath)
{
    TempHome home;
    const QString path = home.filePath("tmp") + kName;
    QDir().mkpath(home.filePath("elsewhere"));
    chmodFolder(home.filePath("elsewhere"), 0700);
    ASSERT_TRUE(QFile::link(home.filePath("elsewhere"), path));
    EXPECT_EQ(TempFolder(), "");
    EXPECT_EQ(MakeTempFileName("lst"), "");
    EXPECT_TRUE(QDir(home.filePath("elsewhere")).isEmpty());

    QFile::remove(path);
    QDir().mkpath(path);
    chmodFolder(path, 0777);
    EXPECT_EQ(TempFolder(), "");
    chmodFolder(path, 0700);
    if (getuid() == 0 && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0) {
        EXPECT_EQ(TempFolder(), "");
    }
}
