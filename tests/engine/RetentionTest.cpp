#include "Retention.h"
#include "EngineTestSupport.h"
#include "SetHistory.h"
#include "TempHome.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

HistoryArchive archiveAt(const QDateTime& time)
{
    return {QStringLiteral("/dest/") + RestoreStamp(time), RestoreStamp(time), time};
}

// A chain with its full archive at the first time and an update archive at each of the others.
HistoryChain chainOf(const QList<QDateTime>& times, bool current)
{
    HistoryChain chain;
    chain.stamp = current ? QString() : RestoreStamp(times.first());
    chain.full = archiveAt(times.first());
    for (qsizetype i = 1; i < times.size(); ++i)
        chain.updates.append(archiveAt(times.at(i)));
    return chain;
}

QStringList keptStamps(const QList<RetentionVerdict>& verdicts)
{
    QStringList kept;
    for (const RetentionVerdict& verdict : verdicts) {
        if (verdict.kept())
            kept.append(verdict.point.stamp);
    }
    return kept;
}

QString reasonsOf(const QList<RetentionVerdict>& verdicts, const QDateTime& time)
{
    for (const RetentionVerdict& verdict : verdicts) {
        if (verdict.point.time == time)
            return KeepReasonWords(verdict.reasons);
    }
    return QStringLiteral("absent");
}

QDateTime at(int month, int day, int hour)
{
    return {QDate(2026, month, day), QTime(hour, 0)};
}

} // namespace

TEST(Retention, EachRuleKeepsTheNewestPointOfItsPeriodsAndAFullArchiveStaysWithItsChain)
{
    // Three kept chains and the current one: hourly runs on 1 March, daily ones after, one in April.
    SetHistory history;
    history.chains
        = {chainOf({at(4, 2, 9), at(4, 2, 10)}, true), chainOf({at(3, 4, 9), at(3, 5, 9), at(3, 6, 9)}, false),
            chainOf({at(3, 1, 9), at(3, 1, 10), at(3, 1, 11), at(3, 2, 9)}, false), chainOf({at(1, 15, 9)}, false)};
    RetentionPolicy policy {2, 3, 4, 0, 2, 0};

    const QList<RetentionVerdict> verdicts = ApplyRetention(history, policy, {});
    ASSERT_EQ(verdicts.size(), 10);
    EXPECT_EQ(reasonsOf(verdicts, at(4, 2, 10)), "newest,last,hourly,daily,monthly");
    EXPECT_EQ(reasonsOf(verdicts, at(4, 2, 9)), "last,hourly,chain") << "the current chain's full archive stays";
    // Hourly takes the third hour with a point; daily the newest of each of four days.
    EXPECT_EQ(reasonsOf(verdicts, at(3, 6, 9)), "hourly,daily,monthly");
    EXPECT_EQ(reasonsOf(verdicts, at(3, 5, 9)), "daily");
    EXPECT_EQ(reasonsOf(verdicts, at(3, 4, 9)), "daily,chain");
    // The chain of 1 March keeps no point of its own: all of it goes, its full archive with it.
    for (const QDateTime& gone : {at(3, 2, 9), at(3, 1, 11), at(3, 1, 10), at(3, 1, 9), at(1, 15, 9)})
        EXPECT_EQ(reasonsOf(verdicts, gone), "policy") << gone.toString().toStdString();

    // A pin keeps an update archive, and so its full archive; the January chain's one archive by its own pin.
    const QList<RetentionVerdict> pinned
        = ApplyRetention(history, policy, {RestoreStamp(at(3, 1, 11)), RestoreStamp(at(1, 15, 9))});
    EXPECT_EQ(reasonsOf(pinned, at(3, 1, 11)), "pinned");
    EXPECT_EQ(reasonsOf(pinned, at(3, 1, 9)), "chain");
    EXPECT_EQ(reasonsOf(pinned, at(3, 1, 10)), "policy");
    EXPECT_EQ(reasonsOf(pinned, at(1, 15, 9)), "pinned,chain");

    // Every rule off: the newest point and its full archive are all that stays.
    EXPECT_EQ(keptStamps(ApplyRetention(history, {0, 0, 0, 0, 0, 0}, {})),
        QStringList({RestoreStamp(at(4, 2, 10)), RestoreStamp(at(4, 2, 9))}));
    EXPECT_TRUE(ApplyRetention(SetHistory(), policy, {}).isEmpty());
}

