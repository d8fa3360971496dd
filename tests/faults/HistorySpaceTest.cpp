// A destination too small for the next run: the run is refused before anything is written, the refusal names
// the oldest points the user could remove, and no point is removed to make room.

#include "JobFixture.h"
#include "SetHistory.h"

#include <QProcess>
#include <QRandomGenerator>

#include <unistd.h>

namespace {

class HistorySpaceTest : public JobFixture
{
protected:
    void TearDown() override
    {
        qunsetenv("VELMORA_NOW");
        if (m_mounted && QProcess::execute("umount", {destination}) != 0)
            QProcess::execute("umount", {"-l", destination});
        JobFixture::TearDown();
    }
    bool mountSmallDisk()
    {
        if (::geteuid() != 0)
            return false;
        m_mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", destination}) == 0;
        return m_mounted;
    }

private:
    bool m_mounted = false;
};

} // namespace

TEST_F(HistorySpaceTest, ARunThatDoesNotFitNamesTheOldestPointsAndRemovesNone)
{
    if (!mountSmallDisk())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    // Random bytes, which 7-Zip cannot shrink: each archive takes about 300 KiB.
    QByteArray random(qsizetype(300) * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    writeFile(source + "/big.bin", random);
    const quint32 id = addSet(FullArchiving);
    QStringList stamps;
    JobResult result;
    for (int day = 1; day <= 4; ++day) {
        writeFile(source + "/day.txt", QByteArray::number(day));
        qputenv("VELMORA_NOW", QStringLiteral("2026-04-0%1T09:30:00").arg(day).toUtf8());
        result = ArchiveJob(id);
        if (result.outcome != JobOutcome::Done)
            break;
        stamps.append(QStringLiteral("2026-04-0%1_09h30m00s").arg(day));
    }
    // Each earlier archive is kept, so the small disk fills up after three runs.
    ASSERT_EQ(stamps.size(), 3) << result.reason.toStdString() << readFile(result.logPath).toStdString();
    EXPECT_EQ(result.outcome, JobOutcome::SpaceTooShort);
    EXPECT_TRUE(result.reason.contains(
        "The oldest restore points, which you could remove to make room: " + stamps.at(0) + " ("))
        << result.reason.toStdString();
    EXPECT_TRUE(result.reason.contains(stamps.at(1))) << result.reason.toStdString();
    // The newest point and the archive in place are never offered.
    EXPECT_FALSE(result.reason.contains(stamps.at(2))) << result.reason.toStdString();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(ReadSetHistory(set).pointCount(), 3);
}
