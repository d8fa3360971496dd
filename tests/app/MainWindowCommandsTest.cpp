#include "MainWindowCommands.h"
#include "COptionsDlg.h"
#include "CSetPropDlg.h"
#include "DialogTestSupport.h"
#include "ResourceIds.h"
#include "RestorePoints.h"
#include "RetentionFields.h"
#include "ScheduleUpdates.h"
#include "Schedules.h"
#include "ToolTestSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>

class MainWindowCommandsTest : public DialogFixture
{
protected:
    // A command that changed a set brings the timers in line on a thread of its own; it must end before this
    // test's home folder goes, or it writes into a removed folder while the next test (or the exit) runs.
    void TearDown() override
    {
        WaitForScheduleUpdates();
        DialogFixture::TearDown();
    }
};

namespace {

void type(QDialog& dialog, int id, const QString& text)
{
    dialog.findChild<QLineEdit*>(QStringLiteral("ctl%1").arg(id))->setText(text);
}

} // namespace

TEST_F(MainWindowCommandsTest, NewAndPropertiesStoreTheConfirmedSetInTheCollectionAndInItsFile)
{
    MutableSettings().newSetDestination = "/mnt/backup";
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) { dialog.reject(); });
    EXPECT_FALSE(NewSetCommand(nullptr));
    EXPECT_TRUE(backupSets.isEmpty());

    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        type(dialog, ControlId::SetName, "Old Name");
        type(dialog, ControlId::ArchiveName, "home");
        type(dialog, ControlId::Source, "/home/me");
        dialog.OnOK();
    });
    EXPECT_TRUE(NewSetCommand(nullptr));
    ASSERT_EQ(backupSets.size(), 1);
    EXPECT_EQ(backupSets.first().target, "/mnt/backup");
    EXPECT_TRUE(readFile(setFile("Old Name")).contains("source=/home/me"));
    EXPECT_FALSE(g_profileStore->useSetFile) << "the settings file is selected again";

    const quint32 id = backupSets.first().id;
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        type(dialog, ControlId::SetName, "New Name");
        dialog.OnOK();
    });
    EXPECT_TRUE(PropertiesCommand(nullptr, id));
    ASSERT_EQ(backupSets.size(), 1);
    EXPECT_EQ(backupSets.first().name, "New Name");
    EXPECT_TRUE(QFileInfo::exists(setFile("New Name")));
    EXPECT_FALSE(QFileInfo::exists(setFile("Old Name")));
    EXPECT_FALSE(PropertiesCommand(nullptr, id + 1)) << "no set, no dialog";
}

