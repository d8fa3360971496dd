// Thinning cut short after each of its steps in turn, as a kill would: every point that stays restores exactly,
// no point left on disk lacks the full archive it needs, and the next thinning finishes the work.

#include "ArchivePath.h"
#include "HistoryPrune.h"
#include "JobFixture.h"
#include "SetHistory.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Tree = QMap<QString, QByteArray>;

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool extract(const QString& archive, const QString& folder)
{
    return run(QStandardPaths::findExecutable(QStringLiteral("7zz")),
        {QStringLiteral("x"), QStringLiteral("-y"), QStringLiteral("-aoa"), QStringLiteral("-o") + folder, archive});
}

QSet<QString> stampsOf(const SetHistory& history)
{
    QSet<QString> stamps;
    for (const HistoryPoint& point : history.points())
        stamps.insert(point.stamp);
    return stamps;
}

class InterruptedPruneTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        m_savedChainLength = Settings().chainLength;
    }
    void TearDown() override
    {
        qunsetenv("VELMORA_NOW");
        MutableSettings().chainLength = m_savedChainLength;
        JobFixture::TearDown();
    }

    // Copies the folder's tree as it is, times and rights too.
    static void copyTree(const QString& from, const QString& to)
    {
        QDir(to).removeRecursively();
        ASSERT_TRUE(run(QStringLiteral("cp"), {QStringLiteral("-a"), from, to}));
    }

    // Every point on disk restores by hand: to the source at its run where it is one the test knows.
    void checkRestorable(const QMap<QString, Tree>& sourceAt, const QString& where)
    {
        for (const HistoryPoint& point : ReadSetHistory(m_set).points()) {
            const QString folder = home.filePath("restored");
            QDir(folder).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(folder));
            const QString full = QFileInfo(point.path).absolutePath() + "/docs.7z";
            ASSERT_TRUE(QFileInfo::exists(full))
                << where.toStdString() << ": " << point.path.toStdString() << " has no full archive beside it";
            ASSERT_TRUE(extract(full, folder)) << where.toStdString();
            if (!point.full) {
                ASSERT_TRUE(extract(point.path, folder)) << where.toStdString();
            }
            ASSERT_EQ(treeContents(folder), sourceAt.value(point.stamp))
                << where.toStdString() << " " << point.stamp.toStdString();
        }
    }

    BackupSet m_set;
    qint32 m_savedChainLength = 0;
};

} // namespace

