#include "ArchivePlacement.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(ArchivePlacement, ReplacesTheOldArchiveAndKeepsItsPermissions)
{
    TempHome home;
    const QString target = home.filePath("dest/docs.7z");
    writeFile(target, "old");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    writeFile(home.filePath("tmp/docs.7z"), "new");
    const PlacementResult result = PlaceArchive(home.filePath("tmp/docs.7z"), target);
    ASSERT_TRUE(result.placed) << result.error.toStdString();
    EXPECT_EQ(readFile(target), "new");
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
        | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile::permissions(target) & everyone, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(QFileInfo::exists(home.filePath("tmp/docs.7z")));
    EXPECT_EQ(QDir(home.filePath("dest")).entryList(QDir::Files | QDir::Hidden), QStringList({"docs.7z"}));
}

TEST(ArchivePlacement, FailsWithoutTouchingAnythingWhenThereIsNothingToPlaceOrNowhereToPutIt)
{
    TempHome home;
    const QString target = home.filePath("dest/docs.7z");
    writeFile(target, "old");
    EXPECT_FALSE(PlaceArchive(home.filePath("tmp/none.7z"), target).placed);
    EXPECT_EQ(readFile(target), "old");
    writeFile(home.filePath("tmp/docs.7z"), "new");
    const PlacementResult missing = PlaceArchive(home.filePath("tmp/docs.7z"), home.filePath("unplugged/docs.7z"));
    EXPECT_FALSE(missing.placed);
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_EQ(readFile(home.filePath("tmp/docs.7z")), "new");
    EXPECT_EQ(QDir(home.filePath("dest")).entryList(QDir::Files | QDir::Hidden), QStringList({"docs.7z"}));
}
