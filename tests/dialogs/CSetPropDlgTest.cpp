#include "CSetPropDlg.h"
#include "CExPathDlg.h"
#include "CExTypeDlg.h"
#include "DestinationDisk.h"
#include "DialogTestSupport.h"
#include "InterfaceLanguage.h"
#include "ResourceIds.h"
#include "RetentionFields.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QTranslator>

class SetPropDlgTest : public DialogFixture
{
protected:
    // An existing set when given one, else a new set.
    void open(const std::optional<BackupSet>& set = std::nullopt)
    {
        dialog = std::make_unique<CSetPropDlg>();
        dialog->m_bNew = !set;
        dialog->m_set = set ? *set : BackupSet();
        if (!set)
            dialog->m_set.id = NewBackupSetId();
        dialog->OnInitDialog();
    }
    static BackupSet photos()
    {
        BackupSet set;
        set.id = 4;
        set.name = set.arcName = "Photos";
        set.source = "/home/me/Pictures";
        set.target = "/backups";
        return set;
    }
    template<class T = QLineEdit> T* ctl(int id) const
    {
        return dialog->findChild<T*>(QStringLiteral("ctl%1").arg(id));
    }
    void click(int id) const { ctl<QPushButton>(id)->click(); }
    QStringList rows(int id) const
    {
        QStringList texts;
        for (int row = 0; row < ctl<QListWidget>(id)->count(); ++row)
            texts.append(ctl<QListWidget>(id)->item(row)->text());
        return texts;
    }
    bool okWithName(const QString& name)
    {
        ctl(ControlId::SetName)->setText(name);
        dialog->OnOK();
        return dialog->result() == QDialog::Accepted;
    }

    std::unique_ptr<CSetPropDlg> dialog;
};

TEST_F(SetPropDlgTest, NewSetOpensWithItsTitleTheDefaultDestinationAndTheDefaultArchiveSettings)
{
    MutableSettings().newSetDestination = "/mnt/backup";
    MutableSettings().newSetArchiveType = 1;
    MutableSettings().newSetCompressionLevel = 4;
    open();
    EXPECT_EQ(dialog->windowTitle(), "New Set");
    EXPECT_EQ(ctl(ControlId::Destination)->text(), "/mnt/backup");
    EXPECT_EQ(
        ctl(ControlId::SetName)->text() + ctl(ControlId::ArchiveName)->text() + ctl(ControlId::Source)->text(), "");
    EXPECT_EQ(ctl<QComboBox>(ControlId::BackupType)->currentText(), "Full archiving");
    EXPECT_EQ(ctl<QComboBox>(ControlId::ArchiveType)->currentText(), "Zip");
    EXPECT_EQ(ctl<QComboBox>(ControlId::CompressionLevel)->currentText(), "7");
    EXPECT_FALSE(ctl<QCheckBox>(ControlId::Solid)->isEnabled()) << "a zip archive cannot be solid";
}

TEST_F(SetPropDlgTest, AnotherSetsNameInAnyLettersIsRefusedWhileTheSetsOwnNameInOtherLettersPasses)
{
    storeSet("Weekly");
    BackupSet daily;
    GetBackupSet(storeSet("Daily"), daily);
    open(daily);
    EXPECT_FALSE(okWithName("WEEKLY"));
    EXPECT_EQ(messages.messages(),
        QStringList({"Backup set named 'WEEKLY' already exists. Please, choose another set name!"}));
    EXPECT_EQ(dialog->m_set.name, "Daily") << "a refused OK writes nothing";
    EXPECT_TRUE(okWithName("daily")) << "renaming a set to its own name in other letters is no clash";
    EXPECT_EQ(dialog->m_set.name, "daily");
    EXPECT_EQ(messages.messages().size(), 1);
}

