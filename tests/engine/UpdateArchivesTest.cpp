#include "UpdateArchives.h"
#include "EngineTestSupport.h"
#include "TempHome.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class UpdateArchivesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        target = home.filePath("Backup");
        QDir().mkpath(target);
    }
    void touch(const QString& name) const { writeFile(target + "/" + name, "x"); }
    bool exists(const QString& name) const { return QFileInfo::exists(target + "/" + name); }

    TempHome home;
    QString target;
};

} // namespace

TEST_F(UpdateArchivesTest, EveryFileOfTheChainIsCountedAndDeletedButNothingElse)
{
    touch("docs_upd_2009-08-05_14h51m10s.7z");
    touch("docs_upd_anything.7z");
    touch("docs_upd_.7z");
    touch("docs.7z");
    touch("docs_upd_2009-08-05_14h51m10s.zip");
    touch("docs2_upd_2009-08-05_14h51m10s.7z");
    touch("DOCS_upd_2009-08-05_14h51m10s.7z");
    touch("docs_upd_x.7z.part");
    touch("olddocs_upd_x.7z");
    QDir().mkpath(target + "/docs_upd_old.7z");
    const BackupSet docs = MakeSet("docs", home.filePath("src"), target, IncrementalArchiving);

    EXPECT_EQ(CountUpdateArchives(docs), 3);
    EXPECT_EQ(DeleteUpdateArchives(docs), 3);
    EXPECT_EQ(CountUpdateArchives(docs), 0);
    EXPECT_FALSE(exists("docs_upd_anything.7z"));
    for (const char* kept : {"docs.7z", "docs_upd_2009-08-05_14h51m10s.zip", "docs2_upd_2009-08-05_14h51m10s.7z",
             "DOCS_upd_2009-08-05_14h51m10s.7z", "docs_upd_x.7z.part", "olddocs_upd_x.7z", "docs_upd_old.7z"})
        EXPECT_TRUE(exists(kept)) << kept;
}

TEST_F(UpdateArchivesTest, SetsDifferingOnlyInLetterCaseKeepTheirOwnChains)
{
    touch("docs_upd_1.zip");
    touch("DOCS_upd_1.zip");
    touch("DOCS_upd_2.zip");
    BackupSet upper = MakeSet("DOCS", home.filePath("src"), target, IncrementalArchiving);
    upper.arcType = 1;
    EXPECT_EQ(DeleteUpdateArchives(upper), 2);
    EXPECT_TRUE(exists("docs_upd_1.zip"));
}

TEST_F(UpdateArchivesTest, MissingFolderOrEmptyNameMatchesNothing)
{
    touch("_upd_1.7z");
    touch("x_upd_1.7z");
    EXPECT_EQ(CountUpdateArchives(MakeSet("docs", "/src", home.filePath("missing"), 1)), 0);
    EXPECT_EQ(DeleteUpdateArchives(MakeSet("", "/src", target, 1)), 0);
    BackupSet badType = MakeSet("x", "/src", target, 1);
    badType.arcType = 7;
    EXPECT_EQ(DeleteUpdateArchives(badType), 0);
    // An empty destination is no folder at all, least of all the current one.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(target));
    const int deleted = DeleteUpdateArchives(MakeSet("x", "/src", "", 1));
    QDir::setCurrent(current);
    EXPECT_EQ(deleted, 0);
    EXPECT_TRUE(exists("_upd_1.7z"));
    EXPECT_TRUE(exists("x_upd_1.7z"));
}
