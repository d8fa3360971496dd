#include "CSetPropDlg.h"
#include "CExTypeDlg.h"
#include "DialogTestSupport.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

class SetPropDlgTest : public DialogFixture
{
protected:
    void openNew()
    {
        dialog = std::make_unique<CSetPropDlg>();
        dialog->m_set.id = NewBackupSetId();
        dialog->m_bNew = true;
        dialog->OnInitDialog();
    }
    void openExisting(quint32 id)
    {
        dialog = std::make_unique<CSetPropDlg>();
        ASSERT_TRUE(GetBackupSet(id, dialog->m_set));
        dialog->OnInitDialog();
    }
    void openExisting(const BackupSet& set)
    {
        dialog = std::make_unique<CSetPropDlg>();
        dialog->m_set = set;
        dialog->OnInitDialog();
    }
    BackupSet someSet() const
    {
        BackupSet set;
        set.id = 4;
        set.name = "Photos";
        set.arcName = "photos";
        set.source = "/home/me/Pictures";
        set.target = "/backups";
        return set;
    }

    QLineEdit* edit(int id) const { return dialog->findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id)); }
    QComboBox* combo(int id) const { return dialog->findChild<QComboBox*>(QStringLiteral("ctl%1").arg(id)); }
    QListWidget* listBox(int id) const { return dialog->findChild<QListWidget*>(QStringLiteral("ctl%1").arg(id)); }
    QCheckBox* solid() const { return dialog->findChild<QCheckBox*>("ctl1021"); }
    void click(const QString& name) const { dialog->findChild<QPushButton*>(name)->click(); }
    QStringList rows(int id) const
    {
        QStringList texts;
        for (int row = 0; row < listBox(id)->count(); ++row)
            texts.append(listBox(id)->item(row)->text());
        return texts;
    }
    // Fills the four required fields and presses OK; true when the dialog closed with OK.
    bool okWithName(const QString& name)
    {
        edit(1004)->setText(name);
        dialog->OnOK();
        return dialog->result() == QDialog::Accepted;
    }

    std::unique_ptr<CSetPropDlg> dialog;
};

TEST_F(SetPropDlgTest, NewSetOpensWithItsTitleTheDefaultDestinationAndTheDefaultArchiveSettings)
{
    defaultArcLocation = "/mnt/backup";
    defaultArcType = 1;
    defaultCompLevel = 4;
    openNew();

    EXPECT_EQ(dialog->windowTitle(), "New Set");
    EXPECT_EQ(edit(1007)->text(), "/mnt/backup");
    EXPECT_EQ(edit(1004)->text(), "");
    EXPECT_EQ(edit(1012)->text(), "");
    EXPECT_EQ(edit(1006)->text(), "");
    EXPECT_EQ(combo(1024)->currentText(), "Full archiving");
    EXPECT_EQ(combo(1019)->currentText(), "Zip");
    EXPECT_EQ(combo(1020)->currentText(), "7");
    EXPECT_FALSE(solid()->isChecked());
    EXPECT_FALSE(solid()->isEnabled()) << "only 7z archives can be solid";
    EXPECT_EQ(listBox(1009)->count(), 0);
    EXPECT_EQ(listBox(1014)->count(), 0);
}

TEST_F(SetPropDlgTest, ExistingSetKeepsItsTitleAndShowsItsValues)
{
    BackupSet set = someSet();
    set.backupType = IncrementalArchiving;
    set.compLevel = 5;
    set.solid = true;
    openExisting(set);

    EXPECT_EQ(dialog->windowTitle(), "Task Properties");
    EXPECT_EQ(edit(1004)->text(), "Photos");
    EXPECT_EQ(edit(1006)->text(), "/home/me/Pictures");
    EXPECT_EQ(combo(1024)->currentIndex(), IncrementalArchiving);
    EXPECT_EQ(combo(1020)->currentText(), "9");
    EXPECT_TRUE(solid()->isChecked());
}

TEST_F(SetPropDlgTest, RenamingOnlyTheLetterCaseIsRefusedWhileAnUnchangedNamePasses)
{
    storeSet("Weekly");
    const quint32 id = storeSet("Daily");
    openExisting(id);

    EXPECT_FALSE(okWithName("daily"));
    EXPECT_FALSE(okWithName("WEEKLY")) << "another set's name in other letters is taken too";
    EXPECT_EQ(messages.messages(),
        QStringList({"Backup set named 'daily' already exists. Please, choose another set name!",
            "Backup set named 'WEEKLY' already exists. Please, choose another set name!"}));
    EXPECT_EQ(dialog->m_set.name, "Daily") << "a refused OK writes nothing";

    EXPECT_TRUE(okWithName("Daily"));
    EXPECT_EQ(messages.messages().size(), 2);
}