TEST_F(SetPropDlgTest, NamesThatCannotBeTheSetFileNameAreRefusedWithAMessage)
{
    open(photos());
    const QString longestName = QString(125, QChar(0x044F)); // 250 bytes in UTF-8
    for (const QString& name : {QString("."), QString(".."), QString("a/b"), QString("/etc/passwd"),
             QString("a") + QChar(0) + "b", longestName + "x", QString(QChar(0xD800)) + "a"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(okWithName(name));
        EXPECT_TRUE(messages.messages().last().startsWith("This set name cannot be used as a file name"));
    }
    EXPECT_EQ(messages.messages().size(), 7);
    EXPECT_TRUE(okWithName(longestName));
}

TEST_F(SetPropDlgTest, ANewNameWithAControlCharacterIsRefusedAndAnOldSetKeepsItsOwn)
{
    open(photos());
    for (const QString& name : {QString("Docs\r"), QString("two\nlines"), QString("tab\there"), QString("bell\x07")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(okWithName(name));
        EXPECT_EQ(messages.messages().last(),
            "A set name may not contain line breaks, tabs or other control characters. Please, choose another set "
            "name!");
    }
    EXPECT_TRUE(okWithName("Docs and more"));

    // A set that was given such a name before stays editable under it.
    BackupSet old;
    GetBackupSet(storeSet("Old\rname"), old);
    open(old);
    EXPECT_TRUE(okWithName("Old\rname"));
}

TEST_F(SetPropDlgTest, CButtonJoinsTheWordsOfTheSetNameWithUnderscoresAndKeepsTheOtherFields)
{
    open();
    ctl(ControlId::SetName)->setText("My photo archive");
    ctl(ControlId::Source)->setText("/typed/source");
    click(ControlId::ArchiveNameFromSetName);
    EXPECT_EQ(ctl(ControlId::ArchiveName)->text(), "My_photo_archive");
    EXPECT_EQ(ctl(ControlId::Source)->text(), "/typed/source");
    ctl(ControlId::SetName)->setText(" two  blanks.\tand a tab ");
    click(ControlId::ArchiveNameFromSetName);
    EXPECT_EQ(ctl(ControlId::ArchiveName)->text(), "_two__blanks.\tand_a_tab_");
}

TEST_F(SetPropDlgTest, TypedExclusionsAreNormalisedListedAndNotAddedWhenAListedEntryContainsThem)
{
    open();
    for (const char* type : {".HTML", "bak", "/.Tmp/", ".HTM", ""})
        dialog->addTypeEntry(type);
    EXPECT_EQ(dialog->m_set.exTypeList, QStringList({"*.HTML", "*.Tmp", "*bak"}));
    EXPECT_EQ(rows(ControlId::ExcludedTypes), dialog->m_set.exTypeList);
    for (const char* path : {"/Data/Cache/Sub//", "Build", "/Data/Cache", ""})
        dialog->addPathEntry(path);
    EXPECT_EQ(dialog->m_set.exPathList, QStringList({"/Data/Cache/Sub/", "Build/"}));
    EXPECT_EQ(rows(ControlId::ExcludedPaths), dialog->m_set.exPathList);

    // Add type runs the entry dialog; a cancelled one adds nothing.
    whenModal<CExTypeDlg>([](CExTypeDlg& entry) {
        entry.edit()->setText(".Log");
        entry.OnOK();
    });
    click(ControlId::AddType);
    whenModal<CExTypeDlg>([](CExTypeDlg& entry) {
        entry.edit()->setText(".iso");
        entry.reject();
    });
    click(ControlId::AddType);
    EXPECT_EQ(dialog->m_set.exTypeList, QStringList({"*.HTML", "*.Log", "*.Tmp", "*bak"}));
}

TEST_F(SetPropDlgTest, RemoveTakesAwayTheEntryTheSelectedRowShows)
{
    BackupSet set = photos();
    // The stored order folds letter case; the list box orders by character code, capitals first.
    set.exTypeList = {"*B", "*a", "*c"};
    set.exPathList = {"zeta/", "Alpha/", "beta/", "Zed/"};
    open(set);
    ASSERT_EQ(dialog->m_set.exTypeList, QStringList({"*a", "*B", "*c"}));
    ASSERT_EQ(rows(ControlId::ExcludedTypes), QStringList({"*B", "*a", "*c"}));
    ASSERT_EQ(rows(ControlId::ExcludedPaths), QStringList({"Alpha/", "Zed/", "beta/", "zeta/"}));

    click(ControlId::RemoveType);
    EXPECT_EQ(dialog->m_set.exTypeList.size(), 3) << "nothing selected, nothing removed";
    ctl<QListWidget>(ControlId::ExcludedTypes)->setCurrentRow(1);
    click(ControlId::RemoveType);
    EXPECT_EQ(dialog->m_set.exTypeList, QStringList({"*B", "*c"}));
    EXPECT_EQ(rows(ControlId::ExcludedTypes), QStringList({"*B", "*c"}));
    ctl<QListWidget>(ControlId::ExcludedPaths)->setCurrentRow(1);
    click(ControlId::RemovePath);
    EXPECT_EQ(dialog->m_set.exPathList, QStringList({"Alpha/", "beta/", "zeta/"}));
}

TEST_F(SetPropDlgTest, MirrorSetWith7zipDisablesTheArchiveListsButNotSolid)
{
    BackupSet set = photos();
    set.backupType = MirrorCopying;
    set.solid = true;
    open(set);
    EXPECT_FALSE(ctl<QComboBox>(ControlId::ArchiveType)->isEnabled());
    EXPECT_FALSE(ctl<QComboBox>(ControlId::CompressionLevel)->isEnabled());
    EXPECT_TRUE(ctl<QCheckBox>(ControlId::Solid)->isEnabled());

    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(FullArchiving);
    EXPECT_TRUE(ctl<QComboBox>(ControlId::ArchiveType)->isEnabled());
    EXPECT_TRUE(ctl<QComboBox>(ControlId::CompressionLevel)->isEnabled());
    ctl<QComboBox>(ControlId::ArchiveType)->setCurrentIndex(1);
    EXPECT_FALSE(ctl<QCheckBox>(ControlId::Solid)->isEnabled());
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->m_set.solid) << "a disabled Solid box keeps and stores its check";
    EXPECT_EQ(dialog->m_set.arcType, 1);
}

TEST_F(SetPropDlgTest, StoredIndexesWithoutAnEntryShowNoSelectionAndAreStoredAsMinusOne)
{
    BackupSet set = photos();
    set.arcType = 2;
    set.compLevel = 6;
    set.backupType = -1;
    open(set);
    for (int id : {ControlId::ArchiveType, ControlId::CompressionLevel, ControlId::BackupType})
        EXPECT_EQ(ctl<QComboBox>(id)->currentIndex(), -1) << id;
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_set.arcType, -1);
    EXPECT_EQ(dialog->m_set.compLevel, -1);
    EXPECT_EQ(dialog->m_set.backupType, -1);
}

