#include "UpdateArchives.h"
#include "EngineTestSupport.h"
#include "TempHome.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(UpdateArchives, OnlyTheSetsOwnChainIsCountedAndFound)
{
    TempHome home;
    const QString target = home.filePath("Backup");
    makeTree(target,
        {{"docs_upd_2009-08-05_14h51m10s.7z", ""}, {"docs_upd_.7z", ""}, {"docs.7z", ""}, {"docs_upd_1.zip", ""},
            {"docs2_upd_1.7z", ""}, {"DOCS_upd_1.7z", ""}, {"docs_upd_1.7z.part", ""}, {"_upd_1.7z", ""}});
    QDir().mkpath(target + "/docs_upd_old.7z");
    // No destination is no folder, least of all the current one.
    const QString current = QDir::currentPath();
    QDir::setCurrent(target);
    EXPECT_TRUE(FindOldFiles(MakeSet("/src", "", IncrementalArchiving)).updateArchives.isEmpty());
    QDir::setCurrent(current);

    const BackupSet docs = MakeSet("/src", target, IncrementalArchiving);
    EXPECT_EQ(CountUpdateArchives(docs), 2);
    EXPECT_EQ(DeleteOldFiles(FindOldFiles(docs)), QStringList());
    EXPECT_EQ(CountUpdateArchives(docs), 0);
    EXPECT_EQ(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 6);

    BackupSet unnamed = docs;
    unnamed.arcName.clear();
    EXPECT_EQ(CountUpdateArchives(unnamed), 0);
    BackupSet upper = docs;
    upper.arcName = "DOCS";
    EXPECT_EQ(CountUpdateArchives(upper), 1);
    upper.target = home.filePath("missing");
    EXPECT_EQ(CountUpdateArchives(upper), 0);
}