TEST_F(SetPropDlgTest, EmptyRequiredFieldsAreRefusedButBlanksCountAsText)
{
    openNew();
    edit(1004)->setText("Docs");
    edit(1006)->setText("/home/me/Documents");
    edit(1007)->setText("/backups");
    dialog->OnOK();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(messages.messages(), QStringList({"One of the required fields is empty."}));

    edit(1012)->setText(" ");
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_set.arcName, " ");
}

TEST_F(SetPropDlgTest, NamesThatCannotBeTheSetFileNameAreRefusedWithAMessage)
{
    openNew();
    edit(1012)->setText("arc");
    edit(1006)->setText("/src");
    edit(1007)->setText("/backups");
    const QString longestName = QString(125, QChar(0x044F)); // 250 bytes in UTF-8
    for (const QString& name : {QString("."), QString(".."), QString("a/b"), QString("/etc/passwd"),
             QString("a") + QChar(0) + "b", longestName + "x", QString(QChar(0xD800)) + "a"}) {
        SCOPED_TRACE(name.toStdString());
        const qsizetype before = messages.messages().size();
        EXPECT_FALSE(okWithName(name));
        ASSERT_EQ(messages.messages().size(), before + 1);
        EXPECT_TRUE(messages.messages().last().startsWith("This set name cannot be used as a file name"));
    }
    EXPECT_TRUE(okWithName(longestName));
    EXPECT_EQ(dialog->m_set.name, longestName);
}

TEST_F(SetPropDlgTest, CButtonJoinsTheWordsOfTheSetNameWithUnderscoresAndKeepsTheOtherFields)
{
    openNew();
    edit(1004)->setText("My photo archive");
    edit(1006)->setText("/typed/source");
    click("ctl1016");
    EXPECT_EQ(edit(1012)->text(), "My_photo_archive");
    EXPECT_EQ(edit(1006)->text(), "/typed/source");

    edit(1004)->setText(" two  blanks.\tand a tab ");
    click("ctl1016");
    EXPECT_EQ(edit(1012)->text(), "_two__blanks.\tand_a_tab_");
}

TEST_F(SetPropDlgTest, TypedExclusionsAreNormalisedListedAndNotAddedWhenAListedEntryContainsThem)
{
    openNew();
    dialog->addTypeEntry(".HTML");
    dialog->addTypeEntry("bak");
    dialog->addTypeEntry("/.Tmp/");
    dialog->addTypeEntry(".HTM");
    dialog->addTypeEntry("");
    EXPECT_EQ(dialog->m_set.exTypeList, QStringList({"*.HTML", "*.Tmp", "*bak"}));
    EXPECT_EQ(rows(1009), QStringList({"*.HTML", "*.Tmp", "*bak"}));

    dialog->addPathEntry("/Data/Cache/Sub//");
    dialog->addPathEntry("Build");
    dialog->addPathEntry("/Data/Cache");
    dialog->addPathEntry("");
    EXPECT_EQ(dialog->m_set.exPathList, QStringList({"/Data/Cache/Sub/", "Build/"}));
    EXPECT_EQ(rows(1014), QStringList({"/Data/Cache/Sub/", "Build/"}));
}

TEST_F(SetPropDlgTest, AddTypeRunsTheEntryDialogAndAddsWhatWasTyped)
{
    openNew();
    whenModal<CExTypeDlg>([](CExTypeDlg& entry) {
        EXPECT_EQ(entry.windowTitle(), "Exclude Type");
        entry.edit()->setText(".Log");
        entry.OnOK();
    });
    click("ctl1010");
    whenModal<CExTypeDlg>([](CExTypeDlg& entry) {
        entry.edit()->setText(".iso");
        entry.reject();
    });
    click("ctl1010");
    EXPECT_EQ(dialog->m_set.exTypeList, QStringList({"*.Log"}));
}

TEST_F(SetPropDlgTest, RemoveTakesAwayTheEntryTheSelectedRowShows)
{
    BackupSet set = someSet();
    // Stored order folds letter case; the list box orders by character code, capitals first.
    set.exTypeList = {"*B", "*a", "*c"};
    openExisting(set);
    ASSERT_EQ(dialog->m_set.exTypeList, QStringList({"*a", "*B", "*c"}));
    ASSERT_EQ(rows(1009), QStringList({"*B", "*a", "*c"}));

    click("ctl1013");
    EXPECT_EQ(dialog->m_set.exTypeList.size(), 3) << "nothing selected, nothing removed";

    listBox(1009)->setCurrentRow(1);
    click("ctl1013");
    EXPECT_EQ(dialog->m_set.exTypeList, QStringList({"*B", "*c"}));
    EXPECT_EQ(rows(1009), QStringList({"*B", "*c"}));

    dialog->m_set.exPathList = {"zeta/", "Alpha/", "beta/", "Zed/"};
    dialog->RefreshExclusionLists();
    ASSERT_EQ(dialog->m_set.exPathList, QStringList({"Alpha/", "beta/", "Zed/", "zeta/"}));
    listBox(1014)->setCurrentRow(1); // "Zed/" shows before "beta/"
    ASSERT_EQ(listBox(1014)->currentItem()->text(), "Zed/");
    click("ctl1015");
    EXPECT_EQ(dialog->m_set.exPathList, QStringList({"Alpha/", "beta/", "zeta/"}));
}