TEST_F(SetPropDlgTest, SourceComesFromThePickerOrTheCustomSourceMenuAndTypedFieldsStay)
{
    open();
    ctl(ControlId::SetName)->setText("Typed name");
    picker.answers = {"/srv/photos", ""};
    click(ControlId::BrowseSource);
    EXPECT_EQ(ctl(ControlId::Source)->text(), "/srv/photos");
    click(ControlId::BrowseDestination);
    EXPECT_EQ(ctl(ControlId::Destination)->text(), "") << "a cancelled picker changes nothing";
    EXPECT_EQ(picker.titles, QStringList(2, "Pick a directory:"));

    QMenu* menu = ctl<QToolButton>(ControlId::CustomSource)->menu();
    const auto choose = [&](int id) { menu->findChild<QAction*>(QStringLiteral("action%1").arg(id))->trigger(); };
    choose(CommandId::Documents);
    EXPECT_EQ(ctl(ControlId::Source)->text(), home.filePath("Documents"));
    EXPECT_EQ(ctl(ControlId::SetName)->text(), "Typed name");
    choose(CommandId::FirefoxProfile);
    EXPECT_EQ(ctl(ControlId::Source)->text(), "") << "no Firefox here";
    EXPECT_EQ(messages.messages(), QStringList({"It seems that Mozilla Firefox is not installed."}));
    writeFile(home.filePath(".mozilla/firefox/profiles.ini"), "[Profile0]\nPath=abc.default\n");
    choose(CommandId::FirefoxProfile);
    EXPECT_EQ(ctl(ControlId::Source)->text(), home.filePath(".mozilla/firefox/abc.default"));
}

TEST_F(SetPropDlgTest, FolderPickersOpenAtTheFolderTheFieldNamesOrTheNearestOneAboveIt)
{
    const QString pictures = home.filePath("Pictures");
    QDir().mkpath(pictures);
    BackupSet set = photos();
    set.source = pictures;
    set.target = home.filePath("backups/not made yet");
    open(set);
    click(ControlId::BrowseSource);
    click(ControlId::BrowseDestination);
    ctl(ControlId::Destination)->setText("relative/folder");
    click(ControlId::BrowseDestination);
    EXPECT_EQ(picker.startFolders, QStringList({pictures, home.path(), ""}));

    // The exclusion path dialog starts at the source as typed, not as stored.
    ctl(ControlId::Source)->setText(home.filePath("Pictures/2024"));
    whenModal<CExPathDlg>([](CExPathDlg& entry) {
        entry.findChild<QPushButton*>("ctl1014")->click();
        entry.reject();
    });
    click(ControlId::AddPath);
    EXPECT_EQ(picker.startFolders.last(), pictures);
}

TEST_F(SetPropDlgTest, OnlyIncrementalZipSetsSayThatDeletionsAreNotRecorded)
{
    BackupSet set = photos();
    set.backupType = IncrementalArchiving;
    set.arcType = 1;
    open(set);
    QWidget* note = ctl<QWidget>(ControlId::ZipDeletionsNote);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(dialog->zipNoteShown());
    ctl<QComboBox>(ControlId::ArchiveType)->setCurrentIndex(0);
    EXPECT_FALSE(dialog->zipNoteShown()) << "7z update archives mark deletions";
    ctl<QComboBox>(ControlId::ArchiveType)->setCurrentIndex(1);
    for (int type : {FullArchiving, MirrorCopying}) {
        ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(type);
        EXPECT_FALSE(dialog->zipNoteShown()) << type;
    }
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(IncrementalArchiving);
    EXPECT_TRUE(dialog->zipNoteShown());

    set.arcType = 0;
    open(set);
    EXPECT_FALSE(dialog->zipNoteShown());
}

