#include "StoreFixture.h"
#include "StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <fcntl.h>
#include <sys/stat.h>

class SetCollectionTest : public StoreFixture
{
protected:
    BackupSet makeSet(const QString& name, quint32 id = 0)
    {
        BackupSet set;
        set.id = id;
        set.name = name;
        set.arcName = name.toLower();
        set.source = "/data/" + name;
        set.target = "/backup";
        return set;
    }
    quint32 addAndSave(const BackupSet& set)
    {
        const quint32 id = AddBackupSet(set);
        EXPECT_TRUE(SaveBackupSet(id));
        return id;
    }
};

TEST_F(SetCollectionTest, EmptyFolderGivesEmptyCollectionAndFirstIdOne)
{
    LoadAllBackupSets();
    EXPECT_TRUE(backupSets.isEmpty());
    EXPECT_EQ(NewBackupSetId(), 1u);
    backupSets = {makeSet("a", 3), makeSet("b", 7)};
    EXPECT_EQ(NewBackupSetId(), 8u);
}

TEST_F(SetCollectionTest, WrittenFileHoldsEveryKeyInOrder)
{
    BackupSet set = makeSet("Docs");
    set.exTypeList = {"*.tmp", "*.bak"};
    set.exPathList = {"cache/"};
    set.solid = true;
    const quint32 id = addAndSave(set);
    EXPECT_EQ(readFile(setFile("Docs")),
        "[Velmora Project file]\nnID=1\nname=Docs\narcname=docs\nsource=/data/Docs\ntarget=/backup\n"
        "exTypeList=*.bak;*.tmp\nexPathList=cache/\nArcType=0\nCompLevel=3\nSolid=1\nBackupType=0\n"
        "lastrun=0\nLastResult=\nLastResultTime=\nLastResultSeconds=0\nLastResultBytes=-1\n"
        "LastResultWarnings=0\nLastResultReason=\nDestinationDisk=\nLastResultVerifySeconds=-1\nVerifyArchive=1\n"
        "LastVerified=\nSchedule=0\nScheduleTime=20:00\nScheduleDay=1\nScheduleCatchUp=1\nEncrypt=0\n"
        "PasswordChanged=0\n"
        "Offsite=\n"
        "LastOffsiteResult=\n"
        "LastOffsiteReason=\n"
        "PasswordFile=\n"
        "KeepLast=10\nKeepHourly=24\nKeepDaily=14\nKeepWeekly=8\nKeepMonthly=12\nKeepYearly=3\nPinned=\n"
        "ChainRuns=\n"
        "FullArchiveTested=\n");
    // Sorting happened on a copy: the collection keeps the order it had.
    EXPECT_EQ(FindBackupSet(id)->exTypeList, QStringList({"*.tmp", "*.bak"}));
}

TEST_F(SetCollectionTest, HandWrittenEdgeValuesLoadAsStored)
{
    const QString longSource = "/data/" + QString(400, QLatin1Char('d'));
    writeSetFile("edge", "nID=4\nname=edge\nSolid=5\nexTypeList=b;a\nsource=" + longSource.toUtf8() + "\n");
    writeSetFile("Дневной", "nID=9\nname=Дневной\ntarget=/mnt/копии\nVerifyArchive=0\n");
    LoadAllBackupSets();
    ASSERT_EQ(backupSets.size(), 2);
    const BackupSet* edge = FindBackupSet(4);
    ASSERT_NE(edge, nullptr);
    EXPECT_TRUE(edge->solid);
    // A file from before the choice tests its archives; the choice turned off stays off.
    EXPECT_TRUE(edge->verifyArchive);
    EXPECT_EQ(edge->lastResultVerifySeconds, -1);
    EXPECT_FALSE(FindBackupSet(9)->verifyArchive);
    EXPECT_EQ(edge->compLevel, 2);
    EXPECT_EQ(edge->exTypeList, QStringList({"b", "a"}));
    EXPECT_EQ(edge->source, longSource);
    EXPECT_EQ(edge->lastRun, "");
    EXPECT_EQ(edge->target, "");
    const BackupSet* cyrillic = FindBackupSet(9);
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_EQ(cyrillic->name, "Дневной");
    EXPECT_EQ(cyrillic->target, "/mnt/копии");

    // Once the set changes, its file is written in the form a save gives.
    FindBackupSet(4)->target = "/backup";
    SaveAllBackupSets();
    const QByteArray saved = readFile(setFile("edge"));
    EXPECT_TRUE(saved.contains("\nexTypeList=a;b\n"));
    EXPECT_TRUE(saved.contains("\nSolid=1\n"));
    EXPECT_TRUE(saved.contains("\nsource=" + longSource.toUtf8() + "\n"));
    EXPECT_EQ(FindBackupSet(4)->exTypeList, QStringList({"b", "a"}));
}

