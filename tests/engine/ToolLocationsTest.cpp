#include "ToolLocations.h"
#include "EngineTestSupport.h"
#include "Settings.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class ToolLocationsTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        SetSevenZipCandidates({});
        setPathTo7zExe(kDefaultPathTo7zExe);
    }

    QString firefox(const QString& relative = QStringLiteral(".mozilla/firefox")) const
    {
        return home.filePath(relative);
    }
    void writeProfiles(const QByteArray& body) const { writeFile(firefox() + "/profiles.ini", body); }

    TempHome home;
};

} // namespace

TEST_F(ToolLocationsTest, SpecialFoldersAreTheUsersFoldersBelowHome)
{
    EXPECT_EQ(SpecialFolderPath(CSIDL_APPDATA), home.filePath(".config"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_PERSONAL), home.filePath("Documents"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_MYPICTURES), home.filePath("Pictures"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_MYMUSIC), home.filePath("Music"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY), home.filePath("Desktop"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_FAVORITES), home.path());
    EXPECT_EQ(SpecialFolderPath(0x23), "");
}

TEST_F(ToolLocationsTest, FirefoxFirstProfileIsTheProfile0SectionWhereverItStands)
{
    writeProfiles("[Profile1]\r\nName=work\r\nPath=Profiles/work.other\r\n"
                  "[profile0]\r\nName=default\r\npath=Profiles/lower.case\r\nPath=Profiles/abc.default\r\n"
                  "[Profile2]\r\nPath=Profiles/later\r\n");
    EXPECT_EQ(FirefoxProfileFolder(), firefox() + "/Profiles/abc.default");
}

TEST_F(ToolLocationsTest, FirefoxLaterPathLineBeforeTheNextProfileWins)
{
    writeProfiles("[Profile0]\nPath=Profiles/first\n[General]\nPath=Profiles/Второй\n[Profile1]\nPath=x\n");
    EXPECT_EQ(FirefoxProfileFolder(), firefox() + "/Profiles/Второй");
}

TEST_F(ToolLocationsTest, FirefoxAbsolutePathIsUsedAsItStands)
{
    writeProfiles("[Profile0]\nIsRelative=0\nPath=/srv/profiles/me.default\n");
    EXPECT_EQ(FirefoxProfileFolder(), "/srv/profiles/me.default");
}

TEST_F(ToolLocationsTest, FirefoxWithoutProfile0OrWithoutProfileListGivesNothing)
{
    EXPECT_EQ(FirefoxProfileFolder(), "");
    writeProfiles("[General]\nStartWithLastProfile=1\n[Profile1]\nPath=Profiles/abc\n");
    EXPECT_EQ(FirefoxProfileFolder(), "");
    writeProfiles("[Profile0]\npath=Profiles/abc\n");
    EXPECT_EQ(FirefoxProfileFolder(), "");
}

TEST_F(ToolLocationsTest, FirefoxFolderIsTheFirstCandidateHoldingAProfileList)
{
    const QString snap = firefox("snap/firefox/common/.mozilla/firefox");
    const QString flatpak = firefox(".var/app/org.mozilla.firefox/.mozilla/firefox");
    writeFile(flatpak + "/profiles.ini", "[Profile0]\nPath=flat\n");
    EXPECT_EQ(FirefoxProfileFolder(), flatpak + "/flat");
    writeFile(snap + "/profiles.ini", "[Profile0]\nPath=snapped\n");
    // A Firefox folder without a profile list does not count.
    QDir().mkpath(firefox());
    EXPECT_EQ(FirefoxProfileFolder(), snap + "/snapped");
    writeProfiles("[Profile0]\nPath=classic\n");
    EXPECT_EQ(FirefoxProfileFolder(), firefox() + "/classic");
}

TEST_F(ToolLocationsTest, SevenZipIsLookedForBesideTheProgramFirst)
{
    EXPECT_EQ(SevenZipCandidates(), QStringList({ModuleFolder() + "7zz", "/usr/bin/7zz"}));
}

TEST_F(ToolLocationsTest, FirstExecutableSkipsMissingPlainFilesAndFolders)
{
    const QString beside = home.filePath("bin/7zz");
    const QString plain = home.filePath("plain/7zz");
    const QString folder = home.filePath("folder/7zz");
    const QString fixed = home.filePath("usr/bin/7zz");
    WriteScript(beside, "exit 0\n");
    WriteScript(fixed, "exit 0\n");
    writeFile(plain, "not a program");
    QDir().mkpath(folder);
    EXPECT_EQ(FirstExecutable({beside, fixed}), beside);
    EXPECT_EQ(FirstExecutable({home.filePath("none/7zz"), plain, folder, fixed}), fixed);
    EXPECT_EQ(FirstExecutable({plain, folder}), "");
}

TEST_F(ToolLocationsTest, Locate7ZipReplacesTheStoredPathWithWhatItFinds)
{
    const QString fake = home.filePath("bin/7zz");
    WriteScript(fake, "exit 0\n");
    setPathTo7zExe("/opt/old/7zz");
    SetSevenZipCandidates({fake, "/usr/bin/7zz"});
    EXPECT_TRUE(Locate7Zip());
    EXPECT_EQ(pathTo7zExe(), fake);

    // Gone: the setting is emptied, not left at a path that worked once.
    SetSevenZipCandidates({home.filePath("none/7zz")});
    EXPECT_FALSE(Locate7Zip());
    EXPECT_EQ(pathTo7zExe(), "");

    SetSevenZipCandidates({});
    EXPECT_TRUE(Locate7Zip());
    EXPECT_EQ(pathTo7zExe(), FirstExecutable({ModuleFolder() + "7zz", "/usr/bin/7zz"}));
}

TEST_F(ToolLocationsTest, RsyncIsWhereTheSettingSaysEvenWhenMissing)
{
    const QString saved = roboPathXP;
    roboPathXP = "/nowhere/rsync";
    EXPECT_EQ(RobocopyPath(), "/nowhere/rsync");
    roboPathXP = saved;
}