TEST_F(InterruptedPruneTest, ThinningCutShortAfterAnyStepLeavesEveryKeptPointRestorable)
{
    // Three chains of three, two and three runs, a day apart; the default policy keeps them all.
    MutableSettings().chainLength = 2;
    const quint32 id = addSet(IncrementalArchiving);
    QMap<QString, Tree> sourceAt;
    QStringList stamps;
    for (int day = 0; day < 8; ++day) {
        writeFile(source + "/day.txt", QByteArray::number(day));
        if (day == 4)
            QFile::remove(source + "/a.txt");
        const QDateTime time(QDate(2026, 2, 1 + day), QTime(10, 0));
        qputenv("VELMORA_NOW", time.toString(Qt::ISODate).toUtf8());
        ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
        stamps.append(RestoreStamp(time));
        sourceAt.insert(stamps.last(), treeContents(source));
    }
    ASSERT_TRUE(GetBackupSet(id, m_set));
    ASSERT_EQ(stampsOf(ReadSetHistory(m_set)).size(), 8);
    const QString pristine = home.filePath("pristine");
    copyTree(destination, pristine);

    // Only the last two and one pinned update archive of the oldest chain: its full archive stays for it, the
    // middle chain goes whole, and the oldest chain's other update archive goes.
    m_set.keepLast = 2;
    m_set.keepHourly = m_set.keepDaily = m_set.keepWeekly = m_set.keepMonthly = m_set.keepYearly = 0;
    m_set.pinned = QStringList {stamps.at(1)};
    const QSet<QString> expected {stamps.at(0), stamps.at(1), stamps.at(6), stamps.at(7)};

    int steps = 0;
    for (int stopAfter = 1;; ++stopAfter) {
        copyTree(pristine, destination);
        const PruneOutcome cut = PruneSetHistory(m_set, false, [&](int step) { return step < stopAfter; });
        ASSERT_TRUE(cut.failures.isEmpty()) << cut.failures.join("; ").toStdString();
        const QString where = "stopped after step " + QString::number(stopAfter);
        const QSet<QString> left = stampsOf(ReadSetHistory(m_set));
        for (const QString& stamp : expected)
            ASSERT_TRUE(left.contains(stamp)) << where.toStdString() << ": " << stamp.toStdString() << " went";
        checkRestorable(sourceAt, where);
        if (HasFatalFailure())
            return;
        // The next thinning finishes what this one left.
        const PruneOutcome next = PruneSetHistory(m_set);
        ASSERT_TRUE(next.failures.isEmpty());
        ASSERT_EQ(stampsOf(ReadSetHistory(m_set)), expected) << where.toStdString();
        if (!cut.ended) {
            steps = stopAfter;
            break;
        }
    }
    // Five steps (three update archives, a full archive, its folder): the sixth run went to the end.
    EXPECT_EQ(steps, 6);
    checkRestorable(sourceAt, "at the end");
    EXPECT_EQ(QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
}

TEST_F(InterruptedPruneTest, AMirrorVersionGoesHiddenFirstAndIsRemovedWithoutFollowingLinks)
{
    m_set = docsSet(MirrorCopying);
    m_set.keepLast = 2;
    m_set.keepHourly = m_set.keepDaily = m_set.keepWeekly = m_set.keepMonthly = m_set.keepYearly = 0;
    const QString history = MirrorFolder(m_set) + ".history";
    const QString outside = home.filePath("elsewhere");
    makeTree(outside, {{"precious.txt", "not the set's"}});
    const QStringList stamps
        = {"2026-02-01_10h00m00s", "2026-02-02_10h00m00s", "2026-02-03_10h00m00s", "2026-02-04_10h00m00s"};
    const QString pristine = home.filePath("pristine");
    for (const QString& stamp : stamps) {
        const QString version = pristine + "/" + stamp;
        makeTree(version, {{"a.txt", stamp.toUtf8()}, {"deep/er/b.txt", "b"}, {"locked/c.txt", "c"}});
        // Links into someone else's folder, to a folder and to a file: removed as links, never followed.
        ASSERT_TRUE(QFile::link(outside, version + "/deep/to-elsewhere"));
        ASSERT_TRUE(QFile::link(outside + "/precious.txt", version + "/locked/to-file"));
        // rsync keeps a folder's rights: one without write permission still goes.
        ASSERT_EQ(::chmod(QFile::encodeName(version + "/locked").constData(), 0555), 0);
    }
    const QStringList expected {stamps.at(2), stamps.at(3)};
    auto restoreRights = [&] {
        if (QFileInfo::exists(history))
            QProcess::execute("chmod", {"-R", "u+w", history});
    };

    int steps = 0;
    for (int stopAfter = 1;; ++stopAfter) {
        restoreRights();
        copyTree(pristine, history);
        const PruneOutcome cut = PruneSetHistory(m_set, false, [&](int step) { return step < stopAfter; });
        ASSERT_TRUE(cut.failures.isEmpty()) << cut.failures.join("; ").toStdString();
        // Whatever is still listed is a whole version, and the kept ones are as they were.
        for (const MirrorVersionFolder& version : ReadSetHistory(m_set).mirrorVersions) {
            ASSERT_EQ(readFile(version.path + "/a.txt"), version.stamp.toUtf8()) << stopAfter;
            ASSERT_EQ(readFile(version.path + "/locked/c.txt"), "c") << stopAfter;
            ASSERT_EQ(readFile(version.path + "/deep/er/b.txt"), "b") << stopAfter;
        }
        for (const QString& stamp : expected)
            ASSERT_TRUE(QFileInfo::exists(history + "/" + stamp + "/a.txt")) << stopAfter;
        ASSERT_EQ(readFile(outside + "/precious.txt"), "not the set's") << stopAfter;
        ASSERT_TRUE(QFileInfo(outside).isDir());
        // The next thinning finishes a hidden leftover.
        ASSERT_TRUE(PruneSetHistory(m_set).failures.isEmpty());
        ASSERT_EQ(QDir(history).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
            QStringList({stamps.at(2), stamps.at(3)}))
            << stopAfter;
        if (!cut.ended) {
            steps = stopAfter;
            break;
        }
    }
    // Four steps (each of the two versions renamed, then removed): the fifth run went to the end.
    EXPECT_EQ(steps, 5);
    EXPECT_EQ(readFile(outside + "/precious.txt"), "not the set's");
    restoreRights();
}

TEST_F(InterruptedPruneTest, ARemovalThatFailsIsAWarningOfAGoodRunAndKeepsWhatTheStuckPointNeeds)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a read-only bind mount needs root";
    MutableSettings().chainLength = 1;
    const quint32 id = addSet(IncrementalArchiving);
    auto runOn = [&](int day) {
        writeFile(source + "/day.txt", QByteArray::number(day));
        qputenv("VELMORA_NOW", QStringLiteral("2026-06-0%1T07:00:00").arg(day).toUtf8());
        return ArchiveJob(id);
    };
    for (int day = 1; day <= 4; ++day)
        ASSERT_EQ(runOn(day).outcome, JobOutcome::Done);
    // The oldest chain's folder can no longer be changed (a disk gone read-only there, say).
    const QString stuck = destination + "/docs.history/2026-06-01_07h00m00s";
    ASSERT_TRUE(QFileInfo::exists(stuck + "/docs_upd_2026-06-02_07h00m00s.7z"));
    ASSERT_EQ(QProcess::execute("mount", {"--bind", stuck, stuck}), 0);
    const bool readOnly = QProcess::execute("mount", {"-o", "remount,bind,ro", stuck}) == 0;
    ASSERT_TRUE(StampSetFileKeys("Docs",
        {{"KeepLast", "1"}, {"KeepHourly", "0"}, {"KeepDaily", "0"}, {"KeepWeekly", "0"}, {"KeepMonthly", "0"},
            {"KeepYearly", "0"}}));
    const JobResult result = runOn(5);
    QProcess::execute("umount", {stuck});
    ASSERT_TRUE(readOnly);

    // The backup is made; what could not be removed is a warning, and its full archive stays for it.
    EXPECT_EQ(result.outcome, JobOutcome::Done);
    EXPECT_TRUE(result.warning.contains("old restore points could not be removed and were kept"))
        << result.warning.toStdString();
    EXPECT_TRUE(result.hasWarnings());
    EXPECT_TRUE(QFileInfo::exists(stuck + "/docs_upd_2026-06-02_07h00m00s.7z"));
    EXPECT_TRUE(QFileInfo::exists(stuck + "/docs.7z"));
    // The chain that could go went whole.
    EXPECT_FALSE(QFileInfo::exists(destination + "/docs.history/2026-06-03_07h00m00s"));
    ASSERT_TRUE(GetBackupSet(id, m_set));
    EXPECT_EQ(ReadSetHistory(m_set).pointCount(), 3);
}

