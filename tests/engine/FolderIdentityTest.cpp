#include "FolderIdentity.h"
#include "TempHome.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(FolderIdentity, TellsHowAMirrorLiesAgainstTheSourceWhateverThePathsSpelling)
{
    TempHome home;
    makeTree(home.filePath("disk/src/sub"), {{"a.txt", "a"}});
    QDir().mkpath(home.filePath("disk/src2"));
    QFile::link(home.filePath("disk"), home.filePath("disk link"));
    const QString disk = home.filePath("disk");
    const QString viaLink = home.filePath("disk link");
    const struct
    {
        QString source;
        QString mirror;
        FolderOverlap overlap;
    } cases[] = {
        {disk + "/src", viaLink + "/src", FolderOverlap::Same},
        {disk + "/src", viaLink + "/src/new mirror", FolderOverlap::MirrorInsideSource},
        {disk + "/src", disk + "/src/sub", FolderOverlap::MirrorInsideSource},
        {viaLink + "/src/sub", disk + "/src", FolderOverlap::SourceInsideMirror},
        {disk + "/src/sub/", disk + "/src/", FolderOverlap::SourceInsideMirror},
        {"/", disk + "/mirror", FolderOverlap::MirrorInsideSource},
        {disk + "/src", "/", FolderOverlap::SourceInsideMirror},
        // A common beginning of the names is no overlap.
        {disk + "/src", disk + "/src2", FolderOverlap::None},
        {disk + "/src2", disk + "/src", FolderOverlap::None},
        {disk + "/src", disk + "/src2/new mirror", FolderOverlap::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MirrorOverlap(c.source, c.mirror), c.overlap)
            << c.source.toStdString() << " " << c.mirror.toStdString();
    EXPECT_EQ(IdentityOfFolder(viaLink), IdentityOfFolder(disk));
    EXPECT_FALSE(IdentityOfFolder(disk + "/src/sub/a.txt"));
}
