#include "COptionsDlg.h"
#include "DialogTestSupport.h"
#include "InterfaceLanguage.h"
#include "ResourceIds.h"
#include "RetentionFields.h"
#include "Settings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTranslator>

class OptionsDlgTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        MutableSettings().newSetDestination = "/old";
    }
    void open()
    {
        dialog = std::make_unique<COptionsDlg>();
        dialog->OnInitDialog();
    }
    QLineEdit* edit(int id) const { return dialog->findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id)); }
    void click(int id) const { dialog->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id))->click(); }
    QString storedTarget(const QString& name) const
    {
        const IniFileRead read = g_profileStore->ReadSetFile(name);
        return read.document ? read.document->value(g_profileStore->sectionName(), "target").value_or("?") : "?";
    }

    std::unique_ptr<COptionsDlg> dialog;
};

TEST_F(OptionsDlgTest, ShowsTheStoredRsyncLocationEditableAndChoosesProgramsForIt)
{
    MutableSettings().rsyncPath = "/opt/rsync/bin/rsync";
    open();
    EXPECT_EQ(edit(ControlId::RsyncLocation)->text(), "/opt/rsync/bin/rsync");
    EXPECT_TRUE(edit(ControlId::RsyncLocation)->isEnabled());
    EXPECT_TRUE(dialog->findChild<QPushButton*>("ctl1015")->isEnabled());
    chooser.answers = {"/usr/local/bin/rsync", ""};
    click(ControlId::BrowseRsyncLocation);
    click(ControlId::BrowseRsyncLocation);
    EXPECT_EQ(edit(ControlId::RsyncLocation)->text(), "/usr/local/bin/rsync") << "a cancelled chooser changes nothing";
    EXPECT_EQ(chooser.filters, QStringList(2, "Programs (*)"));
}

TEST_F(OptionsDlgTest, UseForAllSetsRefusesALocationNoSetCouldBackUpToAndSaysWhy)
{
    storeSet("Docs", "/old/docs");
    open();
    dialog->show();
    const QString missing = home.filePath("unplugged/disk");
    const QList<std::pair<QString, QString>> refused = {
        {"", "The default backup location is empty, so no set could back up there. Please choose a folder first."},
        {"backups",
            "The default backup location 'backups' is not a full path (one starting with '/'). Please choose a "
            "folder."},
        {missing,
            "The default backup location '" + missing
                + "' is not a folder that exists now (is its disk plugged in?). Please choose a folder that is there."},
    };
    for (const auto& [location, reason] : refused) {
        SCOPED_TRACE(location.toStdString());
        edit(ControlId::DefaultLocation)->setText(location);
        click(ControlId::UpdateAllLocations);
        ASSERT_FALSE(messages.messages().isEmpty());
        EXPECT_EQ(messages.messages().last(), reason);
        EXPECT_EQ(dialog->focusWidget(), edit(ControlId::DefaultLocation));
    }
    EXPECT_TRUE(messages.questions().isEmpty()) << "nothing to ask about";
    dialog->OnOK();
    EXPECT_TRUE(dialog->everyDestination().isEmpty());
    EXPECT_EQ(storedTarget("Docs"), "/old/docs");
}

