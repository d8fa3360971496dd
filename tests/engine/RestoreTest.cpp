// Restoring with the real 7zz and rsync: sets backed up while their source changes, then rebuilt as of each
// point and compared with the source as it was then.

#include "JobFixture.h"
#include "JobRunner.h"
#include "ResourceIds.h"
#include "RestoreJob.h"
#include "RestorePoints.h"
#include "Settings.h"
#include "StringTable.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {

// Each entry of a tree: its kind, its content or link target, its modification time to the millisecond.
QMap<QString, QString> snapshot(const QString& folder)
{
    QMap<QString, QString> entries;
    const QDir root(folder);
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QString text;
        if (info.isSymLink()) {
            text = "link " + QFile::decodeName(QFile::encodeName(info.symLinkTarget()));
            QByteArray target(4096, '\0');
            const auto length = ::readlink(QFile::encodeName(info.filePath()).constData(), target.data(), 4096);
            text = "link " + QString::fromUtf8(target.left(length));
        } else if (info.isDir()) {
            text = "folder";
        } else {
            QFile file(info.filePath());
            file.open(QIODevice::ReadOnly);
            text = "file " + QString::fromUtf8(file.readAll().toBase64());
        }
        // Links are compared by target only: their own times are not what anyone restores for.
        if (!info.isSymLink())
            text += " @" + QString::number(info.lastModified().toMSecsSinceEpoch());
        entries.insert(root.relativeFilePath(info.filePath()), text);
    }
    return entries;
}

void putFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QDateTime kOldTime(QDate(2001, 2, 3), QTime(4, 5, 6));

class RestoreTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        m_savedChainLength = Settings().chainLength;
        MutableSettings().chainLength = 50;
    }
    void TearDown() override
    {
        MutableSettings().chainLength = m_savedChainLength;
        JobFixture::TearDown();
    }

    // The source every chain starts from: blanks, Cyrillic, an empty folder, links inside and out, an old time.
    void makeFirstSource()
    {
        putFile(source + "/with blank.txt", "blank");
        putFile(source + "/old/x.txt", "old x");
        QDir().mkpath(source + "/empty");
        ASSERT_EQ(::symlink("a.txt", QFile::encodeName(source + "/inlink").constData()), 0);
        ASSERT_EQ(::symlink("../a.txt", QFile::encodeName(source + "/sub/up").constData()), 0);
        ASSERT_EQ(::symlink("/etc/hostname", QFile::encodeName(source + "/абс ссылка").constData()), 0);
        QFile blank(source + "/with blank.txt");
        ASSERT_TRUE(blank.open(QIODevice::ReadWrite));
        ASSERT_TRUE(blank.setFileTime(kOldTime, QFileDevice::FileModificationTime));
    }

    // Backs the set up after each change, and keeps the source as each run saw it.
    QList<QMap<QString, QString>> runChain(quint32 id)
    {
        QList<QMap<QString, QString>> states;
        const QList<std::function<void()>> changes {
            [] {},
            [this] {
                putFile(source + "/a.txt", "alpha, longer now");
                QFile::remove(source + "/sub/b.txt");
            },
            [this] {
                putFile(source + "/ephemeral.txt", "here for one run");
                QDir(source + "/old").removeRecursively();
            },
            [this] {
                QFile::remove(source + "/ephemeral.txt");
                putFile(source + "/sub/b.txt", "beta, born again");
            },
            [this] {
                QFile::remove(source + "/inlink");
                ::symlink("with blank.txt", QFile::encodeName(source + "/inlink").constData());
                QDir().mkpath(source + "/empty2");
                putFile(source + "/Новый файл.txt", "gamma, changed");
            },
        };
        for (const auto& change : changes) {
            change();
            states.append(snapshot(source));
            const JobResult result = RunSetJob(id);
            EXPECT_TRUE(result.succeeded()) << result.reason.toStdString();
            waitForNextSecond();
        }
        return states;
    }

    JobResult restore(const QList<RestorePoint>& points, int index, const QString& target, QStringList paths = {})
    {
        JobRunner runner;
        return runner.runRestore({points, index, target, paths});
    }
    JobResult restoreOver(
        const QList<RestorePoint>& points, int index, QStringList paths = {}, bool removeOthers = false)
    {
        JobRunner runner;
        return runner.runRestore({points, index, source, paths, true, removeOthers});
    }
    // What the desktop's trash in the temporary home holds: each entry's original path, as its .trashinfo file
    // names it, with the entry as a snapshot gives it ("" for the entry itself, "NAME/..." inside a folder).
    // The points of a full set backed up once from the source as it is now; none when the run failed.
    QList<RestorePoint> backUpOnce()
    {
        const quint32 id = addSet(FullArchiving);
        const JobResult result = RunSetJob(id);
        EXPECT_TRUE(result.succeeded()) << result.reason.toStdString();
        BackupSet set;
        return result.succeeded() && GetBackupSet(id, set) ? RestorePointsOf(set) : QList<RestorePoint>();
    }
    QMap<QString, QMap<QString, QString>> trashed() const
    {
        QMap<QString, QMap<QString, QString>> found;
        const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
        for (const QFileInfo& info : QDir(trash + "/info").entryInfoList({"*.trashinfo"}, QDir::Files | QDir::Hidden)) {
            QFile file(info.filePath());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            QString path;
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (line.startsWith("Path="))
                    path = QUrl::fromPercentEncoding(line.mid(5));
            }
            const QString inTrash = trash + "/files/" + info.completeBaseName();
            QMap<QString, QString> entry = snapshot(inTrash);
            QMap<QString, QString> self = snapshot(QFileInfo(inTrash).path());
            entry.insert("", self.value(info.completeBaseName()));
            found.insert(path, entry);
        }
        // Every entry in the trash has its record.
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        EXPECT_EQ(QDir(trash + "/files").entryList(all).size(), QDir(trash + "/info").entryList(all).size());
        return found;
    }
    // The hidden folders a restore over the source may leave inside or beside it.
    QStringList besideSource() const
    {
        const auto flags = QDir::AllEntries | QDir::Hidden | QDir::System;
        return QDir(home.path()).entryList({".src*"}, flags) + QDir(source).entryList({".velmora-restore*"}, flags);
    }

    // Runs the set once after each change, a copy of the source as that run saw it kept in COPIES/i, and gives
    // back the set's points (empty where a run failed).
    QList<RestorePoint> pointsAfterEach(quint32 id, const QList<std::function<void()>>& changes, const QString& copies);

    qint32 m_savedChainLength = 0;
};

