// Archives that are not what 7-Zip said they were: a 7-Zip that exits 0 after writing a torn archive, a full
// archive damaged or gone under its chain, a flipped byte deep in a chain that only a verification finds.

#include "ArchiveTest.h"
#include "DestinationDisk.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>

namespace {

// Runs the real 7-Zip for everything, but after "a" or "u" cuts the archive it wrote to half its size and
// still reports success, as a failing disk or a full one behind a lying driver would leave it.
const QByteArray kTruncatingSevenZip = R"(case "$1" in
a|u)
    /usr/bin/7zz "$@" || exit $?
    out=
    [ "$1" = a ] && out="$2"
    for arg in "$@"; do case "$arg" in -up*!*) out="${arg#*!}";; esac; done
    [ -n "$out" ] && [ -f "$out" ] && truncate -s $(( $(stat -c %s "$out") / 2 )) "$out"
    exit 0;;
*)
    exec /usr/bin/7zz "$@";;
esac
)";

class BadArchiveTest : public JobFixture
{
protected:
    // Every file of the destination, hidden ones too, with its bytes.
    QMap<QString, QByteArray> destinationBytes() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(destination).entryList(QDir::Files | QDir::Hidden | QDir::System))
            files.insert(name, readFile(destination + "/" + name));
        return files;
    }
    void changeSource(const QString& text) { writeFile(source + "/changed.txt", text.toUtf8()); }
    static void flipByte(const QString& path, qint64 offset)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(offset));
        char byte = 0;
        ASSERT_TRUE(file.getChar(&byte));
        ASSERT_TRUE(file.seek(offset));
        ASSERT_TRUE(file.putChar(char(byte ^ 0x5a)));
    }
    // The files of the chain kept in DEST/docs.history/STAMP, with their bytes.
    QMap<QString, QByteArray> keptChain(const QString& stamp) const
    {
        const QString folder = destination + "/docs.history/" + stamp;
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
            files.insert(name, readFile(folder + "/" + name));
        return files;
    }
    static QString stampOf(const QString& path)
    {
        return QFileInfo(path).lastModified().toString("yyyy-MM-dd_HH'h'mm'm'ss's'");
    }
    void setVerifyArchive(quint32 id, bool on)
    {
        BackupSet set;
        ASSERT_TRUE(GetBackupSet(id, set));
        set.verifyArchive = on;
        ASSERT_TRUE(UpdateBackupSet(set));
    }
};

} // namespace

TEST_F(BadArchiveTest, ATornNewArchiveNeverReplacesTheFullArchiveOrJoinsTheChain)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    changeSource("first change");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    ASSERT_EQ(updateArchives().size(), 1);
    const QMap<QString, QByteArray> before = destinationBytes();

    // Update mode: the torn update archive never gets its name in the chain.
    useFake7Zip(kTruncatingSevenZip);
    changeSource("second change");
    const JobResult update = ArchiveJob(id);
    EXPECT_EQ(update.outcome, JobOutcome::ArchiveBad);
    EXPECT_TRUE(update.reason.contains("did not test good")) << update.reason.toStdString();
    EXPECT_TRUE(update.reason.contains(destination + "/docs_upd_")) << update.reason.toStdString();
    EXPECT_EQ(destinationBytes(), before);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(set.lastResult, "failed");
    EXPECT_TRUE(SetResultText(set).contains("did not test good"));

    // Full mode, at the chain's end: the old full archive and its whole chain stay.
    MutableSettings().chainLength = 1;
    const JobResult full = ArchiveJob(id);
    EXPECT_EQ(full.outcome, JobOutcome::ArchiveBad);
    EXPECT_TRUE(full.reason.contains(fullArchive())) << full.reason.toStdString();
    EXPECT_EQ(destinationBytes(), before);
}

TEST_F(BadArchiveTest, AGoodRunSaysItWasVerifiedAndTheSetCanTurnTheTestOff)
{
    const quint32 id = addSet(FullArchiving);
    const JobResult tested = ArchiveJob(id);
    ASSERT_EQ(tested.outcome, JobOutcome::Done);
    EXPECT_GE(tested.testMs, 0);
    EXPECT_TRUE(JobResultText(tested).contains("verified in")) << JobResultText(tested).toStdString();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_TRUE(SetResultText(set).contains("verified in")) << SetResultText(set).toStdString();

    // Without the test the torn archive is taken for a good one: the choice is the user's.
    setVerifyArchive(id, false);
    useFake7Zip(kTruncatingSevenZip);
    const JobResult untested = ArchiveJob(id);
    EXPECT_EQ(untested.outcome, JobOutcome::Done);
    EXPECT_EQ(untested.testMs, -1);
    EXPECT_FALSE(JobResultText(untested).contains("verified"));
    EXPECT_NE(QProcess::execute("/usr/bin/7zz", {"t", fullArchive()}), 0);
}