TEST_F(SetCollectionTest, EverySetGetsADistinctId)
{
    writeSetFile("a", "nID=2\nname=a\n");
    writeSetFile("b", "nID=2\nname=b\n");
    writeSetFile("c", "name=c\n");
    LoadAllBackupSets();
    ASSERT_EQ(backupSets.size(), 3);
    QList<quint32> ids;
    for (const BackupSet& set : backupSets)
        ids.append(set.id);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 0);
    // With distinct ids, saving everything keeps every file.
    SaveAllBackupSets();
    LoadAllBackupSets();
    EXPECT_EQ(backupSets.size(), 3);
}

TEST_F(SetCollectionTest, SavingAChangedSetWritesItsFileWholeWithoutStaleKeys)
{
    writeSetFile("a", "nID=1\nname=a\nobsolete=yes\n");
    LoadAllBackupSets();
    FindBackupSet(1)->source = "/changed";
    SaveAllBackupSets();
    const QByteArray saved = readFile(setFile("a"));
    EXPECT_FALSE(saved.contains("obsolete"));
    EXPECT_TRUE(saved.startsWith("[Velmora Project file]\nnID=1\nname=a\n"));
    EXPECT_TRUE(saved.contains("\nsource=/changed\n") && saved.endsWith("\nFullArchiveTested=\n")) << saved.data();
}

// A version of a file as the close could leave it: its bytes and the time and inode a write would change.
struct FileVersion
{
    QByteArray bytes;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    bool operator==(const FileVersion&) const = default;
};

FileVersion versionOf(const QString& path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return {readFile(path), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, quint64(info.st_ino)};
}

