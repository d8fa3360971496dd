#include "StoreFixture.h"

#include <QFileInfo>
#include <QRandomGenerator>

using DamagedSetFilesTest = StoreFixture;

TEST_F(DamagedSetFilesTest, NoDamagedFileCrashesTheLoadOrLosesItsSet)
{
    QByteArray garbage(64 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : garbage)
        byte = char(generator.bounded(256));
    QByteArray huge = "[Velmora Project file]\nnID=5\nname=huge\nsource=/data\n";
    huge += QByteArray(50 * 1024 * 1024, 'x');
    huge += "\ntarget=/backup\n";

    writeFile(setFile("garbage"), garbage);
    writeFile(setFile("huge"), huge);
    writeFile(setFile("latin1"), "[Velmora Project file]\nnID=2\nname=latin1\nsource=/data/caf\xe9\n");
    writeFile(setFile("header only"), "[Velmora Project file]");
    writeFile(setFile("renamed by hand"), "[Velmora Project file]\nnID=3\nname=old name\n");
    writeFile(setFile("empty"), "");

    LoadAllBackupSets();
    QStringList names;
    for (const BackupSet& set : backupSets)
        names.append(set.name);
    names.sort();
    EXPECT_EQ(names, QStringList({"empty", "garbage", "header only", "huge", "latin1", "renamed by hand"}));
    auto byName = [](const QString& name) {
        return *std::find_if(
            backupSets.begin(), backupSets.end(), [&](const BackupSet& set) { return set.name == name; });
    };
    EXPECT_EQ(byName("huge").target, "/backup");
    EXPECT_EQ(byName("latin1").source, QString::fromUtf8("/data/caf\xef\xbf\xbd"));

    // Saving keeps one file per set, each under its own name, and nothing else appears.
    SaveAllBackupSets();
    QStringList files = QDir(home.setFolder()).entryList(QDir::Files);
    files.sort();
    EXPECT_EQ(files,
        QStringList({"empty.ini", "garbage.ini", "header only.ini", "huge.ini", "latin1.ini", "renamed by hand.ini"}));
    LoadAllBackupSets();
    EXPECT_EQ(backupSets.size(), 6);
}