TEST_F(SetPropDlgTest, MirrorSetWith7zipDisablesTheArchiveListsButNotSolid)
{
    BackupSet set = someSet();
    set.backupType = MirrorCopying;
    set.arcType = 0;
    set.solid = true;
    openExisting(set);
    EXPECT_FALSE(combo(1019)->isEnabled());
    EXPECT_FALSE(combo(1020)->isEnabled());
    EXPECT_TRUE(solid()->isEnabled());

    combo(1024)->setCurrentIndex(FullArchiving);
    EXPECT_TRUE(combo(1019)->isEnabled());
    EXPECT_TRUE(combo(1020)->isEnabled());
    combo(1019)->setCurrentIndex(1);
    EXPECT_FALSE(solid()->isEnabled()) << "a zip archive cannot be solid";
    combo(1024)->setCurrentIndex(MirrorCopying);
    EXPECT_FALSE(combo(1019)->isEnabled());
    EXPECT_FALSE(combo(1020)->isEnabled());

    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->m_set.solid) << "a disabled Solid box keeps and stores its check";
    EXPECT_EQ(dialog->m_set.arcType, 1);
}

TEST_F(SetPropDlgTest, StoredIndexesWithoutAnEntryShowNoSelectionAndAreStoredAsMinusOne)
{
    BackupSet set = someSet();
    set.arcType = 2;
    set.compLevel = 6;
    set.backupType = -1;
    openExisting(set);
    EXPECT_EQ(combo(1019)->currentIndex(), -1);
    EXPECT_EQ(combo(1020)->currentIndex(), -1);
    EXPECT_EQ(combo(1024)->currentIndex(), -1);

    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_set.arcType, -1);
    EXPECT_EQ(dialog->m_set.compLevel, -1);
    EXPECT_EQ(dialog->m_set.backupType, -1);
}

TEST_F(SetPropDlgTest, FolderButtonsPutThePickedFolderInPlaceAndACancelledPickerChangesNothing)
{
    openNew();
    edit(1004)->setText("typed");
    picker.answers = {"/srv/photos", "", "/mnt/usb"};
    click("ctl1005");
    click("ctl1008");
    EXPECT_EQ(edit(1006)->text(), "/srv/photos");
    EXPECT_EQ(edit(1007)->text(), "") << "the cancelled picker left the destination alone";
    click("ctl1008");
    EXPECT_EQ(edit(1007)->text(), "/mnt/usb");
    EXPECT_EQ(edit(1004)->text(), "typed");
    EXPECT_EQ(picker.titles, QStringList(3, "Pick a directory:"));
}

TEST_F(SetPropDlgTest, CustomSourceMenuPutsTheSpecialFolderIntoSourceAndKeepsTypedFields)
{
    openNew();
    edit(1004)->setText("Typed name");
    edit(1012)->setText("typed_file");
    auto* button = dialog->findChild<QToolButton*>("ctl1039");
    ASSERT_NE(button->menu(), nullptr);
    const auto trigger
        = [&](int id) { button->menu()->findChild<QAction*>(QStringLiteral("action%1").arg(id))->trigger(); };

    trigger(32798);
    EXPECT_EQ(edit(1006)->text(), home.filePath("Documents"));
    EXPECT_EQ(edit(1004)->text(), "Typed name");
    EXPECT_EQ(edit(1012)->text(), "typed_file");
    trigger(32803);
    EXPECT_EQ(edit(1006)->text(), QDir::homePath());

    trigger(32807);
    EXPECT_EQ(edit(1006)->text(), "") << "no Firefox here";
    EXPECT_EQ(messages.messages(), QStringList({"It seems that Mozilla Firefox is not installed."}));

    writeFile(home.filePath(".mozilla/firefox/profiles.ini"), "[Profile0]\nName=default\nPath=abc.default\n");
    trigger(32807);
    EXPECT_EQ(edit(1006)->text(), home.filePath(".mozilla/firefox/abc.default"));

    dialog->OnCustomSource(12345);
    EXPECT_EQ(edit(1006)->text(), home.filePath(".mozilla/firefox/abc.default"));
}
