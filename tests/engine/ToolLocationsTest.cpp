#include "ToolLocations.h"
#include "EngineTestSupport.h"
#include "Settings.h"
#include "TempHome.h"
#include "UserFolders.h"

#include <gtest/gtest.h>

TEST(Locate7Zip, FirstExecutableCandidateReplacesTheStoredPath)
{
    TempHome home;
    writeScript(home.filePath("beside/7zz"), "");
    writeScript(home.filePath("fixed/7zz"), "");
    writeFile(home.filePath("plain/7zz"), "");
    QDir().mkpath(home.filePath("folder/7zz"));
    SetSevenZipCandidates({home.filePath("plain/7zz"), home.filePath("folder/7zz"), home.filePath("fixed/7zz"),
        home.filePath("beside/7zz")});
    setPathTo7zExe("/opt/old/7zz");
    EXPECT_TRUE(Locate7Zip());
    EXPECT_EQ(pathTo7zExe(), home.filePath("fixed/7zz"));
    SetSevenZipCandidates({home.filePath("none/7zz")});
    EXPECT_FALSE(Locate7Zip());
    EXPECT_EQ(pathTo7zExe(), "");
    SetSevenZipCandidates({});
    EXPECT_EQ(SevenZipCandidates(), QStringList({ModuleFolder() + "7zz", "/usr/bin/7zz"}));
}