TEST_F(MainWindowCommandsTest, OptionsStoresTheSettingsAndTheRsyncLocationOnlyWhenAFileIsThere)
{
    const QString rsync = home.filePath("bin/rsync");
    writeFile(rsync, "#!/bin/sh\n");
    QFile::setPermissions(rsync, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A location the dialog refuses is cleared, which keeps the stored one.
    const auto answerWith = [](const QString& roboPath) {
        whenModal<COptionsDlg>([roboPath](COptionsDlg& dialog) {
            type(dialog, ControlId::CopiesToKeep, "3");
            type(dialog, ControlId::DefaultLocation, "/new/default");
            type(dialog, ControlId::RsyncLocation, roboPath);
            dialog.OnOK();
            if (dialog.result() != QDialog::Accepted) {
                type(dialog, ControlId::RsyncLocation, "");
                dialog.OnOK();
            }
        });
    };
    answerWith(home.filePath("bin"));
    EXPECT_TRUE(OptionsCommand(nullptr));
    EXPECT_EQ(Settings().chainLength, 3);
    EXPECT_EQ(Settings().newSetDestination, "/new/default");
    EXPECT_EQ(Settings().rsyncPath, kDefaultRoboPathXP) << "a folder is no rsync";
    answerWith(rsync);
    EXPECT_TRUE(OptionsCommand(nullptr));
    EXPECT_EQ(Settings().rsyncPath, rsync);
    whenModal<COptionsDlg>([](COptionsDlg& dialog) { dialog.reject(); });
    EXPECT_FALSE(OptionsCommand(nullptr));
}

TEST_F(MainWindowCommandsTest, UseForAllSetsChangesTheDestinationsOnlyOnOkAndTheOldArchivesStayRestorable)
{
    // A real archive of Docs in its old destination.
    const QString oldPlace = home.filePath("old");
    makeTree(home.filePath("src"), {{"a.txt", "alpha"}});
    QDir().mkpath(oldPlace);
    QProcess sevenZip;
    sevenZip.setWorkingDirectory(home.filePath("src"));
    sevenZip.start("/usr/bin/7zz", {"a", "-t7z", oldPlace + "/docs.7z", "a.txt"});
    ASSERT_TRUE(sevenZip.waitForFinished(60000));
    ASSERT_EQ(sevenZip.exitCode(), 0);
    const QString newPlace = home.filePath("media/backup");
    QDir().mkpath(newPlace);
    for (const char* name : {"Docs", "Music"}) {
        BackupSet set;
        set.name = name;
        set.arcName = QString(name).toLower();
        set.source = home.filePath("src");
        set.target = oldPlace;
        set.destinationDisk = "uuid:1234";
        SaveBackupSet(AddBackupSet(set));
    }
    const auto useForAllSets = [newPlace](bool ok) {
        whenModal<COptionsDlg>([newPlace, ok](COptionsDlg& dialog) {
            type(dialog, ControlId::DefaultLocation, newPlace);
            dialog.findChild<QPushButton*>(QStringLiteral("ctl%1").arg(ControlId::UpdateAllLocations))->click();
            if (ok)
                dialog.OnOK();
            else
                dialog.reject();
        });
    };

    // Agreed to, then cancelled: every set and its file stay as they were.
    messages.setNextAnswer(true);
    useForAllSets(false);
    EXPECT_FALSE(OptionsCommand(nullptr));
    ASSERT_EQ(messages.questions().size(), 1);
    EXPECT_TRUE(messages.questions().first().startsWith("Set the destination of all 2 sets to '" + newPlace + "'?"));
    LoadAllBackupSets();
    for (const BackupSet& set : std::as_const(backupSets))
        EXPECT_EQ(set.target, oldPlace) << set.name.toStdString();

    messages.setNextAnswer(true);
    useForAllSets(true);
    EXPECT_TRUE(OptionsCommand(nullptr));
    EXPECT_EQ(Settings().newSetDestination, newPlace);
    LoadAllBackupSets();
    ASSERT_EQ(backupSets.size(), 2);
    for (const BackupSet& set : std::as_const(backupSets)) {
        EXPECT_EQ(set.target, newPlace) << set.name.toStdString();
        EXPECT_TRUE(set.destinationDisk.isEmpty()) << "the next good run records the new disk";
    }
    // The archive made so far is where it was, and Restore from a Folder still lists its point.
    QString error;
    const QList<RestorePoint> points = RestorePointsOfArchive(oldPlace + "/docs.7z", &error);
    ASSERT_EQ(points.size(), 1) << error.toStdString();
    EXPECT_EQ(points.first().fileCount, 1);
}

TEST_F(MainWindowCommandsTest, ScheduledSetGetsItsTimerAndLosesItWhenMadeManual)
{
    QStringList calls;
    QMutex callsMutex;
    SetSystemctl([&](const QStringList& arguments) {
        QMutexLocker lock(&callsMutex);
        calls.append(arguments.join(' '));
        SystemctlReply reply;
        reply.started = true;
        reply.exitCode = 0;
        reply.output = arguments.value(0) == "is-system-running" ? "running" : "";
        return reply;
    });
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        type(dialog, ControlId::SetName, "Nightly");
        type(dialog, ControlId::ArchiveName, "home");
        type(dialog, ControlId::Source, "/home/me");
        type(dialog, ControlId::Destination, "/mnt/backup");
        dialog.findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ControlId::Schedule))->setCurrentIndex(DailySchedule);
        dialog.OnOK();
    });
    ASSERT_TRUE(NewSetCommand(nullptr));
    WaitForScheduleUpdates();
    const QString timer = home.filePath(".config/systemd/user/velmora-set-1.timer");
    EXPECT_TRUE(readFile(timer).contains("OnCalendar=*-*-* 20:00:00"));
    EXPECT_TRUE(calls.contains("enable --now velmora-set-1.timer velmora-check.timer"))
        << calls.join(" | ").toStdString();

    calls.clear();
    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        dialog.findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ControlId::Schedule))->setCurrentIndex(ManualSchedule);
        dialog.OnOK();
    });
    ASSERT_TRUE(PropertiesCommand(nullptr, 1));
    WaitForScheduleUpdates();
    SetSystemctl([](const QStringList&) { return SystemctlReply(); });
    EXPECT_FALSE(QFileInfo::exists(timer));
    EXPECT_TRUE(calls.contains("disable --now velmora-set-1.timer")) << calls.join(" | ").toStdString();
}

