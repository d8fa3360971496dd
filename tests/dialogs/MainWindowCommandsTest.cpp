#include "MainWindowCommands.h"
#include "COptionsDlg.h"
#include "CSetPropDlg.h"
#include "DialogTestSupport.h"

#include <QFileInfo>
#include <QLineEdit>

using MainWindowCommandsTest = DialogFixture;

namespace {

void fill(CSetPropDlg& dialog, int id, const QString& text)
{
    dialog.findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id))->setText(text);
}

} // namespace

TEST_F(MainWindowCommandsTest, NewStoresTheConfirmedSetInTheCollectionAndInItsFile)
{
    storeSet("Existing");
    defaultArcLocation = "/mnt/backup";
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) { dialog.reject(); });
    EXPECT_FALSE(NewSetCommand(nullptr));
    EXPECT_EQ(backupSets.size(), 1);

    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        EXPECT_EQ(dialog.m_set.id, 2u);
        fill(dialog, 1004, "Home Folder");
        fill(dialog, 1012, "home");
        fill(dialog, 1006, "/home/me");
        dialog.OnOK();
    });
    EXPECT_TRUE(NewSetCommand(nullptr));
    ASSERT_EQ(backupSets.size(), 2);
    EXPECT_EQ(backupSets.last().name, "Home Folder");
    EXPECT_EQ(backupSets.last().target, "/mnt/backup");
    EXPECT_EQ(backupSets.last().lastRun, "0");
    EXPECT_TRUE(readFile(setFile("Home Folder")).contains("source=/home/me"));
    EXPECT_FALSE(g_profileStore->useSetFile) << "the settings file is selected again";
}

TEST_F(MainWindowCommandsTest, PropertiesRewritesTheSetUnderItsNewName)
{
    const quint32 id = storeSet("Old Name");
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Task Properties");
        fill(dialog, 1004, "New Name");
        dialog.OnOK();
    });
    EXPECT_TRUE(PropertiesCommand(nullptr, id));
    ASSERT_EQ(backupSets.size(), 1);
    EXPECT_EQ(backupSets.first().id, id);
    EXPECT_EQ(backupSets.first().name, "New Name");
    EXPECT_TRUE(QFileInfo::exists(setFile("New Name")));
    EXPECT_FALSE(QFileInfo::exists(setFile("Old Name")));

    EXPECT_FALSE(PropertiesCommand(nullptr, id + 1)) << "no set, no dialog";
}

TEST_F(MainWindowCommandsTest, OptionsStoresTheSettingsAndTheRsyncLocationOnlyWhenAFileIsThere)
{
    const QString rsync = home.filePath("bin/rsync");
    writeFile(rsync, "#!/bin/sh\n");
    const auto answer = [](const QString& roboPath) {
        whenModal<COptionsDlg>([roboPath](COptionsDlg& dialog) {
            dialog.findChild<QLineEdit*>("ctl1034")->setText("-3");
            dialog.findChild<QLineEdit*>("ctl1007")->setText("/new/default");
            dialog.findChild<QLineEdit*>("ctl1008")->setText(roboPath);
            dialog.OnOK();
        });
    };

    answer(home.filePath("bin"));
    EXPECT_TRUE(OptionsCommand(nullptr));
    EXPECT_EQ(minorUpdatedNumber, -3);
    EXPECT_EQ(defaultArcLocation, "/new/default");
    EXPECT_EQ(roboPathXP, kDefaultRoboPathXP) << "a folder is no rsync";

    answer(rsync);
    EXPECT_TRUE(OptionsCommand(nullptr));
    EXPECT_EQ(roboPathXP, rsync);

    whenModal<COptionsDlg>([](COptionsDlg& dialog) { dialog.reject(); });
    EXPECT_FALSE(OptionsCommand(nullptr));
}
