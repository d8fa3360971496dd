// A year of runs on a clock the test sets: after each run the points on disk are the ones the retention policy
// keeps, worked out here from every run ever made, and at the end each of them restores, by hand with 7-Zip, to
// the source as it was at that run.

#include "JobFixture.h"
#include "Jobs.h"
#include "SetHistory.h"
#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace {

struct MadePoint
{
    QDateTime time;
    int chain = 0;
    bool full = false;
};

QString stampOf(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd_HH'h'mm'm'ss's'"));
}

// The stamps a policy keeps out of every point ever made, oldest first in made: the newest point, the last
// `last`, the newest of each of the newest N hours, days, weeks, months and years with a point, and a full
// archive with any kept point of its chain or of the current chain.
QSet<QString> expectedKept(const QList<MadePoint>& made, const BackupSet& policy)
{
    QList<qsizetype> newestFirst;
    for (qsizetype i = made.size() - 1; i >= 0; --i)
        newestFirst.append(i);
    QSet<qsizetype> kept;
    for (qsizetype n = 0; n < newestFirst.size() && n < std::max(1, policy.keepLast); ++n)
        kept.insert(newestFirst.at(n));
    auto newestPerPeriod = [&](int periods, const QString& form) {
        QStringList seen;
        for (const qsizetype i : newestFirst) {
            const QDateTime time = made.at(i).time;
            QString period = time.toString(form);
            if (form == QLatin1String("week")) {
                int year = 0;
                const int week = time.date().weekNumber(&year);
                period = QString::number(year) + QLatin1Char('/') + QString::number(week);
            }
            if (seen.contains(period))
                continue;
            if (seen.size() == periods)
                return;
            seen.append(period);
            kept.insert(i);
        }
    };
    newestPerPeriod(policy.keepHourly, QStringLiteral("yyyyMMddHH"));
    newestPerPeriod(policy.keepDaily, QStringLiteral("yyyyMMdd"));
    newestPerPeriod(policy.keepWeekly, QStringLiteral("week"));
    newestPerPeriod(policy.keepMonthly, QStringLiteral("yyyyMM"));
    newestPerPeriod(policy.keepYearly, QStringLiteral("yyyy"));
    QSet<int> chains {made.last().chain};
    for (const qsizetype i : std::as_const(kept))
        chains.insert(made.at(i).chain);
    QSet<QString> stamps;
    for (qsizetype i = 0; i < made.size(); ++i) {
        if (kept.contains(i) || (made.at(i).full && chains.contains(made.at(i).chain)))
            stamps.insert(stampOf(made.at(i).time));
    }
    return stamps;
}

using Tree = QMap<QString, QByteArray>;

bool extract(const QString& archive, const QString& folder)
{
    QProcess sevenZip;
    sevenZip.start(QStandardPaths::findExecutable(QStringLiteral("7zz")),
        {QStringLiteral("x"), QStringLiteral("-y"), QStringLiteral("-aoa"), QStringLiteral("-o") + folder, archive});
    return sevenZip.waitForFinished(60000) && sevenZip.exitStatus() == QProcess::NormalExit && sevenZip.exitCode() == 0;
}

class HistoryYearTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        m_savedChainLength = Settings().chainLength;
        QFile::remove(source + "/sub/b.txt");
    }
    void TearDown() override
    {
        qunsetenv("VELMORA_NOW");
        MutableSettings().chainLength = m_savedChainLength;
        JobFixture::TearDown();
    }

    quint32 addYearSet(qint32 backupType)
    {
        BackupSet set = docsSet(backupType);
        set.keepLast = 3;
        set.keepHourly = 6;
        set.keepDaily = 7;
        set.keepWeekly = 4;
        set.keepMonthly = 6;
        set.keepYearly = 2;
        m_policy = set;
        const quint32 id = AddBackupSet(set);
        SaveBackupSet(id);
        // A new set takes the default policy; the file then gets this one.
        EXPECT_TRUE(StampSetFileKeys(set.name,
            {{"KeepLast", "3"}, {"KeepHourly", "6"}, {"KeepDaily", "7"}, {"KeepWeekly", "4"}, {"KeepMonthly", "6"},
                {"KeepYearly", "2"}}));
        return id;
    }

    // Hourly runs for two and a half days from June, then one a day at noon for a year, with days missed.
    static QList<QDateTime> runTimes(int hourly, int dayStep)
    {
        QList<QDateTime> times;
        const QDateTime start(QDate(2025, 6, 2), QTime(9, 0));
        for (int hour = 0; hour < hourly; ++hour)
            times.append(start.addSecs(qint64(hour) * 3600));
        for (int day = 4; day < 365; day += dayStep) {
            // A holiday without the disk, and now and then a day without a run.
            if ((day >= 150 && day < 162) || day % 9 == 5)
                continue;
            times.append(QDateTime(start.date().addDays(day), QTime(12, 0)));
        }
        return times;
    }

    // Changes the source a little, differently each run.
    void changeSource(int run)
    {
        writeFile(source + "/counter.txt", QByteArray::number(run));
        if (run % 3 == 0)
            writeFile(source + QStringLiteral("/notes/n%1.txt").arg(run % 7), "note of run " + QByteArray::number(run));
        if (run % 11 == 0)
            QFile::remove(source + QStringLiteral("/notes/n%1.txt").arg((run / 11) % 7));
    }

    // The stamps of the points on disk: each full archive's by its time, each update archive's by its name.
    QSet<QString> stampsOnDisk() const
    {
        QSet<QString> stamps;
        QStringList folders {destination};
        const QDir history(destination + "/docs.history");
        for (const QString& name : history.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
            folders.append(history.filePath(name));
        for (const QString& folder : folders) {
            for (const QString& name : QDir(folder).entryList({"docs*.7z"}, QDir::Files | QDir::Hidden)) {
                if (name == QLatin1String("docs.7z"))
                    stamps.insert(stampOf(QFileInfo(folder + "/" + name).lastModified()));
                else if (name.startsWith(QLatin1String("docs_upd_")))
                    stamps.insert(name.mid(9, name.size() - 9 - 3));
            }
        }
        return stamps;
    }

    // Runs the set at each time and checks the points after each run; then restores every kept point by hand.
    void runYear(quint32 id, const QList<QDateTime>& times, bool incremental)
    {
        QList<MadePoint> made;
        QMap<QString, Tree> sourceAt;
        int chain = 0;
        for (qsizetype run = 0; run < times.size(); ++run) {
            changeSource(int(run));
            qputenv("VELMORA_NOW", times.at(run).toString(Qt::ISODate).toUtf8());
            const JobResult result = ArchiveJob(id);
            ASSERT_EQ(result.outcome, JobOutcome::Done) << run << " " << result.reason.toStdString();
            ASSERT_TRUE(result.warning.isEmpty()) << run << " " << result.warning.toStdString();
            // A chain has its full archive and chainLength update runs, however many thinning left.
            const bool full = !incremental || run % (Settings().chainLength + 1) == 0;
            if (full && run > 0)
                ++chain;
            made.append({times.at(run), chain, full});
            sourceAt.insert(stampOf(times.at(run)), treeContents(source));
            const QSet<QString> expected = expectedKept(made, m_policy);
            const QSet<QString> found = stampsOnDisk();
            ASSERT_EQ(found, expected) << "after run " << run << " at " << stampOf(times.at(run)).toStdString();
        }
        qunsetenv("VELMORA_NOW");

        // Every kept point, as a person would restore it with 7-Zip alone.
        int restored = 0;
        for (const HistoryPoint& point : ReadSetHistory(m_policy).points()) {
            const QString folder = home.filePath("restored/" + point.stamp);
            ASSERT_TRUE(QDir().mkpath(folder));
            const QString chainFolder = QFileInfo(point.path).absolutePath();
            ASSERT_TRUE(extract(chainFolder + "/docs.7z", folder)) << point.path.toStdString();
            if (!point.full) {
                ASSERT_TRUE(extract(point.path, folder)) << point.path.toStdString();
            }
            EXPECT_EQ(treeContents(folder), sourceAt.value(point.stamp)) << point.stamp.toStdString();
            ++restored;
        }
        EXPECT_GT(restored, 10);
    }

    BackupSet m_policy;
    qint32 m_savedChainLength = 0;
};

} // namespace

TEST_F(HistoryYearTest, AYearOfIncrementalRunsKeepsExactlyWhatThePolicySaysAndEveryKeptPointRestores)
{
    MutableSettings().chainLength = 9;
    runYear(addYearSet(IncrementalArchiving), runTimes(60, 1), true);
}

TEST_F(HistoryYearTest, AYearOfFullArchivesKeepsEachEarlierArchiveUntilThePolicyLetsItGo)
{
    runYear(addYearSet(FullArchiving), runTimes(30, 3), false);
}

TEST_F(HistoryYearTest, OnlyARunWhoseNewPointTestedGoodThinsTheHistory)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_TRUE(StampSetFileKeys("Docs",
        {{"VerifyArchive", "0"}, {"KeepLast", "1"}, {"KeepHourly", "0"}, {"KeepDaily", "0"}, {"KeepWeekly", "0"},
            {"KeepMonthly", "0"}, {"KeepYearly", "0"}}));
    auto runOn = [&](int day) {
        writeFile(source + "/day.txt", QByteArray::number(day));
        qputenv("VELMORA_NOW", QStringLiteral("2026-05-%1T18:00:00").arg(day, 2, 10, QLatin1Char('0')).toUtf8());
        return ArchiveJob(id);
    };
    for (int day = 1; day <= 4; ++day)
        ASSERT_EQ(runOn(day).outcome, JobOutcome::Done);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    // Untested, a new point proves nothing: every older point stays.
    EXPECT_EQ(ReadSetHistory(set).pointCount(), 4);

    ASSERT_TRUE(StampSetFileKeys("Docs", {{"VerifyArchive", "1"}}));
    const JobResult tested = runOn(5);
    ASSERT_EQ(tested.outcome, JobOutcome::Done);
    // Thinning that went well adds nothing to the result.
    EXPECT_TRUE(tested.warning.isEmpty()) << tested.warning.toStdString();
    EXPECT_EQ(updateArchives(), QStringList({"docs_upd_2026-05-05_18h00m00s.7z"}));
    EXPECT_TRUE(QFileInfo::exists(fullArchive()));
}