TEST_F(RestoreTest, AnIncrementalChainComesBackAsOfEveryPoint)
{
    makeFirstSource();
    const quint32 id = addSet(IncrementalArchiving);
    const auto states = runChain(id);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    QString error;
    const QList<RestorePoint> points = RestorePointsOf(set, &error);
    ASSERT_EQ(points.size(), 5) << error.toStdString();
    EXPECT_EQ(points.last().kind, RestorePoint::Kind::Full);
    for (int i = 0; i < points.size(); ++i) {
        const auto& expected = states.at(points.size() - 1 - i);
        const QString target = home.filePath(QString("restored %1").arg(i));
        const JobResult result = restore(points, i, target);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        EXPECT_EQ(snapshot(target), expected) << "as of " << points.at(i).stamp.toStdString();
        const qint64 files = std::count_if(
            expected.cbegin(), expected.cend(), [](const QString& e) { return !e.startsWith("folder"); });
        EXPECT_EQ(points.at(i).fileCount, files);
        const auto state = StateAsOf(points, i);
        ASSERT_TRUE(state);
        QStringList listed;
        for (const StateEntry& entry : *state)
            listed.append(entry.path);
        EXPECT_EQ(listed, QStringList(expected.keys()));
    }
    // The old time set on the first source comes back as of every point.
    for (int i = 0; i < points.size(); ++i)
        EXPECT_EQ(QFileInfo(home.filePath(QString("restored %1/with blank.txt").arg(i))).lastModified(), kOldTime);
    // Made after update 1 and gone before update 3: update 3 does not bring it back.
    EXPECT_FALSE(QFileInfo::exists(home.filePath("restored 1/ephemeral.txt")));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("restored 2/ephemeral.txt")));
    // No leftovers beside the targets, and a restore is no backup.
    EXPECT_TRUE(QDir(home.path()).entryList({".restored*"}, QDir::AllEntries | QDir::Hidden).isEmpty());

    // Part of it: a folder and a file with a blank, nothing else.
    const QString part = home.filePath("part");
    ASSERT_TRUE(restore(points, 1, part, {"sub", "./with blank.txt"}).succeeded());
    QMap<QString, QString> expected;
    for (auto it = states.at(3).cbegin(); it != states.at(3).cend(); ++it) {
        if (it.key() == "sub" || it.key().startsWith("sub/") || it.key() == "with blank.txt")
            expected.insert(it.key(), it.value());
    }
    EXPECT_EQ(snapshot(part), expected);
    EXPECT_FALSE(restore(points, 1, home.filePath("none"), {"ephemeral.txt"}).succeeded());
    EXPECT_FALSE(restore(points, 1, home.filePath("none"), {"../src"}).succeeded());
    EXPECT_FALSE(QFileInfo::exists(home.filePath("none")));

    // Versions oldest first, with the deletion and the second birth.
    const QList<FileVersion> versions = VersionsOf(points, "sub/b.txt");
    ASSERT_EQ(versions.size(), 3);
    EXPECT_EQ(versions.at(0).point.kind, RestorePoint::Kind::Full);
    EXPECT_FALSE(versions.at(0).deleted);
    EXPECT_EQ(versions.at(0).size, 4);
    EXPECT_TRUE(versions.at(1).deleted);
    EXPECT_EQ(versions.at(1).point.stamp, points.at(3).stamp);
    EXPECT_EQ(versions.at(2).size, 16);
    EXPECT_EQ(versions.at(2).point.stamp, points.at(1).stamp);
    const QList<FileVersion> once = VersionsOf(points, "ephemeral.txt");
    ASSERT_EQ(once.size(), 2);
    EXPECT_EQ(once.at(0).point.stamp, points.at(2).stamp);
    EXPECT_TRUE(once.at(1).deleted);
    EXPECT_TRUE(VersionsOf(points, "never.txt").isEmpty());

    // As of: a stamp between points, a date, before the first point.
    EXPECT_EQ(PointAsOf(points, points.at(2).stamp), 2);
    EXPECT_EQ(PointAsOf(points, ""), 0);
    EXPECT_EQ(PointAsOf(points, QDate::currentDate().toString("yyyy-MM-dd")), 0);
    EXPECT_EQ(PointAsOf(points, "2000-01-01"), -1);
    EXPECT_EQ(PointAsOf(points, "yesterday"), -1);

    // The same chain found from the archive alone, as on a new computer.
    const QList<RestorePoint> found = RestorePointsOfArchive(fullArchive());
    ASSERT_EQ(found.size(), points.size());
    EXPECT_EQ(found.first().stamp, points.first().stamp);
}

TEST_F(RestoreTest, FullZipAndMirrorSetsComeBack)
{
    makeFirstSource();
    const auto expected = snapshot(source);
    for (const auto& [type, arcType] : {std::pair {FullArchiving, 0}, std::pair {FullArchiving, 1}}) {
        QDir(destination).removeRecursively();
        QDir().mkpath(destination);
        const quint32 id = addSet(type, arcType);
        ASSERT_TRUE(RunSetJob(id).succeeded());
        BackupSet set;
        ASSERT_TRUE(GetBackupSet(id, set));
        const QList<RestorePoint> points = RestorePointsOf(set);
        ASSERT_EQ(points.size(), 1);
        const QString target = home.filePath(QString("restored %1").arg(arcType));
        const JobResult result = restore(points, 0, target);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        EXPECT_EQ(snapshot(target), expected) << ArcTypeName(set).toStdString();
        DeleteBackupSet(id);
    }
    const quint32 mirror = addSet(MirrorCopying);
    ASSERT_TRUE(RunSetJob(mirror).succeeded());
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(mirror, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 1);
    EXPECT_EQ(points.at(0).kind, RestorePoint::Kind::Mirror);
    const QString target = home.filePath("mirror restored");
    ASSERT_TRUE(restore(points, 0, target).succeeded());
    // The mirror and what comes back from it are the source, folder times included.
    EXPECT_EQ(snapshot(points.at(0).path), expected);
    EXPECT_EQ(snapshot(target), expected);
}