TEST_F(SetPropDlgTest, ButtonsWhoseCaptionDoesNotSayWhatTheyDoHaveTips)
{
    open(photos());
    for (int id : {ControlId::ArchiveNameFromSetName, ControlId::BrowseSource, ControlId::BrowseDestination,
             ControlId::CustomSource})
        EXPECT_FALSE(ctl<QWidget>(id)->toolTip().isEmpty()) << id;
    EXPECT_TRUE(ctl<QWidget>(ControlId::ArchiveNameFromSetName)->toolTip().contains("set name"));
    EXPECT_TRUE(ctl<QWidget>(ControlId::CustomSource)->toolTip().contains("Firefox"));
}

TEST_F(SetPropDlgTest, TheDiskAtTheDestinationIsAcceptedOnlyForASetThatRemembersOneAndAnotherFolderForgetsIt)
{
    BackupSet set = photos();
    set.target = home.filePath("disk");
    QDir().mkpath(set.target);
    open(set);
    EXPECT_FALSE(ctl<QPushButton>(ControlId::AcceptDestinationDisk)->isEnabled()) << "nothing remembered yet";

    set.destinationDisk = "marker:gone tmpfs tmpfs";
    open(set);
    ASSERT_TRUE(ctl<QPushButton>(ControlId::AcceptDestinationDisk)->isEnabled());
    click(ControlId::AcceptDestinationDisk);
    EXPECT_EQ(dialog->m_set.destinationDisk, DiskOfFolder(set.target));
    EXPECT_FALSE(dialog->m_set.destinationDisk.isEmpty());
    ASSERT_TRUE(okWithName("Photos"));
    EXPECT_EQ(dialog->m_set.destinationDisk, DiskOfFolder(set.target));

    // A destination changed by hand is another disk on purpose; the next successful run records it.
    open(set);
    ctl(ControlId::Destination)->setText(home.filePath("elsewhere"));
    ASSERT_TRUE(okWithName("Photos"));
    EXPECT_TRUE(dialog->m_set.destinationDisk.isEmpty());
}

TEST_F(SetPropDlgTest, TheTestOfNewArchivesIsOnForANewSetAndStoredAsChecked)
{
    open();
    EXPECT_TRUE(ctl<QCheckBox>(ControlId::VerifyArchive)->isChecked());

    BackupSet set = photos();
    set.verifyArchive = false;
    open(set);
    QCheckBox* verify = ctl<QCheckBox>(ControlId::VerifyArchive);
    EXPECT_FALSE(verify->isChecked());
    // A mirror makes no archive to test.
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(MirrorCopying);
    EXPECT_FALSE(verify->isEnabled());
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(IncrementalArchiving);
    ASSERT_TRUE(verify->isEnabled());
    verify->setChecked(true);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->m_set.verifyArchive);
}

TEST_F(SetPropDlgTest, ScheduleIsManualWithCatchUpForANewSetAndShowsOnlyTheFieldsItUses)
{
    open();
    auto* schedule = ctl<QComboBox>(ControlId::Schedule);
    auto* day = ctl<QComboBox>(ControlId::ScheduleDay);
    auto* time = ctl<QTimeEdit>(ControlId::ScheduleTime);
    auto* catchUp = ctl<QCheckBox>(ControlId::ScheduleCatchUp);
    EXPECT_EQ(schedule->currentText(), "Manual");
    EXPECT_TRUE(catchUp->isChecked());
    EXPECT_FALSE(catchUp->isEnabled());
    EXPECT_FALSE(time->isEnabled());
    schedule->setCurrentIndex(HourlySchedule);
    EXPECT_TRUE(catchUp->isEnabled());
    EXPECT_FALSE(time->isEnabled());
    schedule->setCurrentIndex(DailySchedule);
    EXPECT_TRUE(time->isEnabled());
    EXPECT_FALSE(day->isEnabled());
    schedule->setCurrentIndex(WeeklySchedule);
    EXPECT_TRUE(day->isEnabled());
}