TEST_F(MainWindowCommandsTest, WithoutSystemdTheCrontabLineIsShownOnce)
{
    for (const QString& name : {QStringLiteral("First"), QStringLiteral("Second")}) {
        whenModal<CSetPropDlg>([&name](CSetPropDlg& dialog) {
            type(dialog, ControlId::SetName, name);
            type(dialog, ControlId::ArchiveName, "home");
            type(dialog, ControlId::Source, "/home/me");
            type(dialog, ControlId::Destination, "/mnt/backup");
            dialog.findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ControlId::Schedule))
                ->setCurrentIndex(HourlySchedule);
            dialog.OnOK();
        });
        ASSERT_TRUE(NewSetCommand(nullptr));
        WaitForScheduleUpdates();
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(messages.messages().size(), 1) << messages.messages().join(" | ").toStdString();
    EXPECT_TRUE(messages.messages().first().startsWith("There is no systemd user instance here"));
    EXPECT_TRUE(messages.messages().first().endsWith("\n0 * * * * '" + VelmoraRunPath() + "' -- 'First'"));
}

TEST_F(MainWindowCommandsTest, PropertiesSayInWordsWhatThePolicyKeepsForPointsOrForAMirrorsVersions)
{
    const quint32 id = storeSet("Docs");
    QStringList said;
    whenModal<CSetPropDlg>([&said](CSetPropDlg& dialog) {
        auto* words = dialog.findChild<QLabel*>(QStringLiteral("ctl%1").arg(ControlId::RetentionDescription));
        said.append(words->text());
        ShowRetentionCounts(&dialog, {0, 0, 14, 0, 0, 0});
        said.append(words->text());
        dialog.findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ControlId::BackupType))
            ->setCurrentIndex(MirrorCopying);
        said.append(words->text());
        ShowRetentionCounts(&dialog, {0, 0, 0, 0, 0, 0});
        said.append(words->text());
        dialog.findChild<QComboBox*>(QStringLiteral("ctl%1").arg(ControlId::BackupType))
            ->setCurrentIndex(FullArchiving);
        said.append(words->text());
        ShowRetentionCounts(&dialog, {1, 0, 0, 0, 0, 2});
        said.append(words->text());
        dialog.OnOK();
    });
    EXPECT_TRUE(PropertiesCommand(nullptr, id));
    EXPECT_EQ(said,
        QStringList({
            "Keeps restore points, roughly: the last 10, one an hour for 24 h, one a day for 14 d, one a week for 8 "
            "wk, "
            "one a month for 12 mo and one a year for 3 yr.",
            "Keeps restore points, roughly: one a day for 14 d.",
            "Keeps the versions of files that runs replaced or deleted, roughly: one a day for 14 d.",
            "Every rule is off: only the versions the last run replaced are kept.",
            "Every rule is off: only the newest restore point is kept.",
            "Keeps restore points, roughly: the last 1 and one a year for 2 yr.",
        }));
    const QByteArray file = readFile(setFile("Docs"));
    EXPECT_TRUE(
        file.contains("\nKeepLast=1\n") && file.contains("\nKeepDaily=0\n") && file.contains("\nKeepYearly=2\n"))
        << file.toStdString();
}

