// Kills a process in the middle of putting an archive in place or saving a set file, at every system
// call of the replacement (strace's fault injection) and at odd moments (a plain SIGKILL), and checks
// that the file is then the old one or the new one, whole, and that the next run clears what was left.

#include "ArchivePlacement.h"
#include "DestinationDisk.h"
#include "FaultContent.h"
#include "JobFixture.h"
#include "LeftoverFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

#include <sys/stat.h>

namespace {

struct WriterRun
{
    bool killed = false;
    QByteArray output;
};

// Runs fault_writer to its end, or under strace with straceOptions in front of it.
WriterRun runWriter(const QStringList& arguments, const QStringList& straceOptions = {})
{
    QProcess process;
    const QString writer = QStringLiteral(VELMORA_FAULT_WRITER);
    if (straceOptions.isEmpty())
        process.start(writer, arguments);
    else
        process.start(QStringLiteral("strace"), straceOptions + QStringList {writer} + arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::CrashExit, process.readAllStandardOutput()};
}

// A system call of one replacement, named by its ordinal among the run's calls of the same name, which
// is what strace's injection counts.
struct CallPoint
{
    QString name;
    int ordinal = 0;
    QString line;
};

// The calls replacement 1 makes, from a clean traced run of arguments (which must start at 1).
QList<CallPoint> callsOfReplacementOne(const QStringList& arguments, const QString& log)
{
    runWriter(arguments, {QStringLiteral("-o"), log});
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression callName(QStringLiteral("^([a-z0-9_]+)\\("));
    QHash<QString, int> seen;
    QList<CallPoint> calls;
    bool inside = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const QRegularExpressionMatch match = callName.match(line);
        if (!match.hasMatch())
            continue;
        const QString name = match.captured(1);
        const int ordinal = ++seen[name];
        if (line.startsWith(QLatin1String("write(1, \"done 1")))
            break;
        // How often the C library asks for random bits differs from run to run, so those calls have no
        // ordinal to aim at; a kill there is a kill between their neighbours anyway.
        if (inside && name != QLatin1String("getrandom"))
            calls.append({name, ordinal, line.left(120)});
        if (line.startsWith(QLatin1String("write(1, \"op 1")))
            inside = true;
    }
    return calls;
}

// Kills a never-ending writer after a delay that changes with i, once it has started replacing.
QByteArray killWriterSoon(const QStringList& arguments, int i)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_FAULT_WRITER), arguments);
    process.waitForStarted();
    while (!process.readAllStandardOutput().contains("op") && process.state() == QProcess::Running)
        process.waitForReadyRead(1000);
    QThread::usleep(unsigned((i * 7919) % 40000));
    process.kill();
    process.waitForFinished();
    return process.readAllStandardOutput();
}

std::string describe(const QString& path)
{
    return QFileInfo::exists(path) ? std::to_string(QFileInfo(path).size()) + " bytes of neither version" : "missing";
}

QStringList otherFiles(const QString& folder, const QString& fileName)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(fileName);
    // The destination's disk marker belongs there like the archive.
    names.removeAll(QLatin1String(kDestinationMarkerName));
    return names;
}

// What the kills showed, so that a sweep can prove it reached the moments that matter.
struct KillTally
{
    int oldFile = 0;
    int newFile = 0;
    int leftovers = 0;
};

// One kind of replacement as a sweep sees it.
struct SweepTarget
{
    // Puts the old version back, alone in its folder.
    std::function<void()> reset;
    // Checks the file after a kill and counts what it found.
    std::function<void(KillTally&, const QString& where)> check;
    std::function<bool()> hasLeftovers;
    // The next run of the set, which must clear what was left.
    std::function<void()> runNext;
};