TEST_F(RestoreTest, AZipChainSaysItCannotRecordDeletionsWithoutCallingThatAWarning)
{
    const quint32 id = addSet(IncrementalArchiving, 1);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    waitForNextSecond();
    putFile(source + "/new.txt", "new");
    ASSERT_TRUE(RunSetJob(id).succeeded());
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 2);
    const JobResult result = restore(points, 0, home.filePath("zip"));
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_TRUE(JobResultText(result).contains("deletions")) << JobResultText(result).toStdString();
    // Every zip update point has it; a restore that did all it could is done, and velmora-run ends with 0.
    EXPECT_EQ(ResultKindOf(result), JobResultKind::Done);
    EXPECT_TRUE(QFileInfo::exists(home.filePath("zip/new.txt")));
}

TEST_F(RestoreTest, ARefusedStoppedOrFullRestoreLeavesTheTargetAsItWas)
{
    writeIncompressible(source + "/big.bin", 3 * 1024 * 1024);
    const quint32 id = addSet(FullArchiving);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    const QString setText = [&] {
        QFile file(setFile("Docs"));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 1);

    // A folder with something in it is never merged into.
    const QString full = home.filePath("full");
    putFile(full + "/mine.txt", "mine");
    const JobResult refused = restore(points, 0, full);
    EXPECT_EQ(refused.outcome, JobOutcome::DestinationMissing);
    EXPECT_TRUE(refused.reason.contains(full));
    EXPECT_EQ(snapshot(full).keys(), QStringList {"mine.txt"});

    // An empty folder takes it; the restore records nothing in the set.
    QDir().mkpath(home.filePath("empty"));
    EXPECT_TRUE(restore(points, 0, home.filePath("empty")).succeeded());
    EXPECT_TRUE(QFileInfo::exists(home.filePath("empty/big.bin")));
    QFile file(setFile("Docs"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), setText);

    // A folder above the target that cannot be made: the reason is the system's own.
    putFile(home.filePath("a file"), "not a folder");
    const JobResult unmade = restore(points, 0, home.filePath("a file/below/target"));
    EXPECT_EQ(unmade.outcome, JobOutcome::DestinationMissing);
    EXPECT_TRUE(unmade.reason.contains(QString::fromLocal8Bit(std::strerror(ENOTDIR)))) << unmade.reason.toStdString();

    // Stopped while 7-Zip writes.
    JobRunner runner;
    QObject::connect(
        &runner, &JobRunner::progress, &runner, [&runner](const JobProgress&) { runner.stop(); }, Qt::DirectConnection);
    const JobResult stopped = runner.runRestore({points, 0, home.filePath("stopped"), {}});
    EXPECT_EQ(stopped.outcome, JobOutcome::Stopped);
    EXPECT_FALSE(QFileInfo::exists(home.filePath("stopped")));

    // A disk too small for it.
    const QString small = home.filePath("small");
    QDir().mkpath(small);
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", small}) != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount
    {
        QString path;
        ~Unmount() { QProcess::execute("umount", {path}); }
    } unmount {small};
    putFile(small + "/target/keep.txt", "");
    QFile::remove(small + "/target/keep.txt");
    const JobResult noRoom = restore(points, 0, small + "/target");
    EXPECT_FALSE(noRoom.succeeded());
    EXPECT_EQ(QDir(small).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList {"target"});
    EXPECT_TRUE(QDir(small + "/target").isEmpty());
}

} // namespace

// A restore's folder times come from the listing after everything is extracted, also those of a folder the
// update archive changed (a file added and one deleted) and of one it made.
TEST_F(RestoreTest, FoldersChangedByAnUpdateKeepTheirTimes)
{
    const quint32 id = addSet(IncrementalArchiving);
    setFolderTime(source + "/sub", QDateTime(QDate(2005, 6, 7), QTime(8, 9, 10)));
    ASSERT_TRUE(RunSetJob(id).succeeded());
    const auto before = snapshot(source);
    waitForNextSecond();
    putFile(source + "/sub/new.txt", "new");
    QFile::remove(source + "/sub/b.txt");
    putFile(source + "/made/deep/c.txt", "c");
    setFolderTime(source + "/sub", QDateTime(QDate(2006, 1, 2), QTime(3, 4, 5)));
    setFolderTime(source + "/made/deep", QDateTime(QDate(2007, 1, 2), QTime(3, 4, 5)));
    setFolderTime(source + "/made", QDateTime(QDate(2008, 1, 2), QTime(3, 4, 5)));
    ASSERT_TRUE(RunSetJob(id).succeeded());
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 2);
    ASSERT_TRUE(restore(points, 0, home.filePath("now")).succeeded());
    EXPECT_EQ(snapshot(home.filePath("now")), snapshot(source));
    EXPECT_EQ(QFileInfo(home.filePath("now/sub")).lastModified(), QDateTime(QDate(2006, 1, 2), QTime(3, 4, 5)));
    ASSERT_TRUE(restore(points, 1, home.filePath("then")).succeeded());
    EXPECT_EQ(snapshot(home.filePath("then")), before);
}

