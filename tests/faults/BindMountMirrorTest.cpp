#include "FolderIdentity.h"
#include "JobFixture.h"

#include <QDirIterator>
#include <QProcess>

#include <algorithm>

namespace {

// Every file below the folder with its content, so that a deletion or a change anywhere shows.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), readFile(path));
    }
    return files;
}

} // namespace

// One folder seen under two paths, as a bind mount, an export of a local disk or a disk mounted twice shows it.
class BindMountMirrorTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        makeTree(destination, {{"Docs/old.txt", "last mirror"}, {"Unrelated/keep.txt", "not ours"}});
    }
    void TearDown() override
    {
        // Before the temporary home is removed, which would otherwise reach through the mounts.
        std::for_each(m_mounts.rbegin(), m_mounts.rend(), [](const QString& point) {
            if (QProcess::execute("umount", {point}) != 0)
                QProcess::execute("umount", {"-l", point});
        });
        JobFixture::TearDown();
    }

    bool bindMount(const QString& folder, const QString& point)
    {
        QDir().mkpath(point);
        QProcess mount;
        mount.start("mount", {"--bind", folder, point});
        if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0) {
            m_mountError = QString::fromLocal8Bit(mount.readAllStandardError()) + mount.errorString();
            return false;
        }
        m_mounts.append(point);
        return true;
    }

    JobResult mirrorJob(const QString& setSource)
    {
        backupSets.clear();
        BackupSet set;
        set.name = QStringLiteral("Docs");
        set.source = setSource;
        set.target = destination;
        set.backupType = MirrorCopying;
        return MirrorJob(AddBackupSet(set));
    }

    QStringList m_mounts;
    QString m_mountError;
};

TEST_F(BindMountMirrorTest, ASourceReachedThroughAMountOfTheDestinationIsRefused)
{
    const QString view = home.filePath("Other View");
    if (!bindMount(destination, view))
        GTEST_SKIP() << "mounting is not permitted here: " << m_mountError.toStdString();
    makeTree(destination, {{"Docs/sub/a.txt", "in the mirror's sub-folder"}});
    const QMap<QString, QByteArray> before = snapshot(home.path());

    // The mirror folder is My Disk/Docs; no source path below starts with it.
    const struct
    {
        const char* source;
        FolderOverlap overlap;
    } cases[] = {
        {"Other View/Docs", FolderOverlap::Same},
        {"Other View", FolderOverlap::MirrorInsideSource},
        {"Other View/Docs/sub", FolderOverlap::SourceInsideMirror},
    };
    for (const auto& c : cases) {
        const QString setSource = home.filePath(c.source);
        EXPECT_EQ(MirrorOverlap(setSource, destination + "/Docs"), c.overlap) << c.source;
        const JobResult result = mirrorJob(setSource);
        EXPECT_EQ(result.outcome, JobOutcome::MirrorUnsafe) << c.source;
        EXPECT_TRUE(result.reason.contains(destination + "/Docs")) << result.reason.toStdString();
    }
    EXPECT_EQ(snapshot(home.path()), before);
}

TEST_F(BindMountMirrorTest, AMountInsideTheSourceShowingTheMirrorIsRefused)
{
    // rsync -a crosses mount points: it would copy the mirror into itself, layer on layer.
    if (!bindMount(destination, source + "/my backup"))
        GTEST_SKIP() << "mounting is not permitted here: " << m_mountError.toStdString();
    const QMap<QString, QByteArray> before = snapshot(home.path());
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::MirrorUnsafe);
    // Also before the first run, when the mirror folder does not exist yet.
    QDir(destination + "/Docs").removeRecursively();
    const QMap<QString, QByteArray> withoutMirror = snapshot(home.path());
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::MirrorUnsafe);
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs"));
    EXPECT_EQ(snapshot(home.path()), withoutMirror);
}

TEST_F(BindMountMirrorTest, AMountInsideTheMirrorShowingTheSourceIsRefused)
{
    // --delete would empty the mounted folder, which is the source, since the source holds no such folder.
    if (!bindMount(source, destination + "/Docs/linked source"))
        GTEST_SKIP() << "mounting is not permitted here: " << m_mountError.toStdString();
    const QMap<QString, QByteArray> before = snapshot(home.path());
    EXPECT_EQ(MirrorOverlap(source, destination + "/Docs"), FolderOverlap::SourceInsideMirror);
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::MirrorUnsafe);
    EXPECT_EQ(snapshot(home.path()), before);
}

TEST_F(BindMountMirrorTest, AMountOfAnUnrelatedFolderInsideTheSourceIsCopied)
{
    const QString elsewhere = home.filePath("elsewhere");
    makeTree(elsewhere, {{"e.txt", "mounted in"}});
    if (!bindMount(elsewhere, source + "/mounted"))
        GTEST_SKIP() << "mounting is not permitted here: " << m_mountError.toStdString();
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::Done);
    EXPECT_EQ(treeFiles(destination + "/Docs"), treeFiles(source));
    EXPECT_TRUE(treeFiles(source).contains("mounted/e.txt"));
    EXPECT_EQ(readFile(destination + "/Unrelated/keep.txt"), "not ours");
}