TEST_F(OptionsDlgTest, UseForAllSetsNamesTheFolderTheCountAndWhereTheArchivesStayAndOnlyProposes)
{
    const QString place = home.filePath("media/backup");
    QDir().mkpath(place);
    const quint32 docs = storeSet("Docs", "/old/docs");
    const quint32 music = storeSet("Music", "/old/music");
    storeSet("Photos", place);
    open();
    edit(ControlId::DefaultLocation)->setText(" " + place + "/ ");
    click(ControlId::UpdateAllLocations);
    const QString question = "Set the destination of all 3 sets to '" + place
        + "'?\n\nThese sets then back up there; the archives they made so far stay where they are, and Restore from a "
          "Folder still reaches them:\n    Docs: /old/docs\n    Music: /old/music\n\nNothing changes until you "
          "close Options with OK.";
    EXPECT_EQ(messages.questions(), QStringList({question}));
    EXPECT_TRUE(dialog->everyDestination().isEmpty()) << "answered Cancel";

    messages.setNextAnswer(true);
    click(ControlId::UpdateAllLocations);
    EXPECT_EQ(dialog->everyDestination(), place);
    // The dialog only proposes: the sets and their files change when the window takes an OK.
    EXPECT_EQ(storedTarget("Docs"), "/old/docs");
    EXPECT_EQ(FindBackupSet(docs)->target, "/old/docs");
    dialog->reject();
    EXPECT_EQ(Settings().newSetDestination, "/old");

    // With every set there already, and with one set, the question says so.
    open();
    DeleteBackupSet(docs);
    DeleteBackupSet(music);
    edit(ControlId::DefaultLocation)->setText(place);
    click(ControlId::UpdateAllLocations);
    EXPECT_EQ(messages.messages().last(), "Every set already backs up to '" + place + "'.");
    edit(ControlId::DefaultLocation)->setText(home.path());
    click(ControlId::UpdateAllLocations);
    EXPECT_TRUE(
        messages.questions().last().startsWith("Set the destination of the only set to '" + home.path() + "'?"));
}

TEST_F(OptionsDlgTest, CopiesThatAreNoWholeNumberAreRefusedAndNothingIsStored)
{
    open();
    dialog->show();
    edit(ControlId::DefaultLocation)->setText("/new");
    for (const char* text : {"abc", "1.5", "", "3x", "99999999999"}) {
        SCOPED_TRACE(text);
        edit(ControlId::CopiesToKeep)->setText(text);
        dialog->OnOK();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(messages.messages().last(), "Please enter an integer.");
        EXPECT_EQ(dialog->focusWidget(), edit(ControlId::CopiesToKeep));
        EXPECT_EQ(Settings().newSetDestination, "/old");
    }
    // A negative count would make every incremental run a full archive.
    for (const char* text : {"-5", "-0000001"}) {
        edit(ControlId::CopiesToKeep)->setText(text);
        dialog->OnOK();
        EXPECT_TRUE(dialog->isVisible()) << text;
        EXPECT_EQ(messages.messages().last(),
            "Incremental copies to keep must be 0 or more (0: every run makes a new full archive).");
        EXPECT_EQ(dialog->focusWidget(), edit(ControlId::CopiesToKeep));
    }
    for (const auto& [text, value] : {std::pair {"0", 0}, std::pair {"-0", 0}, std::pair {" +12 ", 12}}) {
        edit(ControlId::CopiesToKeep)->setText(text);
        dialog->OnOK();
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << text;
        EXPECT_EQ(dialog->m_copiesToKeep, value);
    }
    EXPECT_EQ(Settings().newSetDestination, "/new");
    EXPECT_EQ(messages.messages().size(), 7);
}

TEST_F(OptionsDlgTest, ATypedRsyncLocationThatIsNoProgramIsRefusedByName)
{
    const QString rsync = home.filePath("bin/rsync");
    const QString notes = home.filePath("bin/notes.txt");
    writeFile(rsync, "#!/bin/sh\n");
    writeFile(notes, "text\n");
    QFile::setPermissions(rsync, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    open();
    dialog->show();
    edit(ControlId::DefaultLocation)->setText("/new");
    for (const QString& path : {home.filePath("bin/missing"), home.filePath("bin"), notes, QStringLiteral("rsync")}) {
        SCOPED_TRACE(path.toStdString());
        edit(ControlId::RsyncLocation)->setText(path);
        dialog->OnOK();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(messages.messages().last(),
            "The rsync location '" + path
                + "' does not exist or is not a program that can be run. Please choose the rsync program.");
        EXPECT_EQ(dialog->focusWidget(), edit(ControlId::RsyncLocation));
        EXPECT_EQ(Settings().newSetDestination, "/old");
    }
    edit(ControlId::RsyncLocation)->setText(rsync);
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_roboPath, rsync);
    EXPECT_EQ(messages.messages().size(), 4);
}