TEST_F(SetPropDlgTest, StoredScheduleIsShownAndTheChosenOneTaken)
{
    BackupSet set = photos();
    set.schedule = WeeklySchedule;
    set.scheduleTime = "06:45";
    set.scheduleDay = 7;
    set.scheduleCatchUp = false;
    open(set);
    EXPECT_EQ(ctl<QComboBox>(ControlId::Schedule)->currentText(), "Every week");
    EXPECT_EQ(ctl<QComboBox>(ControlId::ScheduleDay)->currentText(), "Sunday");
    EXPECT_EQ(ctl<QTimeEdit>(ControlId::ScheduleTime)->time(), QTime(6, 45));
    EXPECT_FALSE(ctl<QCheckBox>(ControlId::ScheduleCatchUp)->isChecked());

    ctl<QComboBox>(ControlId::Schedule)->setCurrentIndex(DailySchedule);
    ctl<QTimeEdit>(ControlId::ScheduleTime)->setTime(QTime(23, 5));
    ctl<QCheckBox>(ControlId::ScheduleCatchUp)->setChecked(true);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_set.schedule, DailySchedule);
    EXPECT_EQ(dialog->m_set.scheduleTime, "23:05");
    EXPECT_EQ(dialog->m_set.scheduleDay, 7) << "the day stays for when the set is weekly again";
    EXPECT_TRUE(dialog->m_set.scheduleCatchUp);

    // What a hand-edited file holds is shown as the timer would take it.
    set.schedule = 9;
    set.scheduleTime = "late";
    set.scheduleDay = 0;
    open(set);
    EXPECT_EQ(ctl<QComboBox>(ControlId::Schedule)->currentIndex(), int(ManualSchedule));
    EXPECT_EQ(ctl<QTimeEdit>(ControlId::ScheduleTime)->time(), QTime(20, 0));
    EXPECT_EQ(ctl<QComboBox>(ControlId::ScheduleDay)->currentIndex(), 0);
}

TEST_F(SetPropDlgTest, EncryptionIsForArchiveSetsAndSaysWhatEachArchiveTypeHides)
{
    open(photos());
    auto* encrypt = ctl<QCheckBox>(ControlId::EncryptArchive);
    auto* note = dialog->findChild<QLabel*>("ctl1093");
    encrypt->setChecked(true);
    EXPECT_TRUE(ctl(ControlId::ArchivePassword)->isEnabled());
    EXPECT_EQ(note->text(), "AES-256; the names of the files are hidden too.");
    ctl<QComboBox>(ControlId::ArchiveType)->setCurrentIndex(1);
    EXPECT_EQ(note->text(), "AES-256 for the files; their names stay visible in a zip archive.");
    EXPECT_FALSE(note->isHidden());

    // A mirror copies files as they are: the box goes off, and the set is stored unencrypted.
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(MirrorCopying);
    EXPECT_FALSE(encrypt->isEnabled());
    EXPECT_FALSE(ctl(ControlId::ArchivePassword)->isEnabled());
    EXPECT_TRUE(note->isHidden());
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->m_set.encrypt);
    EXPECT_TRUE(dialog->m_password.isEmpty());
}

TEST_F(SetPropDlgTest, OkRefusesPasswordsThatDifferHoldALineBreakOrAreMissing)
{
    const auto okWith = [this](const QString& first, const QString& second) {
        ctl(ControlId::ArchivePassword)->setText(first);
        ctl(ControlId::ArchivePasswordAgain)->setText(second);
        dialog->OnOK();
        return dialog->result() == QDialog::Accepted;
    };
    open(photos());
    ctl<QCheckBox>(ControlId::EncryptArchive)->setChecked(true);
    EXPECT_FALSE(okWith("secret", "secreT"));
    EXPECT_FALSE(okWith("two\nlines", "two\nlines"));
    // A set that was not encrypted has no password to keep.
    EXPECT_FALSE(okWith("", ""));
    EXPECT_EQ(messages.messages(),
        QStringList({"The two passwords differ. Type the same password in both fields.",
            "A password may not contain a line break.",
            "No password is known for this set. Type the password for its archives in both fields."}));
    // A zip archive takes no Cyrillic password from 7-Zip; a 7z archive takes any.
    ctl<QComboBox>(ControlId::ArchiveType)->setCurrentIndex(1);
    EXPECT_FALSE(okWith(QStringLiteral("пароль с пробелами"), QStringLiteral("пароль с пробелами")));
    EXPECT_TRUE(messages.messages().constLast().startsWith("7-Zip takes only English letters"));
    ctl<QComboBox>(ControlId::ArchiveType)->setCurrentIndex(0);
    EXPECT_TRUE(okWith(QStringLiteral("пароль с пробелами"), QStringLiteral("пароль с пробелами")));
    EXPECT_TRUE(dialog->m_set.encrypt);
    EXPECT_EQ(dialog->m_password, QStringLiteral("пароль с пробелами"));
}

