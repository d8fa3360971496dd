#include "CExPathDlg.h"
#include "CExTypeDlg.h"
#include "DialogTestSupport.h"

#include <QLineEdit>
#include <QPushButton>

using ExclusionEntryDlgTest = DialogFixture;

TEST_F(ExclusionEntryDlgTest, OkReturnsTheTextExactlyAsTyped)
{
    CExTypeDlg typeDialog;
    typeDialog.edit()->setText(" txt ");
    typeDialog.findChild<QPushButton*>("okButton")->click();
    EXPECT_EQ(typeDialog.result(), QDialog::Accepted);
    EXPECT_EQ(typeDialog.m_text, " txt ");

    CExPathDlg pathDialog;
    pathDialog.OnOK();
    EXPECT_EQ(pathDialog.result(), QDialog::Accepted);
    EXPECT_EQ(pathDialog.m_text, "");
}

TEST_F(ExclusionEntryDlgTest, PickedFolderReplacesTheTypedTextAndACancelledPickerKeepsIt)
{
    CExPathDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "Add Exclusion Path");
    dialog.edit()->setText("cache");
    picker.answers = {"", "/home/me/.cache"};
    QPushButton* browse = dialog.findChild<QPushButton*>("ctl1014");
    browse->click();
    EXPECT_EQ(dialog.edit()->text(), "cache");
    browse->click();
    EXPECT_EQ(dialog.edit()->text(), "/home/me/.cache");
    EXPECT_EQ(picker.titles, QStringList(2, "Pick a directory:"));
    dialog.OnOK();
    EXPECT_EQ(dialog.m_text, "/home/me/.cache");
}
