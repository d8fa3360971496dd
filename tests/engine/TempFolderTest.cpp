#include "TempFolder.h"
#include "TempHome.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat status
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

} // namespace

TEST(TempFolder, EachFileGetsAPrivateFolderOfItsOwnThatGoesWithIt)
{
    TempHome home;
    const QString first = MakeTempFileName("lst");
    const QString second = MakeTempFileName("lst");
    const QFileInfo firstInfo(first);
    ASSERT_TRUE(firstInfo.isFile());
    EXPECT_EQ(firstInfo.fileName(), "lst.tmp");
    EXPECT_EQ(QFileInfo(firstInfo.absolutePath()).absolutePath(), home.filePath("tmp"));
    EXPECT_EQ(modeOf(firstInfo.absolutePath()), mode_t(0700));
    EXPECT_NE(QFileInfo(second).absolutePath(), firstInfo.absolutePath());
    RemoveTempFile(first);
    RemoveTempFile(second);
    EXPECT_TRUE(QDir(home.filePath("tmp")).isEmpty());
}

TEST(TempFolder, NamesSomebodyElseCreatedFirstStopNothing)
{
    TempHome home;
    // The name an earlier version always used, taken by another user, a link, or a folder open to all.
    const QString oldName = home.filePath("tmp") + "/velmora-" + QString::number(getuid());
    ASSERT_TRUE(QDir().mkpath(oldName));
    ::chmod(QFile::encodeName(oldName).constData(), 0777);
    if (getuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(oldName).constData(), 65534, 65534), 0);
    }
    QFile::link(home.path(), home.filePath("tmp") + "/velmora-XXXXXX");
    const QString path = MakeTempFileName("lst");
    ASSERT_FALSE(path.isEmpty());
    const QString folder = QFileInfo(path).absolutePath();
    EXPECT_NE(folder, oldName);
    EXPECT_FALSE(QFileInfo(folder).isSymLink());
    EXPECT_EQ(modeOf(folder), mode_t(0700));
}

TEST(TempFolder, AMissingTemporaryFolderIsNamedInTheReason)
{
    TempHome home;
    qputenv("TMPDIR", QFile::encodeName(home.filePath("gone")));
    QString error;
    EXPECT_EQ(MakeTempFileName("lst", &error), "");
    EXPECT_TRUE(error.contains(home.filePath("gone"))) << error.toStdString();
}
