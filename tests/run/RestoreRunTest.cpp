#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

#include <unistd.h>

namespace {

// A set backed up twice by the real 7zz: a full archive, then an update archive after a file changed, one
// was deleted and two were added; each state of the source is kept to compare restores with.
class RestoreRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}, {"gone.txt", "deleted later"}});
        destination = folder(QStringLiteral("backup"));
        writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs"));
        backUp();
        atFull = snapshotTree(source);
        for (const char* file : {"a.txt", "gone.txt"})
            modifiedAtFull.insert(file, modified(source + "/" + file));
        // A new second, so that the update archive's stamp comes after the full archive's time.
        QThread::msleep(1100);
        makeTree(source, {{"a.txt", "alpha, longer now"}, {"new.txt", "new"}, {"sub/c.txt", "gamma"}});
        QFile::remove(source + "/gone.txt");
        backUp();
        atUpdate = snapshotTree(source);
        const QStringList updates = QDir(destination).entryList({"docs_upd_*.7z"}, QDir::Files);
        ASSERT_EQ(updates.size(), 1);
        update = destination + "/" + updates.constFirst();
        updateStamp = QFileInfo(update).completeBaseName().mid(QStringLiteral("docs_upd_").size());
        fullStamp = QFileInfo(full()).lastModified().toString("yyyy-MM-dd_HH'h'mm'm'ss's'");
    }

    void backUp()
    {
        const RunOutcome run = runVelmora({"Docs"});
        ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
    }

    QString full() const { return destination + "/docs.7z"; }
    static QString modified(const QString& path)
    {
        return QFileInfo(path).lastModified().toString("yyyy-MM-dd HH:mm:ss");
    }
    // A folder path below the home that does not exist yet.
    QString target(const QString& name) const { return home.filePath("restored/" + name); }

    QString source;
    QString destination;
    QString update;
    QString updateStamp;
    QString fullStamp;
    QMap<QString, QString> modifiedAtFull;
    QMap<QString, QByteArray> atFull;
    QMap<QString, QByteArray> atUpdate;
};

TEST_F(RestoreRun, PointsAreListedNewestFirstForTheSetAndForItsArchiveAlone)
{
    const QString expected = updateStamp + "\tupdate\t" + QString::number(QFileInfo(update).size()) + "\t4\t" + update
        + "\n" + fullStamp + "\tfull\t" + QString::number(QFileInfo(full()).size()) + "\t3\t" + full() + "\n";

    const RunOutcome points = runVelmora({"--points", "docs"});
    EXPECT_EQ(points.exitCode, 0) << points.errorOutput.toStdString();
    EXPECT_EQ(points.output, expected);

    // A new computer: no set file, only the archives.
    QFile::remove(setFilePath("Docs"));
    const RunOutcome fromArchive = runVelmora({"--points-archive", full()});
    EXPECT_EQ(fromArchive.exitCode, 0) << fromArchive.errorOutput.toStdString();
    EXPECT_EQ(fromArchive.output, expected);
}

TEST_F(RestoreRun, RestoreAsOfEachPointGivesTheSourceAsItWasThen)
{
    const RunOutcome newest = runVelmora({"--restore", "Docs", "--to", target("newest")});
    EXPECT_EQ(newest.exitCode, 0) << newest.output.toStdString() << newest.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("newest")), atUpdate) << "the deleted file stays deleted";
    EXPECT_EQ(modified(target("newest") + "/sub/b.txt"), modified(source + "/sub/b.txt"));

    const RunOutcome atUpdateStamp
        = runVelmora({"--restore", "Docs", "--to", target("update"), "--as-of", updateStamp});
    EXPECT_EQ(atUpdateStamp.exitCode, 0) << atUpdateStamp.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("update")), atUpdate);

    const RunOutcome first = runVelmora({"--restore", "Docs", "--to", target("full"), "--as-of", fullStamp});
    EXPECT_EQ(first.exitCode, 0) << first.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("full")), atFull);
    EXPECT_EQ(modified(target("full") + "/a.txt"), modifiedAtFull["a.txt"]);

    // A date is the end of that day: today's newest point.
    const RunOutcome byDate = runVelmora({"--restore", "Docs", "--to", target("today"), "--as-of", today()});
    EXPECT_EQ(byDate.exitCode, 0) << byDate.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("today")), atUpdate);

    // Before the first point there is nothing to restore.
    const QString yesterday = QDate::currentDate().addDays(-1).toString("yyyy-MM-dd");
    const RunOutcome tooEarly = runVelmora({"--restore", "Docs", "--to", target("early"), "--as-of", yesterday});
    EXPECT_EQ(tooEarly.exitCode, 1);
    EXPECT_FALSE(tooEarly.errorOutput.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(target("early")));
}