// What a restore killed outright leaves beside its target goes with the next restore into the same folder;
// only a staging folder whose marker names a process that is gone, never anything else.
TEST_F(RestoreTest, TheNextRestoreRemovesOnlyTheStagingFoldersOfKilledRestores)
{
    qint64 deadPid = 0;
    {
        QProcess gone;
        gone.start("sleep", {"30"});
        ASSERT_TRUE(gone.waitForStarted());
        deadPid = gone.processId();
        gone.kill();
        gone.waitForFinished();
    }
    const QString marker = RestoreStagingMarkerName();
    auto stagingFolder = [&](const QString& name, const QByteArray& text) {
        putFile(home.filePath(name + "/inside.txt"), "half restored");
        if (!text.isNull())
            putFile(home.filePath(name + "/" + marker), text);
        return home.filePath(name);
    };
    QByteArray live = RestoreStagingMarker(::getpid());
    QByteArray reused = live;
    reused.replace(reused.lastIndexOf(' '), reused.size(), " 1\n");
    const QString killed = stagingFolder(".Docs restored.velmora-Ab12Cd", RestoreStagingMarker(deadPid));
    const QString pidReused = stagingFolder(".other.velmora-XY98zz", reused);
    const QStringList kept {
        stagingFolder(".running.velmora-Ab12Cd", live),
        stagingFolder(".unmarked.velmora-Ab12Cd", QByteArray()),
        stagingFolder(".elsewhere.velmora-Ab12Cd",
            "Velmora restore staging\nhost another-computer\npid " + QByteArray::number(deadPid) + " 1\n"),
        stagingFolder(".wrong name.velmora-Ab1", RestoreStagingMarker(deadPid)),
        stagingFolder("Docs restored.velmora-Ab12Cd", RestoreStagingMarker(deadPid)),
        stagingFolder(".not ours.velmora-Ab12Cd", "something else\n"),
    };
    // A marker that is a link is nobody's marker, whatever it points to.
    const QString linked = home.filePath(".linked.velmora-Ab12Cd");
    QDir().mkpath(linked);
    putFile(home.filePath("dead marker"), RestoreStagingMarker(deadPid));
    ASSERT_EQ(::symlink(QFile::encodeName(home.filePath("dead marker")).constData(),
                  QFile::encodeName(linked + "/" + marker).constData()),
        0);

    const quint32 id = addSet(FullArchiving);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    ASSERT_TRUE(restore(RestorePointsOf(set), 0, home.filePath("Docs restored")).succeeded());
    EXPECT_FALSE(QFileInfo::exists(killed));
    EXPECT_FALSE(QFileInfo::exists(pidReused));
    for (const QString& folder : kept)
        EXPECT_TRUE(QFileInfo::exists(folder + "/inside.txt")) << folder.toStdString();
    EXPECT_TRUE(QFileInfo::exists(linked + "/" + marker));
    // The restored folder holds no marker of its own.
    EXPECT_FALSE(QFileInfo::exists(home.filePath("Docs restored/" + marker)));
}

// The preview counts against the source as it is now, and the restore over it changes exactly what it said:
// a changed file is overwritten, a deleted one added, a new one removed, a file outside the choice left.
TEST_F(RestoreTest, APreviewCountsWhatARestoreOverTheSourceChangesAndItChangesOnlyThat)
{
    putFile(source + "/sub/c.txt", "c");
    putFile(source + "/deep/keep.txt", "kept");
    putFile(source + "/deep/er/f.txt", "f");
    const QList<RestorePoint> points = backUpOnce();
    ASSERT_FALSE(points.isEmpty());
    const auto backedUp = snapshot(source);
    ASSERT_EQ(points.size(), 1);
    const auto state = StateAsOf(points, 0);
    ASSERT_TRUE(state);

    putFile(source + "/a.txt", "alpha, longer now");
    QFile::remove(source + "/sub/c.txt");
    putFile(source + "/sub/new.txt", "new");
    putFile(source + "/Новый файл.txt", "gamma, changed since");
    // A chosen file whose folder is gone: the folder is made, and the one above it keeps its time.
    QDir(source + "/deep/er").removeRecursively();
    // A link to a folder outside: one file to remove, never the files it leads to.
    putFile(home.filePath("elsewhere/one.txt"), "1");
    putFile(home.filePath("elsewhere/two.txt"), "2");
    ASSERT_EQ(::symlink(QFile::encodeName(home.filePath("elsewhere")).constData(),
                  QFile::encodeName(source + "/sub/outside").constData()),
        0);

    QString error;
    const QStringList chosen {"a.txt", "sub", "deep/er/f.txt"};
    const auto part = PreviewOriginalRestore(*state, source, chosen, &error);
    ASSERT_TRUE(part) << error.toStdString();
    EXPECT_EQ(part->overwritten, 1);
    EXPECT_EQ(part->unchanged, 1);
    EXPECT_EQ(part->added, 2);
    EXPECT_EQ(part->notInBackup, 2);
    EXPECT_EQ(part->left, 2);
    EXPECT_EQ(part->replacedPaths, QStringList({"a.txt"})) << "sub/b.txt is as in the backup and stays";
    EXPECT_EQ(part->notInBackupPaths, QStringList({"sub/new.txt", "sub/outside"}));
    const auto whole = PreviewOriginalRestore(*state, source, {});
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->overwritten, 2);
    EXPECT_EQ(whole->unchanged, 2);
    EXPECT_EQ(whole->added, 2);
    EXPECT_EQ(whole->notInBackup, 2);
    EXPECT_EQ(whole->left, 0);

    const QDateTime sourceTime = QFileInfo(source).lastModified();
    const auto changed = snapshot(source);
    const JobResult result = restoreOver(points, 0, chosen);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    auto expected = backedUp;
    // Outside the choice, and the files the backup does not hold: where they were.
    for (const QString kept : {"Новый файл.txt", "deep", "sub/new.txt", "sub/outside"})
        expected[kept] = changed.value(kept);
    EXPECT_EQ(snapshot(source), expected);
    EXPECT_EQ(trashed().keys(), QStringList({source + "/a.txt"}));
    EXPECT_EQ(QFileInfo(source).lastModified(), sourceTime);
    EXPECT_EQ(treeFiles(home.filePath("elsewhere")), QStringList({"one.txt", "two.txt"}));
    EXPECT_TRUE(besideSource().isEmpty()) << besideSource().join(' ').toStdString();
    // Now nothing differs within the choice.
    const auto after = PreviewOriginalRestore(*state, source, chosen);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->overwritten + after->added, 0);
    EXPECT_EQ(after->notInBackup, 2);
    EXPECT_EQ(after->unchanged, 4);

    // A chosen file below a folder that is a link on disk is refused before anything changes.
    QDir(source + "/sub").removeRecursively();
    ASSERT_EQ(::symlink(QFile::encodeName(home.filePath("elsewhere")).constData(),
                  QFile::encodeName(source + "/sub").constData()),
        0);
    const auto linked = snapshot(source);
    const JobResult refused = restoreOver(points, 0, {"sub/b.txt"});
    EXPECT_EQ(refused.outcome, JobOutcome::PrepareFailed);
    EXPECT_EQ(refused.reason, LoadStringById(StringId::RestoreSourceNotFolder).arg(source + "/sub"));
    EXPECT_FALSE(PreviewOriginalRestore(*state, source, {"sub/b.txt"}, &error));
    EXPECT_EQ(error, refused.reason);
    EXPECT_EQ(snapshot(source), linked);
    EXPECT_EQ(treeFiles(home.filePath("elsewhere")), QStringList({"one.txt", "two.txt"}));

    // A source that is gone is refused, with its path.
    QDir(source).removeRecursively();
    const JobResult missing = restoreOver(points, 0);
    EXPECT_EQ(missing.outcome, JobOutcome::SourceMissing);
    EXPECT_TRUE(missing.reason.contains(source));
    EXPECT_FALSE(PreviewOriginalRestore(*state, source, {}));
    EXPECT_FALSE(QFileInfo::exists(source));
}