// Kills replacement 1 of fault_writer's arguments at each of its system calls.
void killAtEveryCall(const QStringList& arguments, const QString& traceLog, const SweepTarget& target)
{
    if (const QString problem = straceProblem(); !problem.isEmpty())
        GTEST_SKIP() << problem.toStdString();
    target.reset();
    const QList<CallPoint> calls = callsOfReplacementOne(arguments, traceLog);
    ASSERT_GE(calls.size(), 5) << "the traced run shows no replacement";
    KillTally tally;
    for (const CallPoint& call : calls) {
        target.reset();
        const WriterRun run = runWriter(arguments,
            {"-o", "/dev/null", "-e", QString("inject=%1:signal=KILL:when=%2").arg(call.name).arg(call.ordinal)});
        ASSERT_TRUE(run.killed && run.output.contains("op 1") && !run.output.contains("done 1"))
            << "not killed inside the replacement at " << call.line.toStdString();
        target.check(tally, call.line);
        if (::testing::Test::HasFatalFailure())
            return;
        if (target.hasLeftovers())
            target.runNext();
    }
    // The sweep reached both sides of the final rename and the moment a temporary copy exists.
    EXPECT_GT(tally.oldFile, 0);
    EXPECT_GT(tally.newFile, 0);
    EXPECT_GT(tally.leftovers, 0);
}

class InterruptedReplaceTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        setId = addSet(FullArchiving);
        scratch = home.filePath("scratch.bin");
    }

    // The archive is the old version or the new one, whole; anything beside it is counted.
    void checkArchiveAfterKill(KillTally& tally, const QString& where)
    {
        const QByteArray bytes = readFile(fullArchive());
        ASSERT_TRUE(bytes == faultArchiveBytes(0) || bytes == faultArchiveBytes(1))
            << where.toStdString() << ": the archive is " << describe(fullArchive());
        ++(bytes == faultArchiveBytes(0) ? tally.oldFile : tally.newFile);
        if (!otherFiles(destination, "docs.7z").isEmpty())
            ++tally.leftovers;
    }

    // The next run of the set clears what the killed one left and puts a real archive in place.
    void runSetAndCheckNothingIsLeft()
    {
        const JobResult result = ArchiveJob(setId);
        EXPECT_EQ(result.outcome, JobOutcome::Done);
        EXPECT_EQ(otherFiles(destination, "docs.7z"), QStringList());
        EXPECT_TRUE(archiveEntries(fullArchive()).contains("a.txt"));
    }

    void resetArchive()
    {
        for (const QString& name : otherFiles(destination, "docs.7z"))
            QFile::remove(destination + '/' + name);
        writeFile(fullArchive(), faultArchiveBytes(0));
    }

    // Kills the placement of version 1 over version 0 at each of its system calls.
    void killPlacementAtEveryCall(const QString& scratchPath)
    {
        killAtEveryCall({"place", scratchPath, fullArchive(), "1", "1"}, home.filePath("trace"),
            {[this] { resetArchive(); },
                [this](KillTally& tally, const QString& where) { checkArchiveAfterKill(tally, where); },
                [this] { return !otherFiles(destination, "docs.7z").isEmpty(); },
                [this] { runSetAndCheckNothingIsLeft(); }});
    }

    quint32 setId = 0;
    QString scratch;
};

TEST_F(InterruptedReplaceTest, AnArchiveKilledAtAnyCallOfItsPlacementIsTheOldOrTheNewOne)
{
    killPlacementAtEveryCall(scratch);
}

