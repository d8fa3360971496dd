#include "CExPathDlg.h"
#include "DialogTestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

using ExclusionEntryDlgTest = DialogFixture;

TEST_F(ExclusionEntryDlgTest, PickedFolderReplacesTheTypedTextAndACancelledPickerKeepsIt)
{
    CExPathDlg dialog;
    dialog.edit()->setText(" cache");
    picker.answers = {"", "/home/me/.cache"};
    dialog.findChild<QPushButton*>("ctl1014")->click();
    EXPECT_EQ(dialog.edit()->text(), " cache");
    dialog.OnOK();
    EXPECT_EQ(dialog.m_text, " cache") << "taken as typed";
    dialog.findChild<QPushButton*>("ctl1014")->click();
    dialog.OnOK();
    EXPECT_EQ(dialog.m_text, "/home/me/.cache");
    EXPECT_EQ(picker.titles, QStringList(2, "Pick a directory:"));
}

TEST_F(ExclusionEntryDlgTest, PickerOpensAtTheSourceFolderWhenKnownElseAtTheTypedPath)
{
    const QString cache = home.filePath("cache");
    QDir().mkpath(cache);
    CExPathDlg dialog;
    dialog.edit()->setText(cache);
    dialog.findChild<QPushButton*>("ctl1014")->click();
    dialog.m_sourceFolder = home.path();
    dialog.findChild<QPushButton*>("ctl1014")->click();
    EXPECT_EQ(picker.startFolders, QStringList({cache, home.path()}));
    EXPECT_FALSE(dialog.findChild<QPushButton*>("ctl1014")->toolTip().isEmpty());
    EXPECT_EQ(StartFolderFor("/"), "/");
    EXPECT_EQ(StartFolderFor("cache"), "") << "a partial path names no folder yet";
}
