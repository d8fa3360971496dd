#include "StoreFixture.h"

using SettingsTest = StoreFixture;

TEST_F(SettingsTest, FirstStartGivesEveryDefault)
{
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    EXPECT_EQ(defaultArcType, 1);
    EXPECT_EQ(defaultCompLevel, 3);
    EXPECT_EQ(defaultArcLocation, "");
    EXPECT_EQ(pathTo7zExe(), "/usr/bin/7zz");
    EXPECT_EQ(minorUpdatedNumber, 10);
    EXPECT_EQ(langID, 0);
    EXPECT_EQ(roboPathXP, "/usr/bin/rsync");
    EXPECT_EQ(manualOverdueDays, 7);
    EXPECT_EQ(fullArchiveTestDays, 30);
}

TEST_F(SettingsTest, SaveAppendsTheKeysInOrderBelowTheFirstLine)
{
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    defaultArcLocation = "/media/My Disk";
    langID = 1;
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
    langID = 0;
    LoadSettings();
    EXPECT_EQ(langID, 1);
    EXPECT_EQ(defaultArcLocation, "/media/My Disk");
}

TEST_F(SettingsTest, SavingAgainChangesValuesInPlace)
{
    writeFile(home.settingsFile(), "[Velmora Project file]\nLangID=2\nCustom=kept\n");
    LoadSettings();
    EXPECT_EQ(langID, 2);
    minorUpdatedNumber = 4;
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
        EXPECT_EQ(minorUpdatedNumber, 10);
        EXPECT_EQ(langID, 1) << "the other settings are read as they are";
        EXPECT_EQ(TakeSettingsReadAsDefault(),
            QStringList({"The settings file '" + home.settingsFile() + "' holds MinorUpdatedNumber=" + bad
                + ", which is not allowed; 10 is used instead."}));
        EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty()) << "named once";
    }
    for (const auto& [text, value] : {std::pair {"0", 0}, std::pair {" 25 ", 25}, std::pair {"+4", 4}}) {
        writeFile(home.settingsFile(), QByteArray("[Velmora Project file]\nMinorUpdatedNumber=") + text + "\n");
        LoadSettings();
        EXPECT_EQ(minorUpdatedNumber, value) << text;
        EXPECT_TRUE(TakeSettingsReadAsDefault().isEmpty()) << text;
    }
}