TEST_F(InterruptedReplaceTest, AnArchiveCopiedFromAnotherFileSystemAndKilledIsTheOldOrTheNewOne)
{
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/velmora-test-XXXXXX"));
    struct stat here, there;
    if (!elsewhere.isValid() || ::stat(QFile::encodeName(destination).constData(), &here) != 0
        || ::stat(QFile::encodeName(elsewhere.path()).constData(), &there) != 0 || here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm, so the archive cannot be copied across";
    killPlacementAtEveryCall(elsewhere.filePath("scratch.bin"));
}

TEST_F(InterruptedReplaceTest, AnArchiveKilledAtOddMomentsIsAlwaysWhole)
{
    resetArchive();
    KillTally tally;
    for (int i = 0; i < 30; ++i) {
        const QByteArray output = killWriterSoon({"place", scratch, fullArchive(), "1", "1000000"}, i);
        checkArchiveAfterKill(tally, "kill " + QString::number(i) + " after " + QString::fromLatin1(output.right(20)));
        if (HasFatalFailure())
            return;
    }
    runSetAndCheckNothingIsLeft();
}

// A new chain over an old one: the full archive and two update archives, with the old full archive's time
// fixed so that the folder the old chain goes into has a name known beforehand.
class InterruptedChainTest : public InterruptedReplaceTest
{
protected:
    QString history() const { return destination + "/docs.history/2026-03-04_05h06m07s"; }

    void resetChain()
    {
        QDir(destination + "/docs.history").removeRecursively();
        resetArchive();
        const QDateTime time(QDate(2026, 3, 4), QTime(5, 6, 7));
        QFile archive(fullArchive());
        ASSERT_TRUE(archive.open(QIODevice::ReadWrite));
        ASSERT_TRUE(archive.setFileTime(time, QFileDevice::FileModificationTime));
        for (const QString& name : updates)
            writeFile(destination + '/' + name, name.toUtf8());
    }

    // The destination's full archive is the old one or the new one; beside the new one there is no update
    // archive, and each of the old chain's files is in the destination or the history, whole.
    void checkChainAfterKill(KillTally& tally, const QString& where)
    {
        checkArchiveAfterKill(tally, where);
        if (HasFatalFailure())
            return;
        const bool placed = readFile(fullArchive()) == faultArchiveBytes(1);
        for (const QString& name : updates) {
            const bool here = QFileInfo::exists(destination + '/' + name);
            const bool kept = QFileInfo::exists(history() + '/' + name);
            ASSERT_NE(here, kept) << where.toStdString() << ": " << name.toStdString();
            ASSERT_FALSE(placed && here) << where.toStdString() << ": " << name.toStdString()
                                         << " is beside a full archive it was not made against";
            ASSERT_EQ(readFile((here ? destination : history()) + '/' + name), name.toUtf8()) << where.toStdString();
        }
        if (placed || QFileInfo::exists(history() + "/docs.7z")) {
            ASSERT_EQ(readFile(history() + "/docs.7z"), faultArchiveBytes(0)) << where.toStdString();
        }
    }

    bool chainHasLeftovers() const
    {
        QStringList others = otherFiles(destination, "docs.7z");
        for (const QString& name : updates)
            others.removeAll(name);
        return !others.isEmpty();
    }

    const QStringList updates = {"docs_upd_2026-03-05_00h00m00s.7z", "docs_upd_2026-03-06_00h00m00s.7z"};
};

TEST_F(InterruptedChainTest, ANewChainKilledAtAnyCallNeverLeavesAnUpdateArchiveBesideTheWrongFullArchive)
{
    killAtEveryCall({"chain", scratch, destination, "1", "1"}, home.filePath("trace"),
        {[this] { resetChain(); },
            [this](KillTally& tally, const QString& where) { checkChainAfterKill(tally, where); },
            [this] { return chainHasLeftovers(); }, [this] { runSetAndCheckNothingIsLeft(); }});
}

class InterruptedSetSaveTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        ASSERT_FALSE(runWriter({"set", home.path(), "0", "1"}).killed);
        versions[0] = readFile(file());
        ASSERT_FALSE(runWriter({"set", home.path(), "1", "1"}).killed);
        versions[1] = readFile(file());
        ASSERT_NE(versions[0], versions[1]);
    }

    QString file() const { return setFile(kFaultSetName); }

    void reset()
    {
        for (const QString& name : otherFiles(home.setFolder(), kFaultSetName + ".ini"))
            QFile::remove(home.setFolder() + '/' + name);
        writeFile(file(), versions[0]);
    }

    // A killed save leaves nothing but its own hidden copy, which no one else would name so.
    void checkAfterKill(KillTally& tally, const QString& where)
    {
        const QByteArray bytes = readFile(file());
        ASSERT_TRUE(bytes == versions[0] || bytes == versions[1])
            << where.toStdString() << ": the set file is " << describe(file());
        ++(bytes == versions[0] ? tally.oldFile : tally.newFile);
        const QStringList others = otherFiles(home.setFolder(), kFaultSetName + ".ini");
        for (const QString& name : others)
            ASSERT_TRUE(IsTemporaryCopyName(name, "." + kFaultSetName + ".ini.velmora-", 6))
                << where.toStdString() << ": " << name.toStdString();
        if (!others.isEmpty())
            ++tally.leftovers;
    }

    // The next program to load the sets (here one that saves the set again) clears what a killed save
    // left, and the set loads with the lists of its last whole save.
    void saveAndCheckNothingIsLeft()
    {
        ASSERT_FALSE(runWriter({"set", home.path(), "0", "1"}).killed);
        EXPECT_EQ(otherFiles(home.setFolder(), kFaultSetName + ".ini"), QStringList());
        LoadAllBackupSets();
        ASSERT_EQ(backupSets.size(), 1);
        EXPECT_EQ(backupSets.first().exTypeList.size(), faultExclusionTypes(0).size());
    }

    QByteArray versions[2];
};