TEST_F(MainWindowCommandsTest, TheOptionsRetentionDefaultsAndTestDaysReachTheSettingsAndTheNextNewSetOnlyOnOk)
{
    whenModal<COptionsDlg>([](COptionsDlg& dialog) {
        ShowRetentionCounts(&dialog, {2, 0, 7, 4, 0, 9});
        dialog.reject();
    });
    EXPECT_FALSE(OptionsCommand(nullptr));
    EXPECT_EQ(Settings().newSetKeepLast, 10);
    whenModal<COptionsDlg>([](COptionsDlg& dialog) {
        ShowRetentionCounts(&dialog, {2, 0, 7, 4, 0, 9});
        dialog.findChild<QSpinBox*>(QStringLiteral("ctl%1").arg(ControlId::FullArchiveTestDays))->setValue(5);
        dialog.OnOK();
    });
    EXPECT_TRUE(OptionsCommand(nullptr));
    EXPECT_EQ((RetentionPolicy {Settings().newSetKeepLast, Settings().newSetKeepHourly, Settings().newSetKeepDaily,
                  Settings().newSetKeepWeekly, Settings().newSetKeepMonthly, Settings().newSetKeepYearly}),
        (RetentionPolicy {2, 0, 7, 4, 0, 9}));
    EXPECT_EQ(Settings().fullArchiveRetestDays, 5);
    ASSERT_TRUE(SaveSettings());
    EXPECT_TRUE(readFile(SettingsFilePath()).contains("\nDefaultKeepYearly=9\n"));
    EXPECT_TRUE(readFile(SettingsFilePath()).contains("\nFullArchiveTestDays=5\n"));
    MutableSettings().fullArchiveRetestDays = 30;

    whenModal<CSetPropDlg>([](CSetPropDlg& dialog) {
        EXPECT_EQ(RetentionCountsShown(&dialog), (RetentionPolicy {2, 0, 7, 4, 0, 9}));
        type(dialog, ControlId::SetName, "Fresh");
        type(dialog, ControlId::ArchiveName, "fresh");
        type(dialog, ControlId::Source, "/home/me");
        type(dialog, ControlId::Destination, "/backups");
        dialog.OnOK();
    });
    EXPECT_TRUE(NewSetCommand(nullptr));
    EXPECT_TRUE(readFile(setFile("Fresh")).contains("\nKeepWeekly=4\n"));
}

TEST_F(MainWindowCommandsTest, PropertiesKeepThePointsPinnedInTheSetFileWhileTheyWereOpen)
{
    const quint32 id = storeSet("Docs");
    const QString file = setFile("Docs");
    ASSERT_TRUE(readFile(file).contains("\nPinned=\n"));
    whenModal<CSetPropDlg>([file](CSetPropDlg& dialog) {
        // velmora-run --pin, or the restore dialog, while the properties are open.
        writeFile(file, readFile(file).replace("\nPinned=\n", "\nPinned=2026-01-05_10h00m00s\n"));
        type(dialog, ControlId::SetName, "Documents");
        dialog.OnOK();
    });
    EXPECT_TRUE(PropertiesCommand(nullptr, id));
    EXPECT_TRUE(readFile(setFile("Documents")).contains("\nPinned=2026-01-05_10h00m00s\n"))
        << readFile(setFile("Documents")).toStdString();
    BackupSet stored;
    ASSERT_TRUE(GetBackupSet(id, stored));
    EXPECT_EQ(stored.pinned, QStringList({"2026-01-05_10h00m00s"}));
}
