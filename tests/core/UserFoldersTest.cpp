#include "UserFolders.h"
#include "TempHome.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(SpecialFolderPath, UsersFoldersBelowHome)
{
    TempHome home;
    EXPECT_EQ(SpecialFolderPath(CSIDL_APPDATA), home.filePath(".config"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_PERSONAL), home.filePath("Documents"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY), home.filePath("Desktop"));
    EXPECT_EQ(SpecialFolderPath(CSIDL_FAVORITES), home.path());
    EXPECT_EQ(SpecialFolderPath(0x23), "");
}

TEST(FirefoxProfileFolder, PathOfTheProfile0Section)
{
    TempHome home;
    const QString classic = home.filePath(".mozilla/firefox");
    const QString flatpak = home.filePath(".var/app/org.mozilla.firefox/.mozilla/firefox");
    EXPECT_EQ(FirefoxProfileFolder(), "");
    writeFile(flatpak + "/profiles.ini", "[Profile0]\nPath=flat\n");
    QDir().mkpath(classic);
    EXPECT_EQ(FirefoxProfileFolder(), flatpak + "/flat");

    const QList<QPair<QByteArray, QString>> cases {
        {"[Profile1]\r\nPath=other\r\n[profile0]\r\npath=lower\r\nPath=Profiles/"
         "abc.default\r\n[Profile2]\r\nPath=x\r\n",
            classic + "/Profiles/abc.default"},
        {"[Profile0]\nPath=first\n[General]\nPath=Второй\n[Profile1]\n", classic + "/Второй"},
        {"[Profile0]\nIsRelative=0\nPath=/srv/me.default\n", "/srv/me.default"},
        {"[General]\nPath=x\n[Profile1]\nPath=y\n", ""},
    };
    for (const auto& [ini, folder] : cases) {
        writeFile(classic + "/profiles.ini", ini);
        EXPECT_EQ(FirefoxProfileFolder(), folder) << ini.constData();
    }
}