// Puts the file's time in the past, so that a write at once after it cannot keep the same time.
void ageFile(const QString& path)
{
    const struct timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST_F(SetCollectionTest, ClosingWithNothingChangedWritesNoFileWhileAnEditedSetIsWritten)
{
    // Files from before the newer keys, one with a key no longer used, one as a save writes it, and one a
    // user edits.
    writeSetFile("Old", "nID=1\nname=Old\nsource=/data/old\nCompLevel=5\nexTypeList=b;a\nSolid=7\n");
    writeSetFile("Stale", "nID=2\nname=Stale\nobsolete=yes\n");
    writeFile(setFile("Saved"),
        IniDocument::withSection(g_profileStore->sectionName(), BackupSetFileValues(makeSet("Saved", 3))).toBytes());
    writeSetFile("Edited", "nID=4\nname=Edited\nsource=/data/before\n");
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    const QStringList files
        = {setFile("Old"), setFile("Stale"), setFile("Saved"), setFile("Edited"), home.settingsFile()};
    for (const QString& path : files)
        ageFile(path);
    QMap<QString, FileVersion> before;
    for (const QString& path : files)
        before.insert(path, versionOf(path));

    LoadSettings();
    LoadAllBackupSets();
    const BackupSet old = *FindBackupSet(1);
    const BackupSet saved = *FindBackupSet(3);
    BackupSet edited;
    ASSERT_TRUE(GetBackupSet(4, edited));
    edited.source = "/data/after";
    ASSERT_TRUE(UpdateBackupSet(edited));
    ageFile(setFile("Edited"));
    before.insert(setFile("Edited"), versionOf(setFile("Edited")));
    // Changed in the record only, as a run's results change it, and written by the close.
    FindBackupSet(2)->lastRun = "2026-12-07";
    before.remove(setFile("Stale"));

    EXPECT_TRUE(SaveSetsAndSettings());
    EXPECT_TRUE(messages.messages().isEmpty());
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_EQ(versionOf(it.key()), it.value()) << it.key().toStdString();
    const QByteArray stale = readFile(setFile("Stale"));
    EXPECT_TRUE(stale.contains("\nlastrun=2026-12-07\n") && !stale.contains("obsolete")) << stale.data();

    // The files left as they were read as the same sets again: a missing key still gives its default.
    LoadAllBackupSets();
    ASSERT_EQ(backupSets.size(), 4);
    EXPECT_EQ(*FindBackupSet(1), old);
    EXPECT_EQ(*FindBackupSet(3), saved);
    EXPECT_EQ(FindBackupSet(1)->compLevel, 5);
    EXPECT_TRUE(FindBackupSet(1)->verifyArchive);
    EXPECT_EQ(FindBackupSet(1)->keepLast, 10);
    EXPECT_EQ(FindBackupSet(4)->source, "/data/after");
    EXPECT_EQ(FindBackupSet(2)->lastRun, "2026-12-07");
}

TEST_F(SetCollectionTest, AnIdGivenAtLoadIsTheOnlyKeyTheCloseWritesIntoAnUnchangedFile)
{
    // The logs, the timer and the keyring entry of a set go by its id: a file without one, or with one
    // another file holds, must keep the id it was given, but nothing else of it changes.
    writeSetFile("a", "nID=2\nname=a\nsource=/data/a\n");
    writeSetFile("b", "name=b\nnID=2\nsource=/data/b\n\n");
    writeSetFile("c", "name=c\nsource=/data/c\n");
    LoadAllBackupSets();
    QMap<QString, quint32> ids;
    for (const BackupSet& set : std::as_const(backupSets))
        ids.insert(set.name, set.id);
    ASSERT_EQ(ids.value("a"), 2u);
    ageFile(setFile("a"));
    const FileVersion a = versionOf(setFile("a"));

    EXPECT_TRUE(SaveSetsAndSettings());
    EXPECT_EQ(versionOf(setFile("a")), a);
    EXPECT_EQ(readFile(setFile("b")),
        "[Velmora Project file]\nname=b\nnID=" + QByteArray::number(ids.value("b")) + "\nsource=/data/b\n\n");
    EXPECT_EQ(readFile(setFile("c")),
        "[Velmora Project file]\nname=c\nsource=/data/c\nnID=" + QByteArray::number(ids.value("c")) + "\n");

    LoadAllBackupSets();
    for (const BackupSet& set : std::as_const(backupSets))
        EXPECT_EQ(set.id, ids.value(set.name)) << set.name.toStdString();
    // Once held, the ids are not written again.
    ageFile(setFile("c"));
    const FileVersion c = versionOf(setFile("c"));
    EXPECT_TRUE(SaveSetsAndSettings());
    EXPECT_EQ(versionOf(setFile("c")), c);
}

TEST_F(SetCollectionTest, SavingEverythingKeepsWhatAnotherProgramChangedSince)
{
    writeSetFile("stamped elsewhere", "nID=1\nname=stamped elsewhere\nlastrun=2026-12-01\n");
    writeSetFile("removed elsewhere", "nID=2\nname=removed elsewhere\n");
    writeSetFile("changed here", "nID=3\nname=changed here\nlastrun=2026-12-01\n");
    LoadAllBackupSets();
    // Meanwhile a run from the command line stamps one set and the user deletes another by hand.
    writeSetFile("stamped elsewhere", "nID=1\nname=stamped elsewhere\nlastrun=2026-12-07\n");
    QFile::remove(setFile("removed elsewhere"));
    FindBackupSet(3)->lastRun = "2026-12-07";
    SaveAllBackupSets();
    EXPECT_TRUE(readFile(setFile("stamped elsewhere")).contains("\nlastrun=2026-12-07\n"));
    EXPECT_FALSE(QFileInfo::exists(setFile("removed elsewhere")));
    EXPECT_TRUE(readFile(setFile("changed here")).contains("\nlastrun=2026-12-07\n"));
}

TEST_F(SetCollectionTest, RenameWritesTheNewFileAndRemovesTheOldOne)
{
    const quint32 id = addAndSave(makeSet("Old"));
    BackupSet renamed;
    ASSERT_TRUE(GetBackupSet(id, renamed));
    renamed.name = "New";
    UpdateBackupSet(renamed);
    EXPECT_FALSE(QFileInfo::exists(setFile("Old")));
    EXPECT_TRUE(readFile(setFile("New")).contains("\nname=New\n"));
    ASSERT_EQ(backupSets.size(), 1);
    EXPECT_EQ(backupSets.first().name, "New");
    EXPECT_EQ(backupSets.first().id, id);

    // Only the letter case changes: still a rename, and one file remains.
    renamed.name = "NEW";
    EXPECT_TRUE(UpdateBackupSet(renamed));
    EXPECT_FALSE(QFileInfo::exists(setFile("New")));
    EXPECT_TRUE(readFile(setFile("NEW")).contains("\nname=NEW\n"));
}

TEST_F(SetCollectionTest, RenameThatCannotBeWrittenOrWouldOverwriteAFileKeepsEverything)
{
    const quint32 id = addAndSave(makeSet("Keep"));
    writeSetFile("Other", "nID=9\nname=Other\n");
    const QByteArray other = readFile(setFile("Other"));
    BackupSet renamed;
    ASSERT_TRUE(GetBackupSet(id, renamed));
    for (const char* name : {"bad/name", "Other"}) {
        renamed.name = name;
        UpdateBackupSet(renamed);
        EXPECT_TRUE(QFileInfo::exists(setFile("Keep"))) << name;
    }
    EXPECT_EQ(readFile(setFile("Other")), other);
    EXPECT_EQ(messages.messages().size(), 2);
}

TEST_F(SetCollectionTest, UnknownIdsAreReportedAndChangeNothing)
{
    addAndSave(makeSet("a"));
    UpdateBackupSet(makeSet("x", 42));
    DeleteBackupSet(42);
    SaveBackupSet(42);
    EXPECT_EQ(messages.messages(),
        QStringList({"The backup set could not be changed: it is no longer in the list, or its new name is already "
                     "taken by another set's file.",
            "The backup set could not be deleted: it is no longer in the list.", "Error when saving backupset #42"}));
    EXPECT_EQ(backupSets.size(), 1);
}

TEST_F(SetCollectionTest, DeletingOrUpdatingASetLeavesTheOtherRecordsAsTheyAre)
{
    const quint32 a = addAndSave(makeSet("a"));
    const quint32 b = addAndSave(makeSet("b"));
    const quint32 c = addAndSave(makeSet("c"));
    FindBackupSet(a)->lastRun = "2026-12-07";
    EXPECT_TRUE(DeleteBackupSet(b));
    ASSERT_EQ(backupSets.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(setFile("b")));
    BackupSet renamed = *FindBackupSet(c);
    renamed.name = "d";
    renamed.exTypeList = {"*.z", "*.a"};
    EXPECT_TRUE(UpdateBackupSet(renamed));
    EXPECT_EQ(FindBackupSet(a)->lastRun, "2026-12-07");
    // The updated record is what its file now holds: the new name, lists as stored.
    EXPECT_EQ(FindBackupSet(c)->name, "d");
    EXPECT_EQ(FindBackupSet(c)->exTypeList, QStringList({"*.a", "*.z"}));
    EXPECT_FALSE(QFileInfo::exists(setFile("c")));
    EXPECT_TRUE(QFileInfo::exists(setFile("d")));
}

TEST_F(SetCollectionTest, DeletingAnUnsavedSetDropsItQuietly)
{
    const quint32 id = AddBackupSet(makeSet("never saved"));
    DeleteBackupSet(id);
    EXPECT_TRUE(backupSets.isEmpty());
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(SetCollectionTest, AddTakesNeitherIdNorLastRun)
{
    BackupSet record = makeSet("a", 77);
    record.lastRun = "2020-01-01";
    backupSets = {makeSet("z", 5)};
    const quint32 id = AddBackupSet(record);
    EXPECT_EQ(id, 6u);
    EXPECT_EQ(FindBackupSet(id)->lastRun, "0");
}

namespace {

auto RetentionOf(const BackupSet& set)
{
    return std::make_tuple(
        set.keepLast, set.keepHourly, set.keepDaily, set.keepWeekly, set.keepMonthly, set.keepYearly);
}

} // namespace

TEST_F(SetCollectionTest, AddKeepsTheChoicesMadeInTheNewSetsDialog)
{
    BackupSet record = makeSet("weekly");
    record.verifyArchive = false;
    record.schedule = WeeklySchedule;
    record.scheduleTime = "03:15";
    record.scheduleDay = 6;
    record.scheduleCatchUp = false;
    record.encrypt = true;
    record.passwordChanged = true;
    record.passwordFile = "/home/me/.docs-password";
    record.keepLast = 3;
    record.keepDaily = 0;
    record.keepYearly = 50;
    const BackupSet& added = *FindBackupSet(AddBackupSet(record));
    EXPECT_FALSE(added.verifyArchive);
    EXPECT_EQ(added.schedule, WeeklySchedule);
    EXPECT_EQ(added.scheduleTime, "03:15");
    EXPECT_EQ(added.scheduleDay, 6);
    EXPECT_FALSE(added.scheduleCatchUp);
    EXPECT_TRUE(added.encrypt);
    EXPECT_FALSE(added.passwordChanged);
    // Without them a new set's timer finds no password and its history is thinned by another policy.
    EXPECT_EQ(added.passwordFile, "/home/me/.docs-password");
    EXPECT_EQ(RetentionOf(added), std::make_tuple(3, 24, 0, 8, 12, 50));
}

TEST_F(SetCollectionTest, NamesCompareWithUnicodeCaseFolding)
{
    backupSets = {makeSet("DAILY", 1), makeSet("ДНЕВНОЙ", 2)};
    EXPECT_FALSE(IsSetNameFree("Daily"));
    EXPECT_FALSE(IsSetNameFree("дневной"));
    EXPECT_TRUE(IsSetNameFree("Weekly"));
    // Only the set itself holds the name in other letters: renaming it so is no clash.
    EXPECT_TRUE(IsSetNameFree("Daily", 1));
    EXPECT_FALSE(IsSetNameFree("Daily", 2));
}

TEST_F(SetCollectionTest, IdsAreDistinctWhateverTheFilesHoldAndLargeOnesSurvive)
{
    const QList<std::pair<const char*, const char*>> files
        = {{"a", ""}, {"b", "nID=0\n"}, {"c", "nID=-1\n"}, {"d", "nID=garbage\n"}, {"e", "nID=7\n"}, {"f", "nID=7\n"},
            {"g", "nID=4294967295\n"}, {"h", "nID=3000000000\n"}, {"i", "nID=99999999999\n"}};
    for (const auto& [name, body] : files)
        writeSetFile(name, body);
    LoadAllBackupSets();
    QMap<QString, quint32> ids;
    for (const BackupSet& set : std::as_const(backupSets))
        ids.insert(set.name, set.id);
    // Ids the files hold stay, the first file's where two share one; with the largest id taken, new
    // ones are the smallest free ones rather than 0.
    EXPECT_EQ(ids,
        (QMap<QString, quint32> {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 7}, {"f", 5}, {"g", 4294967295u},
            {"h", 3000000000u}, {"i", 6}}));
    EXPECT_EQ(NewBackupSetId(), 8u);

    FindBackupSet(3000000000u)->source = "/changed";
    SaveAllBackupSets();
    EXPECT_TRUE(readFile(setFile("h")).contains("\nnID=3000000000\n"));
    LoadAllBackupSets();
    EXPECT_EQ(FindBackupSet(3000000000u)->source, "/changed");
}

TEST_F(SetCollectionTest, IdParsing)
{
    EXPECT_EQ(ParseSetId(" +12abc"), 12u);
    EXPECT_EQ(ParseSetId("4294967295"), 4294967295u);
    for (const char* text : {"", "0", "-1", "-5", "x1", "4294967296", "99999999999999999999999"})
        EXPECT_EQ(ParseSetId(text), std::nullopt) << text;
}

TEST_F(SetCollectionTest, ALoadThatChangesNothingKeepsLeftoversAndOnlyOwnCopiesAreCleared)
{
    writeSetFile("Docs", "nID=1\n");
    const QStringList own = {".Docs.ini.velmora-a1B2c3", ".Other.ini.velmora-zzzzzz"};
    const QStringList users = {"Docs.ini.backup", "Docs.ini.a1B2c3", ".Docs.ini.velmora-a1B2c", "Velmora.ini.backup"};
    for (const QString& name : own + users)
        writeFile(home.setFolder() + "/" + name, "mine");
    writeFile(home.settingsFile() + ".backup", "mine");
    writeFile(home.filePath(".config/Quorvane/Velmora/.Velmora.ini.velmora-abcdef"), "left");
    ::mkfifo(QFile::encodeName(home.setFolder() + "/.Docs.ini.velmora-fifo00").constData(), 0644);
    auto entries = [&] {
        return QDir(home.setFolder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            + QDir(home.filePath(".config/Quorvane/Velmora")).entryList(QDir::Files | QDir::Hidden);
    };
    const QStringList before = entries();

    LoadAllBackupSets(SetLoad::ChangeNothing);
    EXPECT_EQ(backupSets.size(), 1);
    EXPECT_EQ(entries(), before);

    LoadAllBackupSets();
    QStringList expected = before;
    for (const QString& name : own + QStringList {".Velmora.ini.velmora-abcdef"})
        expected.removeAll(name);
    EXPECT_EQ(entries(), expected);
    EXPECT_TRUE(expected.contains("Docs.ini.backup") && expected.contains(".Docs.ini.velmora-fifo00"));
}

TEST_F(SetCollectionTest, StampingTheLastRunWritesOnlyThatKeyIntoTheFileAsItIsNow)
{
    writeSetFile("Docs", "nID=4\nname=Docs\nsource=/old\nlastrun=0\nextra=kept\n");
    writeSetFile("Gone", "nID=5\nname=Gone\n");
    LoadAllBackupSets();
    // Meanwhile the window changes one set and deletes the other.
    writeSetFile("Docs", "nID=4\nname=Docs\nsource=/new\nlastrun=0\nextra=kept\n");
    QFile::remove(setFile("Gone"));

    EXPECT_TRUE(StampSetFileLastRun("docs", "2026-12-07"));
    EXPECT_EQ(readFile(setFile("Docs")),
        "[Velmora Project file]\nnID=4\nname=Docs\nsource=/new\nlastrun=2026-12-07\nextra=kept\n");
    EXPECT_EQ(FindBackupSet(4)->lastRun, "2026-12-07");
    EXPECT_FALSE(StampSetFileLastRun("Gone", "2026-12-07"));
    EXPECT_FALSE(QFileInfo::exists(setFile("Gone")));
    EXPECT_EQ(FindBackupSet(5)->lastRun, "");

    // Closing afterwards writes neither the old source back nor the deleted set.
    SaveAllBackupSets();
    EXPECT_EQ(readFile(setFile("Docs")),
        "[Velmora Project file]\nnID=4\nname=Docs\nsource=/new\nlastrun=2026-12-07\nextra=kept\n");
    EXPECT_FALSE(QFileInfo::exists(setFile("Gone")));
}

TEST_F(SetCollectionTest, StampingASetChangedHereKeepsTheChangeForTheNextSave)
{
    writeSetFile("Docs", "nID=4\nname=Docs\nsource=/old\n");
    LoadAllBackupSets();
    FindBackupSet(4)->source = "/edited here";
    ASSERT_TRUE(StampSetFileLastRun("Docs", "2026-12-07"));
    SaveAllBackupSets();
    const QByteArray saved = readFile(setFile("Docs"));
    EXPECT_TRUE(saved.contains("\nsource=/edited here\n") && saved.contains("\nlastrun=2026-12-07\n")) << saved.data();
}

TEST_F(SetCollectionTest, ReloadingOneSetTakesItsFileAsItIsNow)
{
    writeSetFile("Docs", "nID=4\nname=Docs\nsource=/old\n");
    writeSetFile("Other", "nID=6\nname=Other\n");
    LoadAllBackupSets();
    writeSetFile("Docs", "nID=4\nname=Docs\nsource=/new\nlastrun=2026-12-07\n");
    const std::optional<BackupSet> docs = ReloadBackupSet("DOCS");
    ASSERT_TRUE(docs);
    EXPECT_EQ(docs->id, 4u);
    EXPECT_EQ(docs->name, "Docs");
    EXPECT_EQ(docs->source, "/new");
    EXPECT_EQ(FindBackupSet(4)->source, "/new");
    // What was just read is what is known of the file: a later change elsewhere is not written over.
    writeSetFile("Docs", "nID=4\nname=Docs\nsource=/newer\n");
    SaveAllBackupSets();
    EXPECT_EQ(readFile(setFile("Docs")), "[Velmora Project file]\nnID=4\nname=Docs\nsource=/newer\n");

    QFile::remove(setFile("Other"));
    EXPECT_EQ(ReloadBackupSet("Other"), std::nullopt);
    EXPECT_EQ(FindBackupSet(6), nullptr);
    SaveAllBackupSets();
    EXPECT_FALSE(QFileInfo::exists(setFile("Other")));

    // A set made elsewhere since the load joins the collection under a new id.
    writeSetFile("New", "nID=4\nname=New\n");
    const std::optional<BackupSet> added = ReloadBackupSet("new");
    ASSERT_TRUE(added);
    EXPECT_EQ(added->name, "New");
    EXPECT_NE(added->id, 4u);
    EXPECT_EQ(backupSets.size(), 2);
}

TEST_F(SetCollectionTest, AMissingKeyReadsItsFileDefaultWhileANewRecordHasItsOwn)
{
    writeSetFile("bare", "nID=3\n");
    LoadAllBackupSets();
    const BackupSet* bare = FindBackupSet(3);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->name, "bare");
    EXPECT_EQ(bare->compLevel, 2);
    EXPECT_EQ(bare->arcType, 0);
    EXPECT_FALSE(bare->solid);
    EXPECT_EQ(bare->backupType, 0);
    EXPECT_EQ(bare->lastRun, "");
    EXPECT_TRUE(bare->exTypeList.isEmpty());
    const BackupSet fresh;
    EXPECT_EQ(fresh.compLevel, 3);
    EXPECT_EQ(fresh.lastRun, "0");

    // Every field goes out and comes back under the same key.
    BackupSet full = makeSet("full");
    full.exTypeList = {"*.a", "*.b"};
    full.exPathList = {"/x/", "y/"};
    full.arcType = 1;
    full.compLevel = 5;
    full.solid = true;
    full.backupType = MirrorCopying;
    const quint32 id = addAndSave(full);
    ASSERT_TRUE(StampSetFileLastRun("full", "2026-12-07"));
    full.id = id;
    full.lastRun = "2026-12-07";
    LoadAllBackupSets();
    ASSERT_NE(FindBackupSet(id), nullptr);
    EXPECT_EQ(*FindBackupSet(id), full);
}

TEST_F(SetCollectionTest, TenThousandSetsGetDistinctIdsEvenPastTheLargestId)
{
    QDir().mkpath(home.setFolder());
    constexpr int count = 10000;
    for (int i = 0; i < count; ++i) {
        // A third without an id, a third sharing one, a third with their own; one holds the largest id.
        const QByteArray id = i == 5 ? "4294967295" : i % 3 == 0 ? "" : i % 3 == 1 ? "7" : QByteArray::number(i);
        writeSetFile(QString::number(i), "nID=" + id + "\n");
    }
    LoadAllBackupSets();
    ASSERT_EQ(backupSets.size(), count);
    QSet<quint32> ids;
    for (const BackupSet& set : std::as_const(backupSets))
        ids.insert(set.id);
    EXPECT_EQ(ids.size(), count);
    EXPECT_FALSE(ids.contains(0));
    EXPECT_TRUE(ids.contains(4294967295u));
    EXPECT_FALSE(ids.contains(NewBackupSetId()));
}

TEST_F(SetCollectionTest, FilesThatCannotBeSavedAtCloseAreNamedToTheUser)
{
    const quint32 a = addAndSave(makeSet("a"));
    addAndSave(makeSet("b"));
    FindBackupSet(a)->source = "/changed";
    // A folder where the set file and the settings folder should be: neither can be written.
    QFile::remove(setFile("a"));
    ASSERT_TRUE(QDir().mkpath(setFile("a")));
    const QString settingsFolder = QFileInfo(home.settingsFile()).absolutePath();
    QDir(settingsFolder).removeRecursively();
    writeFile(settingsFolder, "not a folder");

    EXPECT_FALSE(SaveSetsAndSettings());
    ASSERT_EQ(messages.messages().size(), 1);
    const QString message = messages.messages().first();
    EXPECT_TRUE(message.contains(setFile("a"))) << message.toStdString();
    EXPECT_TRUE(message.contains(home.settingsFile())) << message.toStdString();
    EXPECT_FALSE(message.contains(setFile("b"))) << message.toStdString();
}

TEST_F(SetCollectionTest, AnEditThatCannotBeSavedIsNamedAndLeavesTheSetAsItWas)
{
    const quint32 id = addAndSave(makeSet("a"));
    BackupSet edited;
    ASSERT_TRUE(GetBackupSet(id, edited));
    edited.source = "/changed";
    // A folder where the set file should be: the edit cannot be written.
    QFile::remove(setFile("a"));
    ASSERT_TRUE(QDir().mkpath(setFile("a")));
    EXPECT_FALSE(UpdateBackupSet(edited));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().first().contains(setFile("a"))) << messages.messages().first().toStdString();
    BackupSet kept;
    ASSERT_TRUE(GetBackupSet(id, kept));
    EXPECT_EQ(kept.source, "/data/a");
}