TEST_F(RestoreRun, ChosenPathsAloneAreRestoredIntoAnEmptyFolder)
{
    const QString into = folder("restored/empty");

    const RunOutcome run
        = runVelmora({"--restore", "Docs", "--to", into, "--as-of", fullStamp, source + "/sub", "./gone.txt"});

    EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
    EXPECT_EQ(treeFiles(into), QStringList({"gone.txt", "sub/b.txt"}));
    EXPECT_EQ(readFile(into + "/gone.txt"), "deleted later");
}

TEST_F(RestoreRun, AFolderWithContentOrABrokenChainLeavesTheTargetAsItWas)
{
    const QString used = folder("restored/used");
    makeTree(used, {{"mine.txt", "the user's own file"}});
    const QMap<QString, QByteArray> before = snapshotTree(used);
    const RunOutcome refused = runVelmora({"--restore", "Docs", "--to", used});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errorOutput.contains(used)) << refused.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(used), before);

    // A path the point does not hold would restore nothing and call it done.
    const RunOutcome missing = runVelmora({"--restore", "Docs", "--to", target("missing"), "no/such.txt"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.output.contains("'no/such.txt' is not in the backup")) << missing.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target("missing")));

    // The update archive's packed data damaged, its listing whole: 7-Zip fails after the full archive was
    // extracted.
    QFile damaged(update);
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    ASSERT_TRUE(damaged.seek(34));
    ASSERT_EQ(damaged.write("\xff\x00\xff\x00", 4), 4);
    damaged.close();
    const RunOutcome broken = runVelmora({"--restore", "Docs", "--to", target("broken")});
    EXPECT_EQ(broken.exitCode, 1) << broken.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(target("broken")));
    EXPECT_EQ(QDir(home.filePath("restored")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({"used"}))
        << "no staging folder is left";
}

TEST_F(RestoreRun, VersionsOfAFileAreThePointsWhereItChanged)
{
    const RunOutcome changed = runVelmora({"--versions", "Docs", "a.txt"});
    EXPECT_EQ(changed.exitCode, 0) << changed.errorOutput.toStdString();
    EXPECT_EQ(changed.output,
        updateStamp + "\t17\t" + modified(source + "/a.txt") + "\n" + fullStamp + "\t5\t" + modifiedAtFull["a.txt"]
            + "\n");

    EXPECT_EQ(runVelmora({"--versions", "Docs", "gone.txt"}).output,
        updateStamp + "\tdeleted\n" + fullStamp + "\t13\t" + modifiedAtFull["gone.txt"] + "\n");
    EXPECT_EQ(runVelmora({"--versions", "Docs", "new.txt"}).output,
        updateStamp + "\t3\t" + modified(source + "/new.txt") + "\n");
    EXPECT_EQ(runVelmora({"--versions", "Docs", "sub/b.txt"}).output,
        fullStamp + "\t4\t" + modified(source + "/sub/b.txt") + "\n")
        << "an unchanged file has one version";
}

TEST_F(RestoreRun, RestoreFromAnArchiveNeedsNoSetFile)
{
    QFile::remove(setFilePath("Docs"));

    const RunOutcome first = runVelmora({"--restore-archive", full(), "--to", target("full"), "--as-of", fullStamp});
    EXPECT_EQ(first.exitCode, 0) << first.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("full")), atFull);

    const RunOutcome newest = runVelmora({"--restore-archive", full(), "--to", target("newest"), "new.txt"});
    EXPECT_EQ(newest.exitCode, 0) << newest.errorOutput.toStdString();
    EXPECT_EQ(treeFiles(target("newest")), QStringList({"new.txt"}));
}

