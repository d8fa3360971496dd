#include "StoreFixture.h"

#include <QDir>
#include <QFileInfo>

using ProfileStoreTest = StoreFixture;

TEST_F(ProfileStoreTest, FirstStartCreatesTheSettingsFileWithItsOneLine)
{
    g_profileStore->EnsureSettingsFile();
    EXPECT_EQ(readFile(home.settingsFile()), "PathTo7zExe=/usr/bin/7zz\n");
    // The line stands before any section, so reading the key still gives the default.
    EXPECT_EQ(g_profileStore->ReadProfileString("PathTo7zExe", "default"), "default");
    writeFile(home.settingsFile(), "[Velmora Project file]\nLangID=1\n");
    g_profileStore->EnsureSettingsFile();
    EXPECT_EQ(readFile(home.settingsFile()), "[Velmora Project file]\nLangID=1\n");
}

TEST_F(ProfileStoreTest, SetFilesLiveInTheDocumentsFolderNeverBesideTheSettings)
{
    g_profileStore->SelectSetFile("X");
    ASSERT_TRUE(g_profileStore->WriteProfileString("name", "X"));
    g_profileStore->SelectSettingsFile();
    EXPECT_TRUE(QFileInfo::exists(home.setFolder() + "/X.ini"));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(".config/Quorvane/Velmora/X.ini")));
    EXPECT_EQ(readFile(home.setFolder() + "/X.ini"), "[Velmora Project file]\nname=X\n");
}

TEST_F(ProfileStoreTest, IntegersReadTheWayAtoiDoes)
{
    writeFile(
        home.settingsFile(), "[Velmora Project file]\na=12abc\nb=abc\nc= -7\nd=+3\ne=99999999999\nf=-99999999999\n");
    EXPECT_EQ(g_profileStore->ReadProfileInt("a", 5), 12);
    EXPECT_EQ(g_profileStore->ReadProfileInt("b", 5), 0);
    EXPECT_EQ(g_profileStore->ReadProfileInt("c", 5), -7);
    EXPECT_EQ(g_profileStore->ReadProfileInt("d", 5), 3);
    EXPECT_EQ(g_profileStore->ReadProfileInt("e", 5), std::numeric_limits<qint32>::max());
    EXPECT_EQ(g_profileStore->ReadProfileInt("f", 5), std::numeric_limits<qint32>::min());
    EXPECT_EQ(g_profileStore->ReadProfileInt("missing", 5), 5);
}

TEST_F(ProfileStoreTest, MissingFileOrKeyGivesTheDefault)
{
    g_profileStore->SelectSetFile("nothing here");
    EXPECT_EQ(g_profileStore->ReadProfileString("name", "dflt"), "dflt");
    EXPECT_EQ(g_profileStore->ReadProfileInt("nID", 4), 4);
}

TEST_F(ProfileStoreTest, NamesThatAreNoFileNamesNeitherReadWriteNorDelete)
{
    writeFile(home.filePath("Documents/Quorvane/outside.ini"), "[Velmora Project file]\nname=outside\n");
    for (const QString& name :
        {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../outside"), QStringLiteral("a/b")}) {
        g_profileStore->SelectSetFile(name);
        EXPECT_EQ(g_profileStore->ReadProfileString("name", "dflt"), "dflt") << name.toStdString();
        EXPECT_FALSE(g_profileStore->WriteProfileString("name", "evil")) << name.toStdString();
        EXPECT_FALSE(g_profileStore->DeleteSetFile(name)) << name.toStdString();
    }
    EXPECT_EQ(readFile(home.filePath("Documents/Quorvane/outside.ini")), "[Velmora Project file]\nname=outside\n");
    EXPECT_FALSE(QFileInfo::exists(home.filePath("Documents/Quorvane/Velmora.ini")));
}

TEST_F(ProfileStoreTest, ListSetNamesRemovesOnlyTheFinalSuffix)
{
    QStringList names;
    EXPECT_EQ(g_profileStore->ListSetNames(names), 0);
    for (const char* file : {"a.ini.ini", "my.initial.ini", "plain.ini", ".hidden.ini", "NOTE.INI", "readme.txt"})
        writeFile(home.setFolder() + "/" + file, "");
    QDir(home.setFolder()).mkdir("folder.ini");
    EXPECT_EQ(g_profileStore->ListSetNames(names), 4);
    names.sort();
    EXPECT_EQ(names, QStringList({".hidden", "a.ini", "my.initial", "plain"}));
}

TEST_F(ProfileStoreTest, DeleteSetFileRemovesOnlyThatSet)
{
    writeFile(setFile("a"), "x");
    writeFile(setFile("b"), "x");
    EXPECT_TRUE(g_profileStore->DeleteSetFile("a"));
    EXPECT_FALSE(g_profileStore->DeleteSetFile("a"));
    EXPECT_FALSE(QFileInfo::exists(setFile("a")));
    EXPECT_TRUE(QFileInfo::exists(setFile("b")));
}