TEST_F(InterruptedPruneTest, AGoodMirrorRunThinsTheMirrorsVersionFolders)
{
    const quint32 id = addSet(MirrorCopying);
    ASSERT_TRUE(GetBackupSet(id, m_set));
    const QString history = MirrorFolder(m_set) + ".history";
    for (const char* stamp : {"2026-01-05_10h00m00s", "2026-02-05_10h00m00s", "2026-03-05_10h00m00s"})
        makeTree(history + "/" + stamp, {{"replaced.txt", stamp}});
    ASSERT_TRUE(StampSetFileKeys("Docs",
        {{"KeepLast", "2"}, {"KeepHourly", "0"}, {"KeepDaily", "0"}, {"KeepWeekly", "0"}, {"KeepMonthly", "0"},
            {"KeepYearly", "0"}}));
    const JobResult result = RunSetJob(id);
    ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    EXPECT_TRUE(result.warning.isEmpty()) << result.warning.toStdString();
    // The run's own version folder, where rsync made one, is the newest and stays with the one before it.
    const QStringList left = QDir(history).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left.size(), 2) << left.join(' ').toStdString();
    EXPECT_TRUE(left.contains("2026-03-05_10h00m00s")) << left.join(' ').toStdString();
    EXPECT_FALSE(left.contains("2026-01-05_10h00m00s"));
}