TEST_F(RestoreRun, UnknownSetsAndMisusesExitWithTwoAndWriteNothing)
{
    for (const QStringList& arguments : QList<QStringList> {
             {"--points", "Photos"}, {"--versions", "Photos", "a.txt"}, {"--restore", "Photos", "--to", target("x")}}) {
        const RunOutcome run = runVelmora(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errorOutput.contains("'Photos'")) << run.errorOutput.toStdString();
    }
    const QList<QStringList> misuses {{"--restore", "Docs"}, {"--to", target("x")},
        {"--restore", "Docs", "--to", target("x"), "--as-of", "yesterday"},
        {"--restore", "Docs", "--to", target("x"), "--as-of", "2026-13-45"},
        {"--restore", "Docs", "--to", target("x"), "../outside"},
        {"--restore", "Docs", "--points", "Docs", "--to", target("x")},
        {"--restore", "Docs", "--to", target("x"), "--no-wait"}, {"--points", "Docs", "a.txt"}, {"--points"},
        {"--versions", "Docs"}, {"--versions", "Docs", "a.txt", "new.txt"}, {"--points-archive", full(), "--all"},
        {"--restore-archive", full()}, {"--points", "Docs", "--as-of", fullStamp},
        {"--restore", "Docs", "--to-original", "--to", target("x")}, {"--restore", "Docs", "--remove-others"},
        {"--restore-archive", full(), "--to-original"}, {"--points", "Docs", "--to-original"}};
    for (const QStringList& arguments : misuses) {
        const RunOutcome run = runVelmora(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errorOutput.contains("velmora-run --help")) << arguments.join(' ').toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(target("x")));

    const RunOutcome help = runVelmora({"--help"});
    for (const char* form : {"--points NAME", "--restore NAME --to DIR [--as-of STAMP] [PATH...]",
             "--versions NAME PATH", "--points-archive ARCHIVE", "--restore-archive ARCHIVE --to DIR"})
        EXPECT_TRUE(help.output.contains(form)) << form;
}

TEST_F(RestoreRun, AMirrorSetHasOnePointItsFolderAndRestoresItsCopy)
{
    writeSet(setOf("Mirror", source, destination, MirrorCopying));
    ASSERT_EQ(runVelmora({"Mirror"}).exitCode, 0);

    const RunOutcome points = runVelmora({"--points", "Mirror"});
    EXPECT_EQ(points.exitCode, 0) << points.errorOutput.toStdString();
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds\tmirror\t\\d+\t4\t"
        + QRegularExpression::escape(destination + "/Mirror") + "\n$")
                    .match(points.output)
                    .hasMatch())
        << points.output.toStdString();

    const RunOutcome restored = runVelmora({"--restore", "Mirror", "--to", target("mirror")});
    EXPECT_EQ(restored.exitCode, 0) << restored.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("mirror")), atUpdate);
}

