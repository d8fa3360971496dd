#include "UpdateArchives.h"
#include "EngineTestSupport.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>

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

TEST(UpdateArchives, OldFilesCountTheRestorePointsTheyEndAndTheKeptChainsThatStay)
{
    TempHome home;
    const QString target = home.filePath("Backup");
    makeTree(target,
        {{"docs.7z", "full"}, {"docs_upd_2026-12-01_10h00m00s.7z", "u1"}, {"docs_upd_2026-12-03_10h00m00s.7z", "u2"},
            {"docs_upd_junk.7z", "j"}, {"docs.history/2026-01-01_10h00m00s/docs.7z", "old"},
            {"docs.history/2026-02-01_10h00m00s/docs.7z", "old"}, {"docs.history/notes.txt", "mine"}});
    QFile full(target + "/docs.7z");
    ASSERT_TRUE(full.open(QIODevice::ReadWrite));
    const QDateTime fullTime(QDate(2026, 12, 5), QTime(9, 30));
    ASSERT_TRUE(full.setFileTime(fullTime, QFileDevice::FileModificationTime));
    full.close();

    const BackupSet docs = MakeSet("/src", target, IncrementalArchiving);
    const OldFiles found = FindOldFiles(docs);
    EXPECT_EQ(found.paths().size(), 4) << "every file of the chain goes";
    EXPECT_EQ(found.bytes, 4 + 2 + 2 + 1);
    // A name without a time is deleted with the chain but is no point Restore would offer.
    EXPECT_EQ(found.restorePoints, 3);
    EXPECT_EQ(found.oldestPoint, QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
    EXPECT_EQ(found.newestPoint, fullTime);
    EXPECT_EQ(found.historyFolder, target + "/docs.history");
    EXPECT_EQ(found.keptChains, 2);

    // Update archives without their full archive restore nothing.
    QFile::remove(target + "/docs.7z");
    EXPECT_EQ(FindOldFiles(docs).restorePoints, 0);
    // A link planted at the history's name leads to folders that are not this set's.
    const QString elsewhere = home.filePath("elsewhere");
    ASSERT_TRUE(QDir(target + "/docs.history").removeRecursively());
    makeTree(elsewhere, {{"2026-03-01_10h00m00s/docs.7z", "x"}});
    ASSERT_TRUE(QFile::link(elsewhere, target + "/docs.history"));
    EXPECT_EQ(FindOldFiles(docs).keptChains, 0);

    // A mirror set's folder is no chain: nothing to find, nothing to delete.
    EXPECT_TRUE(FindOldFiles(MakeSet("/src", target, MirrorCopying)).isEmpty());
}