TEST_F(OptionsDlgTest, TheStoredRsyncLocationAndAnEmptyFieldPassSoOtherOptionsCanChange)
{
    // A machine whose rsync has gone still takes a new compression level.
    MutableSettings().rsyncPath = home.filePath("gone/rsync");
    open();
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    open();
    edit(ControlId::RsyncLocation)->clear();
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(OptionsDlgTest, LocationPickerOpensAtTheTypedLocationAndBrowseButtonsHaveTips)
{
    open();
    edit(ControlId::DefaultLocation)->setText(home.filePath("Backups/weekly"));
    click(ControlId::BrowseDefaultLocation);
    edit(ControlId::DefaultLocation)->setText(home.path() + "/");
    click(ControlId::BrowseDefaultLocation);
    EXPECT_EQ(picker.startFolders, QStringList(2, home.path()));
    for (int id : {ControlId::BrowseDefaultLocation, ControlId::BrowseRsyncLocation})
        EXPECT_FALSE(dialog->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id))->toolTip().isEmpty()) << id;
}

TEST_F(OptionsDlgTest, TheDayCountsShowTheirSettingsAndTakeWhatIsSet)
{
    MutableSettings().manualOverdueDays = 9;
    MutableSettings().fullArchiveRetestDays = 12;
    open();
    struct Case
    {
        int control;
        int shown;
        qint32 COptionsDlg::*taken;
    };
    const Case cases[] = {
        {ControlId::ManualOverdueDays, 9, &COptionsDlg::m_manualOverdueDays},
        {ControlId::FullArchiveTestDays, 12, &COptionsDlg::m_fullArchiveTestDays},
    };
    for (const Case& c : cases) {
        auto* days = dialog->findChild<QSpinBox*>(QStringLiteral("ctl%1").arg(c.control));
        ASSERT_NE(days, nullptr) << c.control;
        EXPECT_EQ(days->value(), c.shown) << c.control;
        EXPECT_FALSE(days->toolTip().isEmpty()) << c.control;
        // Zero turns the warning off, or tests before every run, so it must be reachable; no negative days.
        days->setValue(-3);
        EXPECT_EQ(days->value(), 0) << c.control;
        days->setValue(30 + c.shown);
    }
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (const Case& c : cases)
        EXPECT_EQ(dialog.get()->*c.taken, 30 + c.shown) << c.control;
    // The dialog only proposes: the settings change when the window takes the dialog's answer.
    EXPECT_EQ(Settings().manualOverdueDays, 9);
    EXPECT_EQ(Settings().fullArchiveRetestDays, 12);
    MutableSettings().fullArchiveRetestDays = 30;
}

// The row of the full archive's test days fits in both languages; with VELMORA_SHOTS_DIR set, the dialog is saved
// there as a picture to be looked at.
TEST_F(OptionsDlgTest, TheTestDaysRowFitsInBothLanguages)
{
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    for (const int language : {0, 1}) {
        ASSERT_TRUE(language == 0 || ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
        open();
        dialog->show();
        QCoreApplication::processEvents();
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("label%1").arg(ControlId::FullArchiveTestDays));
        ASSERT_NE(label, nullptr);
        EXPECT_NE(label->text().contains("full archive"), language == 1) << label->text().toStdString();
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
        auto* box = dialog->findChild<QSpinBox*>(QStringLiteral("ctl%1").arg(ControlId::FullArchiveTestDays));
        EXPECT_LE(label->geometry().right(), box->geometry().left()) << language;
        if (!shots.isEmpty())
            dialog->grab().save(QStringLiteral("%1/options-%2.png").arg(shots, language == 0 ? "en" : "ru"));
        dialog.reset();
    }
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
    ApplyInterfaceLanguage(0, {});
}

