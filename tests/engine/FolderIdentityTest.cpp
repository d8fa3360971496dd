#include "FolderIdentity.h"
#include "TempHome.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(FolderIdentity, TheRootHoldsEverythingAndACommonBeginningOfNamesIsNoOverlap)
{
    TempHome home;
    QDir().mkpath(home.filePath("src"));
    QDir().mkpath(home.filePath("src2"));
    const QString src = home.filePath("src");
    EXPECT_EQ(MirrorOverlap("/", home.filePath("new mirror")), FolderOverlap::MirrorInsideSource);
    EXPECT_EQ(MirrorOverlap(src, "/"), FolderOverlap::SourceInsideMirror);
    EXPECT_EQ(MirrorOverlap(src, src + "2"), FolderOverlap::None);
    EXPECT_EQ(MirrorOverlap(src + "2", src), FolderOverlap::None);
    EXPECT_EQ(MirrorOverlap(src, src + "2/new mirror"), FolderOverlap::None);
    EXPECT_EQ(MirrorOverlap(src + "/", src + "/new mirror/"), FolderOverlap::MirrorInsideSource);
}