// An update archive someone dropped on the backup disk, holding a link named "../Documents": the restore
// writes nothing beside its folder, ends with warnings (3) naming the entry, and --points names it too.
TEST_F(RestoreRun, ADroppedHostileUpdateArchiveIsNamedAndReachesNothing)
{
    const QString documents = home.filePath("restored/Documents");
    makeTree(documents, {{"thesis.txt", "years of work"}});
    const QString craft = folder(QStringLiteral("craft"));
    ASSERT_EQ(::symlink("/etc/hostname", QFile::encodeName(craft + "/evil").constData()), 0);
    for (const QStringList& arguments :
        {QStringList {"a", "-snl", "drop.7z", "evil"}, QStringList {"rn", "drop.7z", "evil", "../Documents"}}) {
        QProcess tool;
        tool.setWorkingDirectory(craft);
        tool.start("/usr/bin/7zz", arguments);
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0);
    }
    ASSERT_TRUE(QFile::rename(craft + "/drop.7z", destination + "/docs_upd_2030-01-01_00h00m00s.7z"));

    const RunOutcome points = runVelmora({"--points", "docs"});
    EXPECT_EQ(points.exitCode, 0) << points.errorOutput.toStdString();
    EXPECT_TRUE(points.errorOutput.contains("2030-01-01_00h00m00s: the entry '../Documents' is refused"))
        << points.errorOutput.toStdString();

    const RunOutcome restored = runVelmora({"--restore", "docs", "--to", target("now")});
    EXPECT_EQ(restored.exitCode, 3) << restored.output.toStdString() << restored.errorOutput.toStdString();
    EXPECT_TRUE(restored.output.contains("'../Documents' was refused")) << restored.output.toStdString();
    EXPECT_EQ(readFile(documents + "/thesis.txt"), "years of work");
    EXPECT_FALSE(QFileInfo(documents).isSymLink());
    EXPECT_EQ(snapshotTree(target("now")), atFull);
}

// Each entry of the desktop's trash in the test's home: its original path, from its .trashinfo file, and what it
// held (a file's bytes, or "<folder>").
QMap<QString, QByteArray> trashedEntries()
{
    QMap<QString, QByteArray> found;
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash";
    for (const QFileInfo& info : QDir(trash + "/info").entryInfoList({"*.trashinfo"}, QDir::Files | QDir::Hidden)) {
        QString path;
        for (const QByteArray& line : readFile(info.filePath()).split('\n')) {
            if (line.startsWith("Path="))
                path = QUrl::fromPercentEncoding(line.mid(5));
        }
        const QString inTrash = trash + "/files/" + info.completeBaseName();
        found.insert(path, QFileInfo(inTrash).isDir() ? QByteArray("<folder>") : readFile(inTrash));
    }
    return found;
}

// Over the source, what the point holds comes back, what it replaces is in the trash with its path, and files the
// point never had stay unless --remove-others moves them to the trash too.
TEST_F(RestoreRun, RestoreToTheOriginalPutsWhatItReplacesInTheTrash)
{
    makeTree(source, {{"a.txt", "changed after the backups"}, {"later.txt", "made after the backups"}});
    const auto before = snapshotTree(source);
    const RunOutcome kept = runVelmora({"--restore", "Docs", "--to-original", "--as-of", fullStamp});
    EXPECT_EQ(kept.exitCode, 0) << kept.output.toStdString() << kept.errorOutput.toStdString();
    auto expected = atFull;
    for (const QString later : {"later.txt", "new.txt", "sub/c.txt"})
        expected.insert(later, before.value(later));
    EXPECT_EQ(snapshotTree(source), expected);
    EXPECT_EQ(trashedEntries().value(source + "/a.txt"), "changed after the backups");
    EXPECT_EQ(trashedEntries().keys(), QStringList({source + "/a.txt"})) << "sub/b.txt is as in the backup";

    const RunOutcome removing
        = runVelmora({"--restore", "Docs", "--to-original", "--remove-others", "--as-of", fullStamp});
    EXPECT_EQ(removing.exitCode, 0) << removing.output.toStdString() << removing.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(source), atFull);
    const auto inTrash = trashedEntries();
    EXPECT_EQ(inTrash.value(source + "/later.txt"), "made after the backups");
    EXPECT_EQ(inTrash.value(source + "/new.txt"), "new");
    EXPECT_EQ(inTrash.value(source + "/sub/c.txt"), "gamma");

    // A trash that cannot take them: nothing is changed, and the run fails.
    makeTree(source, {{"a.txt", "changed once more"}});
    QDir(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash").removeRecursively();
    makeTree(qEnvironmentVariable("XDG_DATA_HOME"), {{"Trash", "a file where the trash goes"}});
    const auto untouched = snapshotTree(source);
    const RunOutcome failed = runVelmora({"--restore", "Docs", "--to-original"});
    EXPECT_EQ(failed.exitCode, 1) << failed.output.toStdString();
    EXPECT_EQ(snapshotTree(source), untouched);
}

} // namespace