TEST_F(SetPropDlgTest, EmptyFieldsKeepTheKnownPasswordOfAnEncryptedSet)
{
    BackupSet set = photos();
    set.encrypt = true;
    QList<quint32> asked;
    bool known = false;
    const auto openAndOk = [&] {
        open(set);
        dialog->m_isPasswordKnown = [&](quint32 id) {
            asked.append(id);
            return known;
        };
        EXPECT_EQ(ctl(ControlId::ArchivePassword)->placeholderText(), "unchanged");
        dialog->OnOK();
        return dialog->result() == QDialog::Accepted;
    };
    EXPECT_FALSE(openAndOk()) << "no password in this session nor in the keyring";
    known = true;
    EXPECT_TRUE(openAndOk());
    EXPECT_EQ(asked, QList<quint32>({4, 4}));
    EXPECT_TRUE(dialog->m_set.encrypt);
    EXPECT_TRUE(dialog->m_password.isEmpty());
}

TEST_F(SetPropDlgTest, OffsiteDestinationIsCheckedOnOkAndAMirrorTakesOnlySsh)
{
    BackupSet set = photos();
    set.offsite = "ssh://me@nas/backups";
    open(set);
    auto* offsite = ctl(ControlId::Offsite);
    EXPECT_EQ(offsite->text(), "ssh://me@nas/backups");
    const auto okWith = [&](const QString& text) {
        offsite->setText(text);
        dialog->OnOK();
        return dialog->result() == QDialog::Accepted;
    };
    EXPECT_FALSE(okWith("/mnt/usb"));
    EXPECT_TRUE(messages.messages().constLast().startsWith("'/mnt/usb' names no off-site destination."));
    EXPECT_FALSE(okWith("ssh://-oProxyCommand=x/backups"));
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(MirrorCopying);
    EXPECT_FALSE(okWith("cloud:backups"));
    EXPECT_TRUE(messages.messages().constLast().startsWith("A mirror set goes off site only over ssh"));
    EXPECT_TRUE(okWith("  ssh://me@nas:2222/srv/mirror  "));
    EXPECT_EQ(dialog->m_set.offsite, "ssh://me@nas:2222/srv/mirror");
    // Empty is no off-site copy at all.
    EXPECT_TRUE(okWith(""));
    EXPECT_EQ(dialog->m_set.offsite, "");
}

TEST_F(SetPropDlgTest, TestAnswersUnderTheFieldWithoutBlockingTheDialog)
{
    open(photos());
    auto* answer = dialog->findChild<QLabel*>(QStringLiteral("ctl%1").arg(ControlId::OffsiteAnswer));
    click(ControlId::TestOffsite);
    EXPECT_EQ(answer->text(), "Type an off-site destination to test first.");

    QStringList tried;
    dialog->m_testOffsite = [&tried](const QString& text) {
        tried.append(text);
        return text.contains("nas") ? QString() : QStringLiteral("could not connect");
    };
    ctl(ControlId::Offsite)->setText("ssh://me@nas/backups");
    QSignalSpy tested(dialog.get(), &CSetPropDlg::offsiteTested);
    click(ControlId::TestOffsite);
    EXPECT_FALSE(ctl<QPushButton>(ControlId::TestOffsite)->isEnabled());
    ASSERT_TRUE(tested.wait(10000));
    EXPECT_EQ(answer->text(), "ssh://me@nas/backups can be reached and written.");
    EXPECT_TRUE(ctl<QPushButton>(ControlId::TestOffsite)->isEnabled());

    ctl(ControlId::Offsite)->setText("cloud:backups");
    click(ControlId::TestOffsite);
    ASSERT_TRUE(tested.wait(10000));
    EXPECT_EQ(answer->text(), "could not connect");
    // A text that names no destination never reaches the test.
    ctl(ControlId::Offsite)->setText("backups");
    click(ControlId::TestOffsite);
    EXPECT_TRUE(answer->text().startsWith("'backups' names no off-site destination."));
    EXPECT_EQ(tried, QStringList({"ssh://me@nas/backups", "cloud:backups"}));
}

TEST_F(SetPropDlgTest, OkRefusesAnOffsiteFolderWhereAnotherSetKeepsTheSameNames)
{
    BackupSet other = photos();
    other.id = 9;
    other.name = "Old photos";
    other.offsite = "cloud:backups";
    backupSets.append(other);
    open(photos());
    ctl(ControlId::Offsite)->setText("cloud:backups/");
    dialog->OnOK();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.messages().constLast().startsWith("The set 'Old photos' keeps its copy under the same names"));
    // Another archive name takes other names there.
    ctl(ControlId::ArchiveName)->setText("Photos-2026");
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

