#include "CMyVelmoraApp.h"
#include "CMyVelmoraDlg.h"
#include "InterfaceLanguage.h"
#include "ResourceIds.h"
#include "StoreFixture.h"
#include "StringTable.h"

#include "CMyListCtrl.h"
#include <QCoreApplication>
#include <QTranslator>

class StartupTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        delete g_profileStore;
        g_profileStore = nullptr;
        backupSets.clear();
    }
    TempHome home;
};

TEST_F(StartupTest, FirstStartThenCloseWritesTheSettingsBelowTheFirstLine)
{
    CMyVelmoraApp::InitStoreAndLanguage();
    EXPECT_EQ(readFile(home.settingsFile()), "PathTo7zExe=/usr/bin/7zz\n");
    EXPECT_EQ(Settings().languageId, 0);
    SaveAllAndFreeStore();
    EXPECT_EQ(g_profileStore, nullptr);
    const QList<QByteArray> lines = readFile(home.settingsFile()).split('\n');
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[1], "[Velmora Project file]");
    QList<QByteArray> keys;
    for (qsizetype i = 2; i < 9; ++i)
        keys.append(lines[i].left(lines[i].indexOf('=')));
    EXPECT_EQ(keys,
        QList<QByteArray>({"DefaultArcType", "DefaultCompLevel", "DefaultArcLocation", "PathTo7zExe",
            "MinorUpdatedNumber", "LangID", "RoboPathXP"}));
}

// Closing writes only what changed: a set file nobody touched stays as it was, stale key and all.
TEST_F(StartupTest, TheWindowListsTheSetsAndLeavesTheirUnchangedFilesWhenClosed)
{
    const QByteArray untouched = "[Velmora Project file]\nnID=1\nname=b\nobsolete=1\n";
    writeFile(home.setFolder() + "/b.ini", untouched);
    writeFile(home.setFolder() + "/a.ini", "[Velmora Project file]\nnID=2\nname=a\n");
    CMyVelmoraApp::InitStoreAndLanguage();
    {
        CMyVelmoraDlg window;
        auto* list = window.findChild<CMyListCtrl*>("ctl1000");
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "a");
        window.show();
        window.close();
    }
    EXPECT_EQ(g_profileStore, nullptr);
    EXPECT_EQ(readFile(home.setFolder() + "/b.ini"), untouched);
    EXPECT_TRUE(readFile(home.settingsFile()).contains("LangID=0"));
}

TEST_F(StartupTest, RussianLanguageNeedsItsTranslationFileAndFallsBackToEnglish)
{
    EXPECT_FALSE(ApplyInterfaceLanguage(1, home.filePath("no-such-folder")));
    EXPECT_EQ(LoadStringById(StringId::Ready), "READY.");
    ASSERT_TRUE(ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
    EXPECT_EQ(LoadStringById(StringId::Ready), "ГОТОВО.");
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
    EXPECT_FALSE(ApplyInterfaceLanguage(2, {}));
    EXPECT_EQ(LoadStringById(StringId::Ready), "READY.");
}
