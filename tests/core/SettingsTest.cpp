#include "StoreFixture.h"

#include <QDateTime>
#include <QFileInfo>

using SettingsTest = StoreFixture;

TEST_F(SettingsTest, FirstStartGivesEveryDefault)
{
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    EXPECT_EQ(Settings().newSetArchiveType, 1);
    EXPECT_EQ(Settings().newSetCompressionLevel, 3);
    EXPECT_EQ(Settings().newSetDestination, "");
    EXPECT_EQ(Settings().sevenZipPath.value(), "/usr/bin/7zz");
    EXPECT_EQ(Settings().chainLength, 10);
    EXPECT_EQ(Settings().languageId, 0);
    EXPECT_EQ(Settings().rsyncPath, "/usr/bin/rsync");
    EXPECT_EQ(Settings().manualOverdueDays, 7);
    EXPECT_EQ(Settings().fullArchiveRetestDays, 30);
}

TEST_F(SettingsTest, SaveAppendsTheKeysInOrderBelowTheFirstLine)
{
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    MutableSettings().newSetDestination = "/media/My Disk";
    MutableSettings().languageId = 1;
    SaveSettings();
    EXPECT_EQ(readFile(home.settingsFile()),
        "PathTo7zExe=/usr/bin/7zz\n"
        "[Velmora Project file]\n"
        "DefaultArcType=1\n"
        "DefaultCompLevel=3\n"
        "DefaultArcLocation=/media/My Disk\n"
        "PathTo7zExe=/usr/bin/7zz\n"
        "MinorUpdatedNumber=10\n"
        "LangID=1\n"
        "RoboPathXP=/usr/bin/rsync\n"
        "ManualOverdueDays=7\n"
        "DefaultKeepLast=10\n"
        "DefaultKeepHourly=24\n"
        "DefaultKeepDaily=14\n"
        "DefaultKeepWeekly=8\n"
        "DefaultKeepMonthly=12\n"
        "DefaultKeepYearly=3\n"
        "FullArchiveTestDays=30\n");
    MutableSettings().languageId = 0;
    LoadSettings();
    EXPECT_EQ(Settings().languageId, 1);
    EXPECT_EQ(Settings().newSetDestination, "/media/My Disk");
}

TEST_F(SettingsTest, SavingAgainChangesValuesInPlace)
{
    writeFile(home.settingsFile(), "[Velmora Project file]\nLangID=2\nCustom=kept\n");
    LoadSettings();
    EXPECT_EQ(Settings().languageId, 2);
    MutableSettings().chainLength = 4;
    SaveSettings();
    const QByteArray saved = readFile(home.settingsFile());
    EXPECT_TRUE(saved.startsWith("[Velmora Project file]\nLangID=2\nCustom=kept\nDefaultArcType=1\n")) << saved.data();
    EXPECT_TRUE(saved.contains("\nMinorUpdatedNumber=4\n"));
}

TEST_F(SettingsTest, ACountOfUpdateArchivesBelowZeroOrNoNumberReadsAsTheDefaultAndIsNamedOnce)
{
    // A negative count made every incremental run a new full archive, without a word.
    for (const char* bad : {"-3", "abc", "", "7days"}) {
        SCOPED_TRACE(bad);
        writeFile(
            home.settingsFile(), QByteArray("[Velmora Project file]\nMinorUpdatedNumber=") + bad + "\nLangID=1\n");
        LoadSettings();
        EXPECT_EQ(Settings().chainLength, 10);
        EXPECT_EQ(Settings().languageId, 1) << "the other settings are read as they are";
        EXPECT_EQ(TakeSettingsReadAsDefault(),
            QStringList({"The settings file '" + home.settingsFile() + "' holds MinorUpdatedNumber=" + bad
                + ", which is not allowed; 10 is used instead."}));
        EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty()) << "named once";
    }
    for (const auto& [text, value] : {std::pair {"0", 0}, std::pair {" 25 ", 25}, std::pair {"+4", 4}}) {
        writeFile(home.settingsFile(), QByteArray("[Velmora Project file]\nMinorUpdatedNumber=") + text + "\n");
        LoadSettings();
        EXPECT_EQ(Settings().chainLength, value) << text;
        EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty()) << text;
    }
}

TEST_F(SettingsTest, AFileWrittenByEarlierVersionsLoadsEveryKeyAndIsLeftAsItWas)
{
    // Every key with a value none of the defaults has, as a user's options would have left it.
    const QByteArray earlier = "[Velmora Project file]\n"
                               "DefaultArcType=2\n"
                               "DefaultCompLevel=5\n"
                               "DefaultArcLocation=/media/Backup Disk\n"
                               "PathTo7zExe=/opt/7zip/7zz\n"
                               "MinorUpdatedNumber=4\n"
                               "LangID=1\n"
                               "RoboPathXP=/opt/rsync/bin/rsync\n"
                               "ManualOverdueDays=3\n"
                               "DefaultKeepLast=1\n"
                               "DefaultKeepHourly=2\n"
                               "DefaultKeepDaily=3\n"
                               "DefaultKeepWeekly=4\n"
                               "DefaultKeepMonthly=5\n"
                               "DefaultKeepYearly=6\n"
                               "FullArchiveTestDays=0\n";
    writeFile(home.settingsFile(), earlier);
    LoadSettings();
    const ProgramSettings& settings = Settings();
    EXPECT_EQ(settings.newSetArchiveType, 2);
    EXPECT_EQ(settings.newSetCompressionLevel, 5);
    EXPECT_EQ(settings.newSetDestination, "/media/Backup Disk");
    EXPECT_EQ(settings.sevenZipPath.value(), "/opt/7zip/7zz");
    EXPECT_EQ(settings.chainLength, 4);
    EXPECT_EQ(settings.languageId, 1);
    EXPECT_EQ(settings.rsyncPath, "/opt/rsync/bin/rsync");
    EXPECT_EQ(settings.manualOverdueDays, 3);
    EXPECT_EQ(settings.newSetKeepLast, 1);
    EXPECT_EQ(settings.newSetKeepHourly, 2);
    EXPECT_EQ(settings.newSetKeepDaily, 3);
    EXPECT_EQ(settings.newSetKeepWeekly, 4);
    EXPECT_EQ(settings.newSetKeepMonthly, 5);
    EXPECT_EQ(settings.newSetKeepYearly, 6);
    EXPECT_EQ(settings.fullArchiveRetestDays, 0);
    EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty());

    // Saved back under the same keys, so the file an earlier version wrote is not touched.
    const QDateTime written = QFileInfo(home.settingsFile()).lastModified();
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(readFile(home.settingsFile()), earlier);
    EXPECT_EQ(QFileInfo(home.settingsFile()).lastModified(), written);

    // A copy of the settings keeps the 7-Zip location, and a later change to the one does not reach the other.
    ProgramSettings copy = settings;
    MutableSettings().sevenZipPath.setValue(QStringLiteral("/usr/bin/7zz"));
    EXPECT_EQ(copy.sevenZipPath.value(), "/opt/7zip/7zz");
    copy = Settings();
    EXPECT_EQ(copy.sevenZipPath.value(), "/usr/bin/7zz");
}
