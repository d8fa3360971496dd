#include "CExPathDlg.h"
#include "DialogTestSupport.h"

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