namespace {

// A private file holding the line, as velmora-run takes it.
QString privateFile(const TempHome& home, const QString& name, const QByteArray& line)
{
    const QString path = home.filePath(name);
    writeFile(path, line + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

} // namespace

TEST_F(SetPropDlgTest, ThePasswordFileOfScheduledRunsIsCheckedOnOkAsVelmoraRunChecksIt)
{
    BackupSet set = photos();
    set.encrypt = true;
    set.schedule = DailySchedule;
    open(set);
    dialog->m_isPasswordKnown = [](quint32) { return true; };
    auto* file = ctl(ControlId::PasswordFile);
    EXPECT_TRUE(file->isEnabled());

    file->setText("photos.password");
    dialog->OnOK();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(messages.messages().last(), LoadStringById(StringId::PasswordFileNotAbsolute));

    const QString shared = privateFile(home, "shared.password", "pw");
    QFile::setPermissions(shared, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    file->setText(shared);
    dialog->OnOK();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(messages.messages().last(),
        "A scheduled run would refuse this password file and back up nothing:\nThe password file '" + shared
            + "' has permissions for its group (mode 0640); make it private with chmod 600. Nothing was run.");

    // The password typed here and the file's must be one: else the timer's archives would need another.
    file->setText(privateFile(home, "other.password", "other"));
    ctl(ControlId::ArchivePassword)->setText("pw");
    ctl(ControlId::ArchivePasswordAgain)->setText("pw");
    dialog->OnOK();
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(messages.messages().last(), LoadStringById(StringId::PasswordFileHoldsAnother));

    const QString good = privateFile(home, "photos.password", "pw");
    file->setText(good);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_set.passwordFile, good);

    // A set run only by hand gives the file to no timer: it is kept as typed, and not read.
    set.schedule = ManualSchedule;
    set.passwordFile = "not/checked";
    open(set);
    dialog->m_isPasswordKnown = [](quint32) { return true; };
    EXPECT_FALSE(ctl(ControlId::PasswordFile)->isEnabled());
    EXPECT_EQ(ctl(ControlId::PasswordFile)->text(), "not/checked");
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_set.passwordFile, "not/checked");
}

TEST_F(SetPropDlgTest, BeforeOkThePropertiesSayWhatAnotherPasswordOrEncryptionDoesToTheArchivesMadeSoFar)
{
    const QString history = "/backups/Photos.history";
    const auto openWithChain = [&](const BackupSet& set, const QString& folder) {
        dialog = std::make_unique<CSetPropDlg>();
        dialog->m_set = set;
        dialog->m_oldChainFolder = [folder](const BackupSet&) { return folder; };
        dialog->OnInitDialog();
    };
    const auto note = [&] { return dialog->findChild<QLabel*>("ctl1140"); };
    BackupSet encrypted = photos();
    encrypted.encrypt = true;
    openWithChain(encrypted, history);
    EXPECT_TRUE(note()->isHidden());
    ctl(ControlId::ArchivePassword)->setText("new");
    EXPECT_FALSE(note()->isHidden());
    EXPECT_EQ(note()->text(), LoadStringById(StringId::NewChainNotePassword).arg(history));
    EXPECT_TRUE(note()->text().contains("restorable with the old password. Nothing is deleted."));
    ctl(ControlId::ArchivePassword)->clear();
    EXPECT_TRUE(note()->isHidden()) << "the fields left empty keep the password";
    ctl<QCheckBox>(ControlId::EncryptArchive)->setChecked(false);
    EXPECT_EQ(note()->text(), LoadStringById(StringId::NewChainNoteEncryptOff).arg(history));
    EXPECT_FALSE(note()->isHidden());
    // A mirror set makes no chain.
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(MirrorCopying);
    EXPECT_TRUE(note()->isHidden());

    openWithChain(photos(), history);
    ctl<QCheckBox>(ControlId::EncryptArchive)->setChecked(true);
    EXPECT_EQ(note()->text(), LoadStringById(StringId::NewChainNoteEncryptOn).arg(history));
    EXPECT_FALSE(note()->isHidden());

    // A set that made no archive yet has nothing to keep.
    openWithChain(photos(), QString());
    ctl<QCheckBox>(ControlId::EncryptArchive)->setChecked(true);
    EXPECT_TRUE(note()->isHidden());
}

// The note on the old chain and the password file's row fit their places in both languages, with a long
// destination; with VELMORA_SHOTS_DIR set, each state is saved there as a picture to be looked at.
TEST_F(SetPropDlgTest, TheNewChainNoteAndThePasswordFileFitTheirPlacesInBothLanguages)
{
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    const QString passwordFile = privateFile(home, "photos.password", "pw");
    for (const int language : {0, 1}) {
        ASSERT_TRUE(language == 0 || ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
        for (const int note :
            {StringId::NewChainNotePassword, StringId::NewChainNoteEncryptOn, StringId::NewChainNoteEncryptOff}) {
            BackupSet set = photos();
            set.target = "/media/me/Backup disk 2026/Photos and videos of the family";
            set.encrypt = note != StringId::NewChainNoteEncryptOn;
            set.schedule = WeeklySchedule;
            set.passwordFile = passwordFile;
            dialog = std::make_unique<CSetPropDlg>();
            dialog->m_set = set;
            dialog->m_oldChainFolder = [](const BackupSet& of) { return of.target + "/" + of.arcName + ".history"; };
            dialog->show();
            if (note == StringId::NewChainNotePassword)
                ctl(ControlId::ArchivePassword)->setText("new");
            else
                ctl<QCheckBox>(ControlId::EncryptArchive)->setChecked(note == StringId::NewChainNoteEncryptOn);
            QCoreApplication::processEvents();
            auto* shown = dialog->findChild<QLabel*>("ctl1140");
            ASSERT_TRUE(shown->isVisible());
            EXPECT_LE(shown->heightForWidth(shown->width()), shown->height())
                << "language " << language << ": " << shown->text().toStdString();
            auto* label = dialog->findChild<QLabel*>("label1141");
            EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
            if (!shots.isEmpty()) {
                dialog->grab().save(QStringLiteral("%1/properties-note%2-%3.png")
                                        .arg(shots)
                                        .arg(note)
                                        .arg(language == 0 ? "en" : "ru"));
            }
            dialog.reset();
        }
    }
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
    ApplyInterfaceLanguage(0, {});
}

TEST_F(SetPropDlgTest, TheRetentionNumbersShowTheSetsPolicyANewSetTakesTheOptionsAndOkSavesThem)
{
    MutableSettings().newSetKeepHourly = 0;
    MutableSettings().newSetKeepYearly = 5;
    open();
    EXPECT_EQ(RetentionCountsShown(dialog.get()), (RetentionPolicy {10, 0, 14, 8, 12, 5}));

    BackupSet set = photos();
    SetRetentionPolicy(set, {3, 48, 30, 0, 6, 0});
    open(set);
    EXPECT_EQ(RetentionCountsShown(dialog.get()), (RetentionPolicy {3, 48, 30, 0, 6, 0}));
    ctl<QSpinBox>(ControlId::KeepWeekly)->setValue(12);
    ctl<QSpinBox>(ControlId::KeepHourly)->setValue(0);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(RetentionPolicyOf(dialog->m_set), (RetentionPolicy {3, 0, 30, 12, 6, 0}));
}

TEST_F(SetPropDlgTest, TheWordsUnderTheNumbersFollowWhatIsTypedAndTheBackupType)
{
    QList<BackupSet> asked;
    dialog = std::make_unique<CSetPropDlg>();
    dialog->m_set = photos();
    dialog->m_describeRetention = [&asked](const BackupSet& set) {
        asked.append(set);
        return QStringLiteral("daily %1, %2").arg(set.keepDaily).arg(set.backupType);
    };
    dialog->OnInitDialog();
    auto* words = ctl<QLabel>(ControlId::RetentionDescription);
    ASSERT_NE(words, nullptr);
    EXPECT_EQ(words->text(), "daily 14, 0");
    ctl<QSpinBox>(ControlId::KeepDaily)->setValue(3);
    EXPECT_EQ(words->text(), "daily 3, 0");
    ctl<QComboBox>(ControlId::BackupType)->setCurrentIndex(MirrorCopying);
    EXPECT_EQ(words->text(), "daily 3, 2");
    ASSERT_FALSE(asked.isEmpty());
    // Only the words change: the set keeps its policy until OK.
    EXPECT_EQ(dialog->m_set.keepDaily, 14);
}

TEST_F(SetPropDlgTest, ASetFileFromBeforeTheHistoryKeysLoadsTheUsualPolicyWhateverTheOptionsAndSavesIt)
{
    // Other defaults for new sets must not change what an old set keeps.
    MutableSettings().newSetKeepLast = 1;
    MutableSettings().newSetKeepDaily = 0;
    writeSetFile("Old", "nID=7\nname=Old\narcname=old\nsource=/data/old\ntarget=/backups\nBackupType=1\n");
    LoadAllBackupSets();
    BackupSet old;
    ASSERT_TRUE(GetBackupSet(7, old));
    EXPECT_EQ(RetentionPolicyOf(old), (RetentionPolicy {10, 24, 14, 8, 12, 3}));
    EXPECT_TRUE(old.pinned.isEmpty());
    open(old);
    EXPECT_EQ(RetentionCountsShown(dialog.get()), (RetentionPolicy {10, 24, 14, 8, 12, 3}));
    ctl<QSpinBox>(ControlId::KeepMonthly)->setValue(36);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_TRUE(UpdateBackupSet(dialog->m_set));
    const QByteArray file = readFile(setFile("Old"));
    for (const char* line : {"\nKeepLast=10\n", "\nKeepHourly=24\n", "\nKeepDaily=14\n", "\nKeepWeekly=8\n",
             "\nKeepMonthly=36\n", "\nKeepYearly=3\n"})
        EXPECT_TRUE(file.contains(line)) << line << file.toStdString();
}
