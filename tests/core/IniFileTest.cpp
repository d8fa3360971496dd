#include "IniFile.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("Velmora Project file");

} // namespace

TEST(IniDocument, NamesMatchWithoutCaseAndValuesLoseSurroundingBlanks)
{
    const IniDocument doc = IniDocument::fromBytes("[velmora PROJECT file]\r\n  Name  =  my set  \r\nempty=\r\n");
    EXPECT_EQ(doc.value(kSection, "NAME"), "my set");
    EXPECT_EQ(doc.value(kSection, "empty"), "");
    EXPECT_EQ(doc.value(kSection, "missing"), std::nullopt);
    EXPECT_EQ(doc.value("Other", "name"), std::nullopt);
}

TEST(IniDocument, ReadsOnlyInsideTheSection)
{
    const IniDocument doc
        = IniDocument::fromBytes("PathTo7zExe=outside\n[A]\nkey=a\n[Velmora Project file]\nx=1\n[B]\nkey=b\n");
    EXPECT_EQ(doc.value(kSection, "PathTo7zExe"), std::nullopt);
    EXPECT_EQ(doc.value(kSection, "key"), std::nullopt);
    EXPECT_EQ(doc.value("b", "key"), "b");
}

TEST(IniDocument, WritesReplaceInPlaceOrAppendAtTheEndOfTheSection)
{
    IniDocument doc = IniDocument::fromBytes("first line\n[A]\nk1=1\n\n[B]\nk=2\n; note\n");
    ASSERT_TRUE(doc.setValue("a", "K1", "changed"));
    ASSERT_TRUE(doc.setValue("A", "k2", "new"));
    ASSERT_TRUE(doc.setValue("C", "k", "3"));
    EXPECT_EQ(doc.toBytes(), "first line\n[A]\nK1=changed\nk2=new\n\n[B]\nk=2\n; note\n[C]\nk=3\n");
}

TEST(IniDocument, ASectionReadWholeGivesWhatEachKeyReadAloneGives)
{
    // The first line of a key and the first section of a name count; names match as letters fold, the
    // Kelvin sign as a k; a line without '=' and a line in another section are no keys of the section.
    const QByteArray bytes = "\xEF\xBB\xBFtop=outside\r\n[velmora project FILE]\r\n  Name  =  first  \r\nNAME=second\n"
                             "\xE2\x84\xAA"
                             "eepLast=7\nno equals sign\n=empty name\nпуть = /дом \nlast=\n"
                             "[Other]\nname=other\n[Velmora Project file]\nlater=ignored\n";
    const IniDocument doc = IniDocument::fromBytes(bytes);
    const IniSectionValues values = doc.sectionValues(kSection);
    for (const char* key : {"name", " NAME ", "keeplast", "KEEPLAST", "ПУТЬ", "last", "top", "later", "other",
             "no equals sign", "", "missing"})
        EXPECT_EQ(values.value(QString::fromUtf8(key)), doc.value(kSection, QString::fromUtf8(key))) << key;
    EXPECT_EQ(values.value(QStringLiteral("name")), "first");
    EXPECT_EQ(values.value(QStringLiteral("keeplast")), "7");
    EXPECT_EQ(values.value(QStringLiteral("путь")), "/дом");
    EXPECT_EQ(values.value(QStringLiteral("later")), std::nullopt);
    EXPECT_EQ(doc.sectionValues("Missing").value(QStringLiteral("name")), std::nullopt);
    // Reading changes nothing of the bytes.
    EXPECT_EQ(doc.toBytes(), bytes.endsWith('\n') ? bytes : bytes + '\n');
}

TEST(IniDocument, ValuesAreReadWholeWhateverTheirLength)
{
    IniDocument doc;
    const QString longValue = QString(400, QLatin1Char('x')) + QStringLiteral("/Ünïcødé");
    ASSERT_TRUE(doc.setValue(kSection, "source", longValue));
    EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).value(kSection, "source"), longValue);
}

TEST(IniDocument, RefusesWhatWouldAddLinesToTheFile)
{
    IniDocument doc = IniDocument::fromBytes("[Velmora Project file]\nname=a\n");
    EXPECT_FALSE(doc.setValue(kSection, "name", "a\nnID=5"));
    EXPECT_FALSE(doc.setValue(kSection, "name", "a\rb"));
    EXPECT_FALSE(doc.setValue(kSection, "a=b", "x"));
    EXPECT_FALSE(doc.setValue(kSection, "[x]", "x"));
    EXPECT_EQ(doc.toBytes(), "[Velmora Project file]\nname=a\n");
}