TEST_F(SetCollectionTest, ANewDestinationForEverySetForgetsTheDiskOnlyWhereItChanged)
{
    BackupSet moved = makeSet("Docs");
    moved.destinationDisk = "uuid:1111";
    BackupSet kept = makeSet("Mail");
    kept.target = "/media/new";
    kept.destinationDisk = "uuid:2222";
    const quint32 movedId = addAndSave(moved);
    const quint32 keptId = addAndSave(kept);
    // AddBackupSet takes a new set without a disk; these sets have run before.
    FindBackupSet(movedId)->destinationDisk = moved.destinationDisk;
    FindBackupSet(keptId)->destinationDisk = kept.destinationDisk;
    ASSERT_TRUE(SetEveryDestination("/media/new"));
    EXPECT_TRUE(FindBackupSet(movedId)->destinationDisk.isEmpty());
    EXPECT_EQ(FindBackupSet(keptId)->destinationDisk, "uuid:2222");
    EXPECT_TRUE(QString::fromUtf8(readFile(setFile("Mail"))).contains("DestinationDisk=uuid:2222\n"));
}

TEST_F(SetCollectionTest, ALoadOnlyToShowGivesTheSameSetsAndIdsAndChangesNothing)
{
    // Without an id, sharing one, with its own; and a file a killed save left, which only a full load clears.
    writeSetFile("A", "nID=\nname=A\nsource=/a\nSchedule=2\n");
    writeSetFile("B", "nID=7\nname=B\nKeepLast=3\n");
    writeSetFile("C", "nID=7\nname=C\nexTypeList=*.tmp;*.bak\n");
    writeSetFile("D", "nID=12\nname=D\n");
    writeFile(home.setFolder() + "/.A.ini.velmora-a1B2c3", "left");
    const auto snapshot = [&] {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(home.setFolder()).entryList(QDir::Files | QDir::Hidden))
            files.insert(name, readFile(home.setFolder() + "/" + name));
        return files;
    };
    const QMap<QString, QByteArray> files = snapshot();

    LoadAllBackupSets(SetLoad::ShowOnly);
    const QList<BackupSet> shown = backupSets;
    EXPECT_EQ(snapshot(), files);
    LoadAllBackupSets(SetLoad::ChangeNothing);
    EXPECT_EQ(shown, backupSets);
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[1].id, 7u);
    EXPECT_EQ(shown[3].id, 12u);
    EXPECT_NE(shown[0].id, shown[2].id);
    EXPECT_EQ(shown[0].schedule, DailySchedule);
    EXPECT_EQ(shown[1].keepLast, 3);
    EXPECT_EQ(shown[2].exTypeList.size(), 2);

    // A set made after the load still starts from the options, not from a file's values.
    MutableSettings().newSetKeepLast = 4;
    EXPECT_EQ(BackupSet().keepLast, 4);
    EXPECT_EQ(BackupSet().backupType, 0);
}