TEST_F(OptionsDlgTest, TheRetentionDefaultsShowTheSettingsTakeWhatIsSetAndANewSetStartsWithThem)
{
    MutableSettings().newSetKeepDaily = 30;
    MutableSettings().newSetKeepYearly = 0;
    open();
    EXPECT_EQ(RetentionCountsShown(dialog.get()), (RetentionPolicy {10, 24, 30, 8, 12, 0}));
    auto* weekly = dialog->findChild<QSpinBox*>(QStringLiteral("ctl%1").arg(ControlId::KeepWeekly));
    ASSERT_NE(weekly, nullptr);
    // 0 turns a rule off; a negative count means nothing.
    weekly->setValue(-4);
    EXPECT_EQ(weekly->value(), 0);
    ShowRetentionCounts(dialog.get(), {5, 0, 7, 0, 24, 10});
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->m_retention, (RetentionPolicy {5, 0, 7, 0, 24, 10}));
    // The dialog only proposes: the settings change when the window takes its answer.
    EXPECT_EQ(Settings().newSetKeepDaily, 30);
    EXPECT_EQ(RetentionPolicyOf(BackupSet()), (RetentionPolicy {10, 24, 30, 8, 12, 0}));
}

TEST_F(OptionsDlgTest, TheRetentionDefaultsGoThroughTheSettingsFileAndANegativeOneReadsAsTheDefault)
{
    MutableSettings().newSetKeepLast = 3;
    MutableSettings().newSetKeepMonthly = 0;
    ASSERT_TRUE(SaveSettings());
    const QByteArray saved = readFile(SettingsFilePath());
    EXPECT_TRUE(saved.contains("\nDefaultKeepLast=3\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("\nDefaultKeepMonthly=0\n")) << saved.toStdString();
    MutableSettings().newSetKeepLast = MutableSettings().newSetKeepMonthly = 99;
    LoadSettings();
    EXPECT_EQ(Settings().newSetKeepLast, 3);
    EXPECT_EQ(Settings().newSetKeepMonthly, 0);
    EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty());

    QByteArray edited = saved;
    edited.replace("\nDefaultKeepLast=3\n", "\nDefaultKeepLast=-1\n")
        .replace("\nDefaultKeepDaily=14\n", "\nDefaultKeepDaily=lots\n");
    writeFile(SettingsFilePath(), edited);
    LoadSettings();
    EXPECT_EQ(Settings().newSetKeepLast, 10);
    EXPECT_EQ(Settings().newSetKeepDaily, 14);
    EXPECT_EQ(Settings().newSetKeepMonthly, 0);
    const QStringList named = TakeSettingsReadAsDefault();
    ASSERT_EQ(named.size(), 2);
    EXPECT_TRUE(named[0].contains("DefaultKeepLast=-1")) << named[0].toStdString();
    EXPECT_TRUE(named[1].contains("DefaultKeepDaily=lots")) << named[1].toStdString();

    // A settings file from before the keys gives every new set the usual policy.
    writeFile(SettingsFilePath(), saved.left(saved.indexOf('\n') + 1) + "DefaultArcType=0\n");
    LoadSettings();
    EXPECT_EQ(RetentionPolicyOf(BackupSet()), (RetentionPolicy {10, 24, 14, 8, 12, 3}));
    EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty());
}

TEST_F(OptionsDlgTest, ChoosingTheRsyncProgramLeavesTheOverdueDaysAsTyped)
{
    MutableSettings().manualOverdueDays = 7;
    open();
    auto* days = dialog->findChild<QSpinBox*>(QStringLiteral("ctl%1").arg(ControlId::ManualOverdueDays));
    days->setValue(21);
    chooser.answers = {"/usr/local/bin/rsync"};
    click(ControlId::BrowseRsyncLocation);
    EXPECT_EQ(days->value(), 21);
}