TEST_F(BadArchiveTest, AChainWhoseFullArchiveIsBrokenOrGoneStartsAnewAndKeepsTheOldOne)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    changeSource("first change");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    ASSERT_EQ(updateArchives().size(), 1);

    flipByte(fullArchive(), 40);
    QMap<QString, QByteArray> oldChain = destinationBytes();
    oldChain.remove(QLatin1String(kDestinationMarkerName));
    const QString stamp = stampOf(fullArchive());
    changeSource("second change");
    const JobResult broken = ArchiveJob(id);
    ASSERT_EQ(broken.outcome, JobOutcome::Done) << broken.reason.toStdString();
    EXPECT_TRUE(broken.note.contains("did not test good")) << broken.note.toStdString();
    EXPECT_TRUE(broken.note.contains(fullArchive())) << broken.note.toStdString();
    EXPECT_TRUE(broken.note.contains(destination + "/docs.history/" + stamp)) << broken.note.toStdString();
    EXPECT_TRUE(updateArchives().isEmpty());
    EXPECT_EQ(QProcess::execute("/usr/bin/7zz", {"t", fullArchive()}), 0);
    // The damaged archive and its update archive, byte for byte, under their own names.
    EXPECT_EQ(keptChain(stamp), oldChain);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_TRUE(SetResultText(set).contains("a new full archive was started")) << SetResultText(set).toStdString();

    changeSource("third change");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    ASSERT_EQ(updateArchives().size(), 1);
    const QString orphan = updateArchives().first();
    const QByteArray orphanBytes = readFile(destination + "/" + orphan);
    QFile::remove(fullArchive());
    const JobResult missing = ArchiveJob(id);
    ASSERT_EQ(missing.outcome, JobOutcome::Done) << missing.reason.toStdString();
    EXPECT_TRUE(missing.note.contains("was missing")) << missing.note.toStdString();
    EXPECT_TRUE(updateArchives().isEmpty());
    EXPECT_TRUE(archiveEntries(fullArchive()).contains("changed.txt"));
    // Update archives without their full archive are kept too, in a folder of their own: dated by themselves,
    // or a second later where that folder holds another chain's full archive.
    const QStringList kept = QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(kept.size(), 2);
    EXPECT_GT(kept.last(), stamp);
    EXPECT_EQ(keptChain(kept.last()), (QMap<QString, QByteArray> {{orphan, orphanBytes}}));
}

TEST_F(BadArchiveTest, AFullArchiveTestThatEndsWithoutAVerdictFailsTheRunAndKeepsTheChain)
{
    // Every update run tests the full archive, however recent its last good test.
    MutableSettings().fullArchiveRetestDays = 0;
    auto restoreDays = qScopeGuard([] { MutableSettings().fullArchiveRetestDays = 30; });
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    changeSource("first change");
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    ASSERT_EQ(updateArchives().size(), 1);
    const QMap<QString, QByteArray> before = destinationBytes();
    changeSource("second change");

    struct Case
    {
        const char* name;
        QByteArray test;
        const char* said;
    };
    const Case cases[] = {
        {"the OOM killer", "kill -KILL $$", "signal 9"},
        {"a stop signal that ends it", "kill -TERM $$", "signal 15"},
        {"out of memory", "echo 'ERROR: Can not allocate required memory!' >&2; exit 8", "exit code 8"},
        {"a disk that will not read",
            "echo \"ERROR: $2\" >&2; echo 'Cannot open the file as archive' >&2; "
            "echo 'errno=5 : Input/output error' >&2; exit 2",
            "exit code 2"},
    };
    for (const Case& c : cases) {
        // Only the test of the full archive fails; the new archive's own test runs the real 7-Zip.
        useFake7Zip("if [ \"$1\" = t ] && [ \"$2\" = '" + fullArchive().toUtf8() + "' ]; then " + c.test
            + "; fi\nexec /usr/bin/7zz \"$@\"");
        const JobResult result = ArchiveJob(id);
        EXPECT_EQ(result.outcome, JobOutcome::ToolFailed) << c.name;
        EXPECT_TRUE(result.reason.contains(fullArchive()) && result.reason.contains(c.said))
            << c.name << ": " << result.reason.toStdString();
        EXPECT_EQ(destinationBytes(), before) << c.name;
        EXPECT_FALSE(QFileInfo::exists(destination + "/docs.history")) << c.name;
    }
}

TEST_F(BadArchiveTest, VerifyNamesTheOneArchiveOfTheChainWithAFlippedByte)
{
    const quint32 id = addSet(IncrementalArchiving);
    ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    for (int run = 1; run <= 3; ++run) {
        changeSource(QStringLiteral("change %1 ").arg(run).repeated(200));
        ASSERT_EQ(ArchiveJob(id).outcome, JobOutcome::Done);
    }
    const QStringList updates = updateArchives();
    ASSERT_EQ(updates.size(), 3);

    JobRunner runner;
    const JobResult good = runner.runVerify(id);
    ASSERT_EQ(good.outcome, JobOutcome::Done) << good.reason.toStdString();
    ASSERT_EQ(good.checks.size(), 4);
    EXPECT_EQ(good.checks.first(), fullArchive() + ": OK");
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_TRUE(QDateTime::fromString(set.lastVerified, Qt::ISODate).isValid()) << set.lastVerified.toStdString();
    // A verification is no backup: the last run's result stays.
    EXPECT_EQ(set.lastResult, "done");

    const QString third = destination + "/" + updates.at(2);
    flipByte(third, 40);
    const QString verifiedBefore = set.lastVerified;
    const JobResult bad = runner.runVerify(id);
    EXPECT_EQ(bad.outcome, JobOutcome::ArchiveBad);
    EXPECT_TRUE(bad.reason.contains(updates.at(2))) << bad.reason.toStdString();
    EXPECT_FALSE(bad.reason.contains(updates.at(1))) << bad.reason.toStdString();
    ASSERT_EQ(bad.checks.size(), 4);
    EXPECT_TRUE(bad.checks.at(3).startsWith(third + ": did not test good")) << bad.checks.at(3).toStdString();
    for (int line = 0; line < 3; ++line)
        EXPECT_TRUE(bad.checks.at(line).endsWith(": OK")) << bad.checks.at(line).toStdString();
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(set.lastVerified, verifiedBefore);
}
