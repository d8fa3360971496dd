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
    MutableSettings().sevenZipPath.setValue("/opt/old/7zz");
    EXPECT_TRUE(Locate7Zip());
    EXPECT_EQ(Settings().sevenZipPath.value(), home.filePath("fixed/7zz"));
    SetSevenZipCandidates({home.filePath("none/7zz")});
    EXPECT_FALSE(Locate7Zip());
    EXPECT_EQ(Settings().sevenZipPath.value(), "");
    SetSevenZipCandidates({});
    EXPECT_EQ(SevenZipCandidates(), QStringList({ModuleFolder() + "7zz", "/usr/bin/7zz", "/usr/bin/7z"}));
}

// Debian 13's 7zip package brings 7z but no 7zz; p7zip's 7z, an older program, must never be taken for it.
TEST(Locate7Zip, A7zIsTakenOnlyWhenItIsSevenZipItself)
{
    TempHome home;
    writeScript(home.filePath("p7zip/7z"),
        "echo; echo '7-Zip [64] 16.02 : Copyright (c) 1999-2016 Igor Pavlov : 2016-05-21'; "
        "echo 'p7zip Version 16.02 (locale=C.UTF-8,Utf16=on,HugeFiles=on,64 bits,2 CPUs)'");
    writeScript(home.filePath("other/7z"), "echo 'usage: 7z [anything]'");
    writeScript(home.filePath("real/7z"),
        "echo; echo '7-Zip 25.01 (x64) : Copyright (c) 1999-2025 Igor Pavlov : 2025-08-03'; exit 0");
    SetSevenZipCandidates({home.filePath("p7zip/7z"), home.filePath("other/7z"), home.filePath("real/7z")});
    EXPECT_TRUE(Locate7Zip());
    EXPECT_EQ(Settings().sevenZipPath.value(), home.filePath("real/7z"));

    SetSevenZipCandidates({home.filePath("p7zip/7z"), home.filePath("other/7z")});
    EXPECT_FALSE(Locate7Zip());
    EXPECT_EQ(FirstSevenZip({home.filePath("p7zip/7z")}), "");
    SetSevenZipCandidates({});
}
