// The restore dialog over a mirror set: a file's versions list the mirror's own and each one its runs kept.

#include "CMyListCtrl.h"
#include "CRestoreDlg.h"
#include "JobFixture.h"
#include "ToolTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class MirrorVersionsDlgTest : public JobFixture
{
protected:
    void TearDown() override
    {
        qunsetenv("VELMORA_NOW");
        JobFixture::TearDown();
    }
    // Three runs a day apart, a.txt rewritten before each of the last two.
    BackupSet mirroredThrice()
    {
        const quint32 id = addSet(MirrorCopying);
        const QDateTime start(QDate(2026, 5, 4), QTime(9, 30, 0));
        for (int run = 0; run < 3; ++run) {
            QFile file(source + "/a.txt");
            EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("alpha").repeated(run + 1));
            file.flush();
            EXPECT_TRUE(file.setFileTime(start.addDays(run).addSecs(-60), QFileDevice::FileModificationTime));
            file.close();
            qputenv("VELMORA_NOW", start.addDays(run).toString(Qt::ISODate).toUtf8());
            EXPECT_TRUE(MirrorJob(id).succeeded());
        }
        qputenv("VELMORA_NOW", start.addDays(30).toString(Qt::ISODate).toUtf8());
        BackupSet set;
        EXPECT_TRUE(GetBackupSet(id, set));
        return set;
    }
    static QStringList column(QTreeWidget* tree, int index)
    {
        QStringList texts;
        for (int row = 0; row < tree->topLevelItemCount(); ++row)
            texts.append(tree->topLevelItem(row)->text(index));
        return texts;
    }
    // With VELMORA_SHOTS set, the dialog as a picture in that folder, to look at.
    static void keepShot(CRestoreDlg& dialog, const QString& name)
    {
        const QString folder = qEnvironmentVariable("VELMORA_SHOTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.grab().save(folder + "/" + name + ".png");
    }
};

} // namespace

TEST_F(MirrorVersionsDlgTest, AFilesVersionsAreTheMirrorsAndEachKeptOneNewestFirst)
{
    const BackupSet set = mirroredThrice();
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    // The whole-folder point stays the mirror alone.
    ASSERT_EQ(dialog.pointList()->topLevelItemCount(), 1);
    dialog.fileTree()->setCurrentItem(dialog.itemOf("a.txt"));
    EXPECT_EQ(column(dialog.versionList(), 1), QStringList({"15 bytes", "10 bytes", "5 bytes"}));
    QStringList where;
    for (int row = 0; row < dialog.versionList()->topLevelItemCount(); ++row)
        where.append(dialog.versionList()->topLevelItem(row)->toolTip(0));
    EXPECT_EQ(where,
        QStringList({destination + "/Docs", destination + "/Docs.history/2026-05-06_09h30m00s",
            destination + "/Docs.history/2026-05-05_09h30m00s"}));
    keepShot(dialog, "restore-mirror-versions-en");

    QTranslator translator;
    if (translator.load("velmora_ru", QStringLiteral(VELMORA_TRANSLATIONS_DIR))) {
        QCoreApplication::installTranslator(&translator);
        CRestoreDlg russian;
        ASSERT_TRUE(russian.loadSet(set));
        russian.fileTree()->setCurrentItem(russian.itemOf("a.txt"));
        EXPECT_EQ(russian.versionList()->topLevelItemCount(), 3);
        keepShot(russian, "restore-mirror-versions-ru");
        QCoreApplication::removeTranslator(&translator);
    }
}