// A whole restore over the source gives exactly the state as of the point: links, times, empty folders,
// blanks and Cyrillic names, from an incremental chain and from a mirror.
TEST_F(RestoreTest, AWholeRestoreOverTheSourceGivesExactlyTheState)
{
    makeFirstSource();
    const quint32 id = addSet(IncrementalArchiving);
    const auto states = runChain(id);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QList<RestorePoint> points = RestorePointsOf(set);
    ASSERT_EQ(points.size(), 5);
    for (const int index : {2, 0, 4}) {
        const JobResult result = restoreOver(points, index, {}, true);
        ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
        EXPECT_EQ(snapshot(source), states.at(points.size() - 1 - index)) << "as of " << index;
    }
    EXPECT_TRUE(besideSource().isEmpty()) << besideSource().join(' ').toStdString();

    DeleteBackupSet(id);
    const quint32 mirror = addSet(MirrorCopying);
    ASSERT_TRUE(RunSetJob(mirror).succeeded());
    ASSERT_TRUE(GetBackupSet(mirror, set));
    const auto mirrored = snapshot(source);
    putFile(source + "/a.txt", "changed after the mirror");
    putFile(source + "/later/x.txt", "later");
    QFile::remove(source + "/with blank.txt");
    const QList<RestorePoint> mirrorPoints = RestorePointsOf(set);
    ASSERT_EQ(mirrorPoints.size(), 1);
    const JobResult result = restoreOver(mirrorPoints, 0, {}, true);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_EQ(snapshot(source), mirrored);
}

// A source that is a whole mounted disk: nothing beside it is on its file system. What a killed restore set
// aside inside it may be the only copy of those files, so the next restore keeps it.
TEST_F(RestoreTest, ARestoreOverAMountedSourceKeepsWhatAKilledRestoreSetAside)
{
    if (::getuid() != 0 || QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8m", "tmpfs", source}) != 0)
        GTEST_SKIP() << "mounting a file system on the source needs root";
    const auto unmount = qScopeGuard([this] { QProcess::execute("umount", {"-l", source}); });
    putFile(source + "/a.txt", "alpha");
    putFile(source + "/sub/b.txt", "beta");
    const QList<RestorePoint> points = backUpOnce();
    ASSERT_FALSE(points.isEmpty());
    auto expected = snapshot(source);

    putFile(source + "/a.txt", "changed");
    putFile(source + "/new.txt", "new");
    const QString kept = source + "/.velmora-restore old.velmora-Kept01";
    putFile(kept + "/sub/b.txt", "the only copy");
    const auto state = StateAsOf(points, 0);
    ASSERT_TRUE(state);
    const auto preview = PreviewOriginalRestore(*state, source, {});
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->overwritten, 1);
    EXPECT_EQ(preview->notInBackup, 1);
    EXPECT_EQ(preview->left, 0);

    const auto keptBefore = snapshot(kept);
    const JobResult result = restoreOver(points, 0, {}, true);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_EQ(snapshot(kept), keptBefore);
    QDir(kept).removeRecursively();
    // The disk's own trash took what the restore replaced, and is never restored over.
    const QString diskTrash = source + "/.Trash-" + QString::number(::getuid());
    EXPECT_EQ(treeFiles(diskTrash + "/files"), QStringList({"a.txt", "new.txt"})) << "b.txt is as backed up";
    QDir(diskTrash).removeRecursively();
    EXPECT_EQ(snapshot(source), expected);
}

// A restore over the source that is stopped, or whose swap fails halfway, leaves the source as it was.
TEST_F(RestoreTest, AStoppedOrFailedRestoreOverTheSourceLeavesItAsItWas)
{
    writeIncompressible(source + "/big.bin", 3 * 1024 * 1024);
    QDir().mkpath(source + "/empty");
    const QList<RestorePoint> points = backUpOnce();
    ASSERT_FALSE(points.isEmpty());
    ASSERT_EQ(points.size(), 1);
    putFile(source + "/a.txt", "changed since");
    putFile(source + "/sub/b.txt", "changed as well");
    putFile(source + "/sub/new.txt", "new");
    QFile::remove(source + "/big.bin");
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(source + "/link").constData()), 0);
    const auto before = snapshot(source);
    const QDateTime sourceTime = QFileInfo(source).lastModified();

    JobRunner runner;
    QObject::connect(
        &runner, &JobRunner::progress, &runner, [&runner](const JobProgress&) { runner.stop(); }, Qt::DirectConnection);
    const JobResult stopped = runner.runRestore({points, 0, source, {}, true});
    EXPECT_EQ(stopped.outcome, JobOutcome::Stopped);
    EXPECT_EQ(snapshot(source), before);
    EXPECT_TRUE(besideSource().isEmpty()) << besideSource().join(' ').toStdString();

    // The swap fails at its second file, after one was already moved to the trash and replaced.
    struct Unhook
    {
        ~Unhook() { SetOriginalSwapHook({}); }
    } unhook;
    for (const QStringList& chosen : {QStringList {}, QStringList {"a.txt", "sub/b.txt", "empty"}}) {
        int calls = 0;
        SetOriginalSwapHook([&calls](const QString&) { return ++calls == 2 ? QString("injected") : QString(); });
        const JobResult failed = restoreOver(points, 0, chosen);
        EXPECT_EQ(failed.outcome, JobOutcome::PlaceFailed);
        EXPECT_TRUE(failed.reason.contains("injected")) << failed.reason.toStdString();
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(snapshot(source), before) << chosen.join(' ').toStdString();
        EXPECT_EQ(QFileInfo(source).lastModified(), sourceTime);
        EXPECT_TRUE(besideSource().isEmpty()) << besideSource().join(' ').toStdString();
        // What went to the trash before the failure came back out of it, record and all.
        EXPECT_TRUE(trashed().isEmpty()) << trashed().keys().join(' ').toStdString();
    }
}