TEST(Retention, WeeksAreIsoWeeksAndYearsCalendarYears)
{
    SetHistory history;
    // 31 December 2026 is a Thursday of ISO week 53; 4 January 2027 starts week 1.
    history.chains = {chainOf({QDateTime(QDate(2026, 12, 28), QTime(8, 0)), QDateTime(QDate(2026, 12, 31), QTime(8, 0)),
                                  QDateTime(QDate(2027, 1, 3), QTime(8, 0)), QDateTime(QDate(2027, 1, 4), QTime(8, 0))},
        true)};
    const QList<RetentionVerdict> weekly = ApplyRetention(history, {0, 0, 0, 2, 0, 0}, {});
    EXPECT_EQ(reasonsOf(weekly, QDateTime(QDate(2027, 1, 4), QTime(8, 0))), "newest,weekly");
    EXPECT_EQ(reasonsOf(weekly, QDateTime(QDate(2027, 1, 3), QTime(8, 0))), "weekly");
    EXPECT_EQ(reasonsOf(weekly, QDateTime(QDate(2026, 12, 31), QTime(8, 0))), "policy");
    const QList<RetentionVerdict> yearly = ApplyRetention(history, {0, 0, 0, 0, 0, 2}, {});
    EXPECT_EQ(reasonsOf(yearly, QDateTime(QDate(2026, 12, 31), QTime(8, 0))), "yearly");
    EXPECT_EQ(reasonsOf(yearly, QDateTime(QDate(2027, 1, 3), QTime(8, 0))), "policy");
}

TEST(SetHistory, ReadsTheKeptChainsFromTheDiskAndPassesOverWhatIsNotTheSets)
{
    TempHome home;
    const QString target = home.filePath("Backup");
    const QString outside = home.filePath("elsewhere");
    makeTree(target,
        {{"docs.7z", "full"}, {"docs_upd_2026-12-01_10h00m00s.7z", "u1"}, {"docs_upd_junk.7z", "j"},
            {"docs.history/2026-01-01_10h00m00s/docs.7z", "old"},
            {"docs.history/2026-01-01_10h00m00s/docs_upd_2026-01-02_10h00m00s.7z", "old"},
            {"docs.history/2026-02-01_10h00m00s/docs_upd_2026-02-02_10h00m00s.7z", "orphan"},
            {"docs.history/2026-03-01_10h00m00s/notes.txt", "mine"}, {"docs.history/..2026/docs.7z", "odd"}});
    makeTree(outside, {{"docs.7z", "planted"}, {"docs_upd_2026-05-01_10h00m00s.7z", "planted"}});
    ASSERT_EQ(
        ::symlink(outside.toUtf8().constData(), (target + "/docs.history/2026-04-01_10h00m00s").toUtf8().constData()),
        0);
    ASSERT_EQ(::symlink((outside + "/docs_upd_2026-05-01_10h00m00s.7z").toUtf8().constData(),
                  (target + "/docs_upd_2026-05-01_10h00m00s.7z").toUtf8().constData()),
        0);

    const SetHistory history = ReadSetHistory(MakeSet("/src", target, IncrementalArchiving));
    EXPECT_EQ(history.folder, target + "/docs.history");
    ASSERT_EQ(history.chains.size(), 3);
    EXPECT_TRUE(history.chains.at(0).isCurrent());
    EXPECT_EQ(history.chains.at(0).updates.size(), 1) << "a linked update archive is no point of the set";
    // Newest kept chain first; a chain folder with an update archive alone is still listed, without a full archive.
    EXPECT_EQ(history.chains.at(1).stamp, "2026-02-01_10h00m00s");
    EXPECT_FALSE(history.chains.at(1).hasFull());
    EXPECT_EQ(history.chains.at(2).updates.constFirst().stamp, "2026-01-02_10h00m00s");
    EXPECT_EQ(history.pointCount(), 5);
    // The full archives written just now are the newest points here.
    EXPECT_EQ(history.oldestTime(), RestoreStampTime("2026-01-02_10h00m00s"));

    // A link in place of the history folder leads elsewhere: no kept chain is read through it.
    QDir(target + "/docs.history").removeRecursively();
    ASSERT_EQ(::symlink(outside.toUtf8().constData(), (target + "/docs.history").toUtf8().constData()), 0);
    EXPECT_EQ(ReadSetHistory(MakeSet("/src", target, IncrementalArchiving)).chains.size(), 1);
}
