#include "JobFixture.h"
#include "UserFolders.h"

#include <QDirIterator>
#include <QProcess>

// One folder seen under two paths, as a bind mount, an export of a local disk or a disk mounted twice shows it.
class BindMountMirrorTest : public JobFixture
{
protected:
    void TearDown() override
    {
        // Before the temporary home is removed, which would otherwise reach through the mounts.
        for (auto point = m_mounts.crbegin(); point != m_mounts.crend(); ++point) {
            if (QProcess::execute("umount", {*point}) != 0)
                QProcess::execute("umount", {"-l", *point});
        }
        JobFixture::TearDown();
    }
    bool bindMount(const QString& folder, const QString& point)
    {
        QDir().mkpath(point);
        if (QProcess::execute("mount", {"--bind", folder, point}) != 0)
            return false;
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
    // A set of the source's with its destination elsewhere, run by its kind.
    JobResult jobInto(const QString& target, qint32 backupType)
    {
        backupSets.clear();
        BackupSet set;
        set.name = QStringLiteral("Docs");
        set.arcName = QStringLiteral("docs");
        set.source = source;
        set.target = target;
        set.backupType = backupType;
        const quint32 id = AddBackupSet(set);
        return backupType == MirrorCopying ? MirrorJob(id) : ArchiveJob(id);
    }
    // Every file below the home with its content, so that a deletion or a change anywhere shows.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> files;
        const QString keptLogs = UserStateFolder();
        for (QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            // The log each run keeps is the only file a refused run may write.
            if (!path.startsWith(keptLogs + QLatin1Char('/')))
                files.insert(path, readFile(path));
        }
        return files;
    }

    QStringList m_mounts;
};

TEST_F(BindMountMirrorTest, ASourceReachedThroughAMountOfTheDestinationIsRefused)
{
    makeTree(destination, {{"Docs/sub/a.txt", "last mirror"}, {"Unrelated/keep.txt", "not ours"}});
    const QString view = home.filePath("Other View");
    if (!bindMount(destination, view))
        GTEST_SKIP() << "mounting is not permitted here";
    const QMap<QString, QByteArray> before = snapshot();
    // The mirror folder is "My Disk/Docs": the same folder as, inside, and holding these sources.
    for (const QString& setSource : {view + "/Docs", view, view + "/Docs/sub"}) {
        const JobResult result = mirrorJob(setSource);
        EXPECT_EQ(result.outcome, JobOutcome::MirrorUnsafe) << setSource.toStdString();
        EXPECT_TRUE(result.reason.contains(destination + "/Docs")) << result.reason.toStdString();
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BindMountMirrorTest, AMountInsideEitherFolderShowingTheOtherIsRefused)
{
    // rsync -a crosses mount points: it would copy the mirror into itself, layer on layer; before the first
    // run the mirror folder does not exist yet, and its parent is what the mount shows.
    if (!bindMount(destination, source + "/my backup"))
        GTEST_SKIP() << "mounting is not permitted here";
    QMap<QString, QByteArray> before = snapshot();
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::MirrorUnsafe);
    EXPECT_FALSE(QFileInfo::exists(destination + "/Docs"));
    EXPECT_EQ(snapshot(), before);

    // --delete would empty a mounted folder in the mirror that the source does not hold: here the source.
    const QString other = home.filePath("other");
    makeTree(other, {{"o.txt", "other"}});
    ASSERT_TRUE(bindMount(other, destination + "/Docs/linked"));
    source = other;
    before = snapshot();
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::MirrorUnsafe);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BindMountMirrorTest, AMountOfAnUnrelatedFolderInsideTheSourceIsCopied)
{
    makeTree(home.filePath("elsewhere"), {{"e.txt", "mounted in"}});
    if (!bindMount(home.filePath("elsewhere"), source + "/mounted"))
        GTEST_SKIP() << "mounting is not permitted here";
    EXPECT_EQ(mirrorJob(source).outcome, JobOutcome::Done);
    EXPECT_EQ(treeFiles(destination + "/Docs"), treeFiles(source));
    EXPECT_TRUE(treeFiles(source).contains("mounted/e.txt"));
}

TEST_F(BindMountMirrorTest, AnArchiveDestinationReachedThroughAMountOfTheSourceIsRefused)
{
    // The destination's path lies outside the source, but the folder is the source's own sub-folder.
    makeTree(source, {{"archives/keep.txt", "kept"}});
    const QString view = home.filePath("Archive View");
    if (!bindMount(source + "/archives", view))
        GTEST_SKIP() << "mounting is not permitted here";
    const QMap<QString, QByteArray> before = snapshot();
    const JobResult result = jobInto(view, FullArchiving);
    EXPECT_EQ(result.outcome, JobOutcome::DestinationInSource) << result.reason.toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(BindMountMirrorTest, AMirrorFolderReachedThroughAMountOfASourceFolderIsRefused)
{
    // The destination is a view of the source's own sub-folder: the mirror would copy the source into itself.
    makeTree(source, {{"inner/keep.txt", "kept"}});
    const QString view = home.filePath("Inner View");
    if (!bindMount(source + "/inner", view))
        GTEST_SKIP() << "mounting is not permitted here";
    const QMap<QString, QByteArray> before = snapshot();
    const JobResult result = jobInto(view, MirrorCopying);
    EXPECT_EQ(result.outcome, JobOutcome::MirrorUnsafe) << result.reason.toStdString();
    EXPECT_EQ(snapshot(), before);
}