TEST_F(InterruptedSetSaveTest, ASetFileKilledAtAnyCallOfItsSaveIsTheOldOrTheNewOne)
{
    killAtEveryCall({"set", home.path(), "1", "1"}, home.filePath("trace"),
        {[this] { reset(); }, [this](KillTally& tally, const QString& where) { checkAfterKill(tally, where); },
            [this] { return !otherFiles(home.setFolder(), kFaultSetName + ".ini").isEmpty(); },
            [this] { saveAndCheckNothingIsLeft(); }});
}

TEST_F(InterruptedSetSaveTest, ASetFileKilledAtOddMomentsIsAlwaysWhole)
{
    reset();
    KillTally tally;
    for (int i = 0; i < 30; ++i) {
        const QByteArray output = killWriterSoon({"set", home.path(), "1", "1000000"}, i);
        checkAfterKill(tally, "kill " + QString::number(i) + " after " + QString::fromLatin1(output.right(20)));
        if (HasFatalFailure())
            return;
    }
    saveAndCheckNothingIsLeft();
}

TEST(LeftoverCleanupTest, OnlyTheFilesOwnTemporaryCopiesAreRemoved)
{
    QTemporaryDir folder;
    ProfileStore store("Velmora", folder.filePath("config"), folder.filePath("documents"));
    auto entries = [](const QString& path) {
        QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        names.sort();
        return names;
    };
    auto make = [](const QString& path, const QStringList& names) {
        for (const QString& name : names)
            writeFile(path + '/' + name, "x");
    };

    const QString archives = folder.filePath("disk");
    const QStringList keptArchives = {".DOCS.7z.velmora-abcdef", ".docs.7z.velmora-ab.def", ".docs.7z.velmora-abc",
        ".docs.7z.velmora-abcdefg", ".docs.7z.velmora-folder", ".docs.7z.velmora-link00", ".other.7z.velmora-abcdef",
        "[x].7z", "docs.7z", "target"};
    make(archives,
        {".docs.7z.velmora-Ab12Cd", ".[x].7z.velmora-abcdef", ".DOCS.7z.velmora-abcdef", ".docs.7z.velmora-ab.def",
            ".docs.7z.velmora-abc", ".docs.7z.velmora-abcdefg", ".other.7z.velmora-abcdef", "[x].7z", "docs.7z",
            "target"});
    QFile::link(archives + "/target", archives + "/.docs.7z.velmora-link00");
    QDir().mkpath(archives + "/.docs.7z.velmora-folder");
    RemovePlacementLeftovers(archives + "/docs.7z");
    RemovePlacementLeftovers(archives + "/[x].7z");
    EXPECT_EQ(entries(archives), keptArchives);

    // Only a save's own hidden copy is a leftover: a user's "Docs.ini.backup" or another program's copy stays.
    const QStringList keptSets = {"..ini.velmora-abcdef", ".Docs.ini.velmora-ab.def", ".Docs.ini.velmora-abcdefg",
        ".Docs.txt.velmora-abcdef", "Docs.ini", "Docs.ini.abcdef.ini", "Docs.ini.backup", "Docs.ini.sOBFuG"};
    make(store.setFolder(), keptSets + QStringList {".Docs.ini.velmora-sOBFuG", ".Other.ini.velmora-abcdef"});
    make(store.settingsFolder(), {".Velmora.ini.velmora-Ab12cd", "Velmora.ini", "Velmora.ini.Ab12cd"});
    store.RemoveSaveLeftovers();
    EXPECT_EQ(entries(store.setFolder()), keptSets);
    EXPECT_EQ(entries(store.settingsFolder()), QStringList({"Velmora.ini", "Velmora.ini.Ab12cd"}));
}

} // namespace