// Over the source, a file made after the backup stays unless the restore is told to remove such files, and every
// file the restore replaces or removes is in the trash with its original path: a file, a changed link, a folder
// where the backup has a file and a file where it has a folder. A link the same as in the backup stays put.
TEST_F(RestoreTest, ARestoreOverTheSourcePutsWhatItReplacesInTheTrashAndKeepsFilesTheBackupNeverHad)
{
    putFile(source + "/turn", "a file that is a folder now");
    putFile(source + "/fold/x.txt", "a folder that is a file now");
    ASSERT_EQ(::symlink("a.txt", QFile::encodeName(source + "/changed link").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(source + "/same link").constData()), 0);
    const QList<RestorePoint> points = backUpOnce();
    ASSERT_FALSE(points.isEmpty());
    const auto backedUp = snapshot(source);
    waitForNextSecond();

    putFile(source + "/a.txt", "alpha, changed since");
    putFile(source + "/sub/made after the backup.txt", "the only copy");
    putFile(source + "/new folder/later.txt", "the only copy too");
    QFile::remove(source + "/turn");
    putFile(source + "/turn/inside.txt", "inside");
    QDir(source + "/fold").removeRecursively();
    putFile(source + "/fold", "now a file");
    QFile::remove(source + "/changed link");
    ASSERT_EQ(::symlink("sub/b.txt", QFile::encodeName(source + "/changed link").constData()), 0);
    // Other bytes of the same size and time: it looks unchanged, yet is replaced and kept in the trash.
    const QDateTime bTime = QFileInfo(source + "/sub/b.txt").lastModified();
    const qint64 bSize = QFileInfo(source + "/sub/b.txt").size();
    ASSERT_GT(bSize, 0);
    putFile(source + "/sub/b.txt", QByteArray(bSize, 'X'));
    {
        QFile b(source + "/sub/b.txt");
        ASSERT_TRUE(b.open(QIODevice::ReadWrite) && b.setFileTime(bTime, QFileDevice::FileModificationTime));
    }
    struct stat untouched;
    ASSERT_EQ(::lstat(QFile::encodeName(source + "/Новый файл.txt").constData(), &untouched), 0);
    const auto changed = snapshot(source);

    const JobResult result = restoreOver(points, 0);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_EQ(result.note, LoadStringById(StringId::RestoreTrashedNote).arg(5));
    auto expected = backedUp;
    for (const QString later : {"sub/made after the backup.txt", "new folder", "new folder/later.txt"})
        expected.insert(later, changed.value(later));
    EXPECT_EQ(snapshot(source), expected);
    const auto inTrash = trashed();
    // Every file that was replaced, as it was, under its original path; those as in the backup stayed in place.
    EXPECT_EQ(inTrash.keys(),
        QStringList(
            {source + "/a.txt", source + "/changed link", source + "/fold", source + "/sub/b.txt", source + "/turn"}));
    EXPECT_EQ(inTrash.value(source + "/sub/b.txt").value(""), changed.value("sub/b.txt"));
    struct stat after;
    ASSERT_EQ(::lstat(QFile::encodeName(source + "/Новый файл.txt").constData(), &after), 0);
    EXPECT_EQ(after.st_ino, untouched.st_ino) << "a file as in the backup was moved to the trash";
    EXPECT_EQ(inTrash.value(source + "/a.txt").value(""), changed.value("a.txt"));
    EXPECT_EQ(inTrash.value(source + "/changed link").value(""), "link sub/b.txt");
    EXPECT_EQ(inTrash.value(source + "/fold").value(""), changed.value("fold"));
    EXPECT_EQ(inTrash.value(source + "/turn").value("inside.txt"), changed.value("turn/inside.txt"));

    // Told to, it removes what the backup does not hold: into the trash as well, and the source is the backup's.
    const JobResult removing = restoreOver(points, 0, {}, true);
    ASSERT_TRUE(removing.succeeded()) << removing.reason.toStdString();
    EXPECT_EQ(snapshot(source), backedUp);
    const auto inTrashNow = trashed();
    EXPECT_EQ(inTrashNow.value(source + "/sub/made after the backup.txt").value(""),
        changed.value("sub/made after the backup.txt"));
    EXPECT_EQ(inTrashNow.value(source + "/new folder").value("later.txt"), changed.value("new folder/later.txt"));
}

