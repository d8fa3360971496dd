#include "ArchivePath.h"
#include "DestinationDisk.h"
#include "JobFixture.h"
#include "MountTable.h"
#include "SpaceCheck.h"

#include <QDir>
#include <QFile>

namespace {

class DestinationChecksTest : public JobFixture
{
protected:
    QString storedSet(const QString& name) const { return QString::fromUtf8(readFile(setFile(name))); }
};

// The source as JobFixture makes it: "alpha", "beta", "gamma".
constexpr qint64 kFixtureSourceBytes = 14;

} // namespace

TEST_F(DestinationChecksTest, TheSpaceNeededFollowsThePreviousArchivesOrTheSource)
{
    writeFile(source + "/big.bin", QByteArray(99986, 'x'));
    BackupSet set = docsSet(IncrementalArchiving);
    EXPECT_EQ(SpaceNeeded(set), (99986 + kFixtureSourceBytes) / kFirstArchiveShrink);
    // The level that stores cannot shrink anything.
    set.compLevel = 0;
    EXPECT_EQ(SpaceNeeded(set), 99986 + kFixtureSourceBytes);
    set.compLevel = 3;

    // An update run: the chain's largest update archive, whatever the full archive's size.
    writeFile(destination + "/docs.7z", QByteArray(5000, 'f'));
    EXPECT_EQ(SpaceNeeded(set), 0) << "no update archive yet to judge by";
    writeFile(destination + "/docs_upd_2026-12-01_10h00m00s.7z", QByteArray(300, 'u'));
    writeFile(destination + "/docs_upd_2026-12-02_10h00m00s.7z", QByteArray(700, 'u'));
    EXPECT_EQ(SpaceNeeded(set), 700);
    // A chain at its length starts a new full archive beside the old one.
    MutableSettings().chainLength = 2;
    EXPECT_EQ(SpaceNeeded(set), 5000);
    EXPECT_EQ(SpaceNeeded(docsSet(FullArchiving)), 5000);
}

TEST_F(DestinationChecksTest, AMirrorNeedsWhatTheSourceHoldsBeyondTheMirror)
{
    BackupSet set = docsSet(MirrorCopying);
    writeFile(source + "/big.bin", QByteArray(1000, 'x'));
    EXPECT_EQ(SpaceNeeded(set), 1000 + kFixtureSourceBytes);
    writeFile(MirrorFolder(set) + "/old.bin", QByteArray(400, 'o'));
    EXPECT_EQ(SpaceNeeded(set), 600 + kFixtureSourceBytes);
    writeFile(MirrorFolder(set) + "/older.bin", QByteArray(4000, 'o'));
    EXPECT_EQ(SpaceNeeded(set), 0);
    // Excluded files would count for files rsync never copies.
    writeFile(MirrorFolder(set) + "/older.bin", "");
    AddExType(set, QStringLiteral("*.bin"));
    EXPECT_EQ(SpaceNeeded(set), 0);
}

TEST_F(DestinationChecksTest, TheMountHoldingAFolderIsTheInnermost)
{
    const std::optional<MountEntry> proc = MountHolding(QStringLiteral("/proc/self"));
    ASSERT_TRUE(proc.has_value());
    EXPECT_EQ(proc->point, "/proc");
    EXPECT_EQ(proc->fsType, "proc");
    const std::optional<MountEntry> root = MountHolding(QStringLiteral("/"));
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->point, "/");
}

TEST_F(DestinationChecksTest, TheFirstSuccessRecordsTheDiskAndAnotherIsRefusedUntilTheUserSaysYes)
{
    const quint32 id = addSet(FullArchiving);
    EXPECT_TRUE(DiskOfFolder(destination).isEmpty()) << "nothing is written before a run";
    ASSERT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
    const QString recorded = MarkDiskOfFolder(destination);
    EXPECT_TRUE(storedSet("Docs").contains("DestinationDisk=" + recorded + "\n")) << storedSet("Docs").toStdString();

    // The set remembers another disk: what the bare mount point of an unplugged one shows.
    ASSERT_TRUE(StampSetFileKeys("Docs", {{kDestinationDiskKey, "marker:elsewhere tmpfs tmpfs"}}));
    const QByteArray archive = readFile(fullArchive());
    writeFile(source + "/new.txt", "new");
    const JobResult refused = RunSetJob(id);
    ASSERT_EQ(refused.outcome, JobOutcome::DestinationDiskChanged);
    EXPECT_EQ(refused.reason,
        QStringLiteral("The destination '%1' is not on the disk it was on. Is the disk connected?").arg(destination));
    EXPECT_EQ(readFile(fullArchive()), archive);

    // No, the default, changes nothing.
    ReportJobResult(refused);
    ASSERT_EQ(messages.questions().size(), 1);
    EXPECT_TRUE(messages.questions().constFirst().contains(refused.reason));
    EXPECT_EQ(RunSetJob(id).outcome, JobOutcome::DestinationDiskChanged);
    messages.setNextAnswer(true);
    ReportJobResult(refused);
    EXPECT_TRUE(storedSet("Docs").contains("DestinationDisk=" + MarkDiskOfFolder(destination) + "\n"));
    EXPECT_EQ(RunSetJob(id).outcome, JobOutcome::Done);
    EXPECT_TRUE(archiveEntries(fullArchive()).contains("new.txt"));
}