TEST(IniDocument, KeepsAByteOrderMarkAndAcceptsAMissingFinalLineEnd)
{
    IniDocument doc = IniDocument::fromBytes("\xEF\xBB\xBF[Velmora Project file]\nname=a");
    EXPECT_EQ(doc.value(kSection, "name"), "a");
    doc.setValue(kSection, "name", "b");
    EXPECT_EQ(doc.toBytes(), "\xEF\xBB\xBF[Velmora Project file]\nname=b\n");
}

TEST(IniDocument, LinesThatAreNotRewrittenKeepTheirBytes)
{
    // Found by fuzzing: a line of byte order marks or of carriage returns lost one on every rewrite, and
    // invalid UTF-8 was replaced.
    const QByteArray input = "crlf\r\ncrs\r\r\nP[\xEF\xBB\xBF\n\xEF\xBB\xBF\xEF\xBB\xBF\n\xff\x05 latin-1 "
                             "\xe9\n[Velmora Project file]\nname=a\n";
    IniDocument doc = IniDocument::fromBytes(input);
    EXPECT_EQ(doc.toBytes(), input);
    ASSERT_TRUE(doc.setValue(kSection, "name", "b"));
    QByteArray expected = input;
    expected.replace("name=a", "name=b");
    EXPECT_EQ(doc.toBytes(), expected);
}

TEST(IniFileReplace, LeavesTheOldFileWhenTheNewOneCannotBeWritten)
{
    TempHome home;
    const QString folder = home.filePath("locked");
    QDir().mkpath(folder);
    const QString path = folder + "/Velmora.ini";
    ASSERT_TRUE(IniFile::replaceFileAtomically(path, "old\n"));
    ASSERT_TRUE(IniFile::replaceFileAtomically(path, "new\n"));
    EXPECT_EQ(readFile(path), "new\n");
    // The folder refuses new files: the replacement fails and the old content stays whole.
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const bool writable = QFile(folder + "/probe").open(QIODevice::WriteOnly);
    if (!writable) {
        EXPECT_FALSE(IniFile::replaceFileAtomically(path, "newer\n"));
        EXPECT_EQ(readFile(path), "new\n");
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), writable ? 2 : 1);
}

TEST(IniFileReplace, KeepsTheUsersPermissionsAndFollowsALink)
{
    TempHome home;
    const QString path = home.filePath("Velmora.ini");
    const QByteArray encoded = QFile::encodeName(path);
    const mode_t oldMask = ::umask(027);
    ASSERT_TRUE(IniFile::replaceFileAtomically(path, "new\n"));
    struct stat info;
    ASSERT_EQ(::stat(encoded.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    ::chmod(encoded.constData(), 0600);
    ASSERT_TRUE(IniFile::replaceFileAtomically(path, "private\n"));
    ASSERT_EQ(::stat(encoded.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // Another user's file does not pass its bits on to a file that is now this user's.
    if (::geteuid() == 0) {
        ::chmod(encoded.constData(), 0604);
        ASSERT_EQ(::chown(encoded.constData(), 12345, 12345), 0);
        ASSERT_TRUE(IniFile::replaceFileAtomically(path, "mine\n"));
        ASSERT_EQ(::stat(encoded.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        EXPECT_EQ(info.st_uid, 0u);
    }
    ::umask(oldMask);

    const QString link = home.filePath("link.ini");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(IniFile::replaceFileAtomically(link, "through the link\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(path), "through the link\n");
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
        QStringList({"Velmora.ini", "link.ini"}));

    // Where links are refused, one in the file's place, dangling or not, is left alone and nothing is written.
    bool linkFound = false;
    EXPECT_FALSE(IniFile::replaceFileAtomically(link, "planted\n", IniFile::LinkAtPath::Refuse, &linkFound));
    EXPECT_TRUE(linkFound);
    EXPECT_EQ(readFile(path), "through the link\n");
    const QString dangling = home.filePath("dangling");
    ASSERT_TRUE(QFile::link(home.filePath("not there"), dangling));
    EXPECT_FALSE(IniFile::replaceFileAtomically(dangling, "planted\n", IniFile::LinkAtPath::Refuse));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("not there")));
    EXPECT_TRUE(IniFile::replaceFileAtomically(path, "plain\n", IniFile::LinkAtPath::Refuse, &linkFound));
    EXPECT_FALSE(linkFound);
    EXPECT_EQ(readFile(path), "plain\n");
}