// A file that cannot go to the trash is never deleted instead: the restore fails, says which file, and leaves
// the source as it was.
TEST_F(RestoreTest, ARestoreOverTheSourceWhoseTrashCannotTakeAFileChangesNothing)
{
    const QList<RestorePoint> points = backUpOnce();
    ASSERT_FALSE(points.isEmpty());
    putFile(source + "/a.txt", "changed since");
    putFile(source + "/sub/b.txt", "changed since too");
    putFile(source + "/later.txt", "made after the backup");
    const auto before = snapshot(source);
    // Where the trash folder would go there is a file: Qt cannot make the trash, so nothing can go there.
    putFile(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash", "not a folder");

    for (const bool removeOthers : {false, true}) {
        const JobResult failed = restoreOver(points, 0, {}, removeOthers);
        EXPECT_EQ(failed.outcome, JobOutcome::PlaceFailed);
        EXPECT_TRUE(failed.reason.contains("/.local/share/Trash")) << failed.reason.toStdString();
        EXPECT_EQ(snapshot(source), before);
        EXPECT_TRUE(besideSource().isEmpty()) << besideSource().join(' ').toStdString();
    }
}

namespace {

// A few hundred files in nested folders, names with a line break, blanks at either end, wildcards and
// Cyrillic, links inside and out, and one path 3,000 characters long.
void makeOddTree(const QString& root)
{
    for (int i = 0; i < 240; ++i)
        putFile(root + QString("/tree/d%1/e%2/f%3.txt").arg(i % 7).arg(i % 5).arg(i), QByteArray::number(i * 7919));
    putFile(root + "/line\nbreak.txt", "a line break in the name");
    putFile(root + "/ blanks .txt", "blanks at either end");
    putFile(root + "/star*and?.txt", "wildcards");
    putFile(root + "/Папка/файл.txt", "Cyrillic");
    QStringList parts;
    for (int i = 0; i < 15; ++i)
        parts.append(QString(199, QChar(char16_t(u'a' + i))));
    putFile(root + "/" + parts.join('/') + "/deep.txt", "far down");
    ::symlink("/etc/hostname", QFile::encodeName(root + "/link\nbreak").constData());
    ::symlink("tree/d1", QFile::encodeName(root + "/_link_").constData());
    putFile(root + "/turn", "a file that becomes a folder");
    putFile(root + "/fold/x.txt", "a folder that becomes a file");
    ::symlink("tree", QFile::encodeName(root + "/lk").constData());
}

// Each path where two snapshots differ, with what either has there.
QStringList differences(const QMap<QString, QString>& restored, const QMap<QString, QString>& expected)
{
    QStringList found;
    QStringList paths = restored.keys() + expected.keys();
    paths.removeDuplicates();
    paths.sort();
    for (const QString& path : std::as_const(paths)) {
        if (restored.value(path) != expected.value(path))
            found.append(path.left(80) + ": " + restored.value(path, "none").left(60) + " instead of "
                + expected.value(path, "none").left(60));
    }
    return found;
}

// The names one list has and the other has not, marked "+" for the first, "-" for the second.
QStringList onlyInEither(const QStringList& first, const QStringList& second)
{
    QStringList found;
    for (const QString& name : first) {
        if (!second.contains(name))
            found.append("+" + name.left(80));
    }
    for (const QString& name : second) {
        if (!first.contains(name))
            found.append("-" + name.left(80));
    }
    return found;
}

// A copy of the folder as it is, taken by cp -a (this machine's rsync, run from a test, leaves the copy's folder
// times unset): what a restore as of this moment must give back.
QString copyOf(const QString& folder, const QString& copy)
{
    QDir().mkpath(QFileInfo(copy).path());
    QProcess cp;
    cp.start("/bin/cp", {"-a", folder, copy});
    EXPECT_TRUE(cp.waitForFinished(120000));
    EXPECT_EQ(cp.exitCode(), 0) << cp.readAllStandardError().toStdString();
    return copy;
}

QList<RestorePoint> RestoreTest::pointsAfterEach(
    quint32 id, const QList<std::function<void()>>& changes, const QString& copies)
{
    for (int i = 0; i < changes.size(); ++i) {
        changes.at(i)();
        copyOf(source, copies + QString("/%1").arg(i));
        const JobResult backup = RunSetJob(id);
        EXPECT_TRUE(backup.succeeded()) << backup.reason.toStdString();
        if (!backup.succeeded())
            return {};
        waitForNextSecond();
    }
    BackupSet set;
    EXPECT_TRUE(GetBackupSet(id, set));
    return RestorePointsOf(set);
}

} // namespace

// Entries that changed kind between the full archive and an update (file to folder, folder to file, link to
// folder, folder to link), names with line breaks, and a long path: every point comes back as rsync copied
// the source at that moment, for 7z and zip chains alike.
TEST_F(RestoreTest, EveryPointOfAChainWithChangedKindsLongPathsAndOddNamesComesBackExactly)
{
    for (const int arcType : {0, 1}) {
        QDir(source).removeRecursively();
        QDir(destination).removeRecursively();
        QDir().mkpath(destination);
        makeOddTree(source);
        const QString copies = home.filePath(QString("copies %1").arg(arcType));
        const QList<std::function<void()>> changes {
            [] {},
            [this] {
                QFile::remove(source + "/turn");
                putFile(source + "/turn/in.txt", "inside what was a file");
                QDir(source + "/fold").removeRecursively();
                putFile(source + "/fold", "now a file");
                QFile::remove(source + "/lk");
                putFile(source + "/lk/now.txt", "a link became a folder");
                putFile(source + "/tree/d3/e0/f3.txt", "changed");
            },
            [this] {
                QDir(source + "/turn").removeRecursively();
                ::symlink("fold", QFile::encodeName(source + "/turn").constData());
                putFile(source + "/line\nbreak.txt", "changed, still with a line break");
            },
        };
        const quint32 id = addSet(IncrementalArchiving, arcType);
        const QList<RestorePoint> points = pointsAfterEach(id, changes, copies);
        ASSERT_EQ(points.size(), changes.size());
        for (int i = 0; i < points.size(); ++i) {
            const QString target = home.filePath(QString("restored %1 %2").arg(arcType).arg(i));
            const JobResult result = restore(points, i, target);
            ASSERT_TRUE(result.succeeded()) << arcType << " as of " << i << ": " << result.reason.toStdString();
            const QString copy = copies + QString("/%1").arg(points.size() - 1 - i);
            const QMap<QString, QString> copied = snapshot(copy);
            EXPECT_EQ(differences(snapshot(target), copied), QStringList())
                << arcType << " as of " << points.at(i).stamp.toStdString();
            // What the point says it holds is what comes back: the entries a restore writes, and their files.
            const auto state = StateAsOf(points, i);
            ASSERT_TRUE(state);
            // 7-Zip's listing shows a line break in a name as "_"; the restore finds such names by other means.
            QStringList written;
            for (const StateEntry& entry : *state) {
                if (!entry.refused && !entry.path.contains('_'))
                    written.append(entry.path);
            }
            QStringList copiedNames = copied.keys();
            copiedNames.removeIf([](const QString& name) { return name.contains('\n') || name.contains('_'); });
            EXPECT_EQ(onlyInEither(written, copiedNames), QStringList()) << arcType << " as of " << i;
            EXPECT_EQ(points.at(i).fileCount,
                std::count_if(copied.cbegin(), copied.cend(), [](const QString& e) { return !e.startsWith("folder"); }))
                << arcType << " as of " << i;
            // Only a zip update archive warns: it cannot record what went since the full archive.
            if (arcType == 0) {
                EXPECT_TRUE(result.warning.isEmpty()) << result.warning.toStdString();
            }
        }
        EXPECT_TRUE(QDir(home.path()).entryList({".restored*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
        DeleteBackupSet(id);
    }
}

// A path as long as the system takes whole backs up, and comes back: the hidden staging folder's longer name
// is no reason for a restore to fail.
TEST_F(RestoreTest, APathNearTheSystemsLimitComesBack)
{
    const QString target = home.filePath("restored");
    // The file's path in the target ends a few bytes short of the limit; in the staging folder it would not.
    const qsizetype room = 4090 - QFile::encodeName(target).size() - 1;
    QStringList parts;
    qsizetype length = 0;
    while (length + 201 < room - 20) {
        parts.append(QString(200, QChar(char16_t(u'a' + parts.size()))));
        length += 201;
    }
    parts.append(QString(room - length - 1, 'z'));
    const QString relative = parts.join('/');
    putFile(source + "/" + relative, "far down");
    const quint32 id = addSet(FullArchiving);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const JobResult result = restore(RestorePointsOf(set), 0, target);
    ASSERT_TRUE(result.succeeded()) << result.reason.toStdString();
    EXPECT_EQ(readFile(target + "/" + relative), "far down");
    EXPECT_EQ(snapshot(target), snapshot(source));
    EXPECT_TRUE(QDir(home.path()).entryList({".restored*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

// Each point of a chain is the full archive with only its own update archive over it: a folder renamed and named
// back, a file deleted and made again, a folder deleted with what it held and a folder that became a file and a
// folder again give each point its own files, its own count and a file's versions as they were.
TEST_F(RestoreTest, EachPointListsItsOwnStateAfterRenamesReturnsAndDeletedFolders)
{
    makeTree(source,
        {{"docs/a.txt", "alpha"}, {"docs/b.txt", "beta"}, {"pics/p1.jpg", "one"}, {"pics/p2.jpg", "two"},
            {"pics/deep/p3.jpg", "three"}, {"turn", "a file"}, {"fold/x.txt", "in a folder"}});
    const QString copies = home.filePath("copies");
    const QList<std::function<void()>> changes {
        [] {},
        [this] {
            ASSERT_TRUE(QDir().rename(source + "/pics", source + "/photos"));
            QFile::remove(source + "/docs/b.txt");
            QFile::remove(source + "/turn");
            putFile(source + "/turn/in.txt", "inside what was a file");
            QDir(source + "/fold").removeRecursively();
            putFile(source + "/fold", "now a file");
        },
        [this] {
            putFile(source + "/docs/b.txt", "beta, born again");
            QFile::remove(source + "/fold");
            putFile(source + "/fold/z.txt", "a folder again");
            putFile(source + "/photos/p1.jpg", "one, edited");
            QDir(source + "/photos/deep").removeRecursively();
        },
        [this] {
            ASSERT_TRUE(QDir(source + "/photos").removeRecursively());
            putFile(source + "/pics/p2.jpg", "two");
            putFile(source + "/pics/deep/p3.jpg", "three");
        },
    };
    const QList<RestorePoint> points = pointsAfterEach(addSet(IncrementalArchiving), changes, copies);
    ASSERT_EQ(points.size(), changes.size());
    for (int i = 0; i < points.size(); ++i) {
        QMap<QString, QString> copied = snapshot(copies + QString("/%1").arg(points.size() - 1 - i));
        const auto state = StateAsOf(points, i);
        ASSERT_TRUE(state);
        QStringList listed;
        for (const StateEntry& entry : *state)
            listed.append(entry.path);
        EXPECT_EQ(listed, QStringList(copied.keys())) << "as of " << i;
        EXPECT_EQ(points.at(i).fileCount,
            std::count_if(copied.cbegin(), copied.cend(), [](const QString& e) { return !e.startsWith("folder"); }))
            << "as of " << i;
        EXPECT_TRUE(points.at(i).refusedPaths.isEmpty()) << "as of " << i;
    }

    // A file that became a folder is there to be chosen as of the update that holds the folder.
    const JobResult chosen = restore(points, 2, home.filePath("chosen"), {"turn"});
    ASSERT_TRUE(chosen.succeeded()) << chosen.reason.toStdString();
    EXPECT_EQ(readFile(home.filePath("chosen/turn/in.txt")), "inside what was a file");

    // Oldest first: made, gone with the rename, back as it was under its old name.
    const QList<FileVersion> renamed = VersionsOf(points, "pics/p2.jpg");
    ASSERT_EQ(renamed.size(), 3);
    EXPECT_EQ(renamed.at(0).point.kind, RestorePoint::Kind::Full);
    EXPECT_TRUE(renamed.at(1).deleted);
    EXPECT_EQ(renamed.at(1).point.stamp, points.at(2).stamp);
    EXPECT_FALSE(renamed.at(2).deleted);
    EXPECT_EQ(renamed.at(2).point.stamp, points.at(0).stamp);
    EXPECT_EQ(renamed.at(2).size, 3);
    // Deleted in one update, made again in the next.
    const QList<FileVersion> reborn = VersionsOf(points, "docs/b.txt");
    ASSERT_EQ(reborn.size(), 3);
    EXPECT_TRUE(reborn.at(1).deleted);
    EXPECT_EQ(reborn.at(2).size, 16);
    EXPECT_EQ(reborn.at(2).point.stamp, points.at(1).stamp);
    // A folder, then a file, then a folder again.
    const QList<FileVersion> fold = VersionsOf(points, "fold");
    ASSERT_EQ(fold.size(), 3);
    EXPECT_EQ(fold.at(1).size, 10);
    EXPECT_EQ(fold.at(1).point.stamp, points.at(2).stamp);
    EXPECT_EQ(fold.at(2).point.stamp, points.at(1).stamp);
    // Under a folder deleted with what it held, and never there again.
    const QList<FileVersion> deep = VersionsOf(points, "photos/deep/p3.jpg");
    ASSERT_EQ(deep.size(), 2);
    EXPECT_EQ(deep.at(0).point.stamp, points.at(2).stamp);
    EXPECT_TRUE(deep.at(1).deleted);
    EXPECT_EQ(deep.at(1).point.stamp, points.at(1).stamp);
}
