// The help pages tell a user whose computer died how to rebuild a backup with 7-Zip, rsync or cp alone.
// These tests take exactly the commands marked in the pages, put real paths in place of the words in
// capitals, run them over backups made by the program's own jobs, and compare what comes back with the
// source as it was at that run.

#include "JobFixture.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One command of a page, and the kinds of set it is marked for.
struct PageCommand
{
    QStringList kinds;
    QString text;
    bool operator==(const PageCommand&) const = default;
};

QList<PageCommand> markedCommands(const QString& language)
{
    const QString page
        = QString::fromUtf8(readFile(QStringLiteral(VELMORA_HELP_DIR "/help_") + language + QStringLiteral(".html")));
    static const QRegularExpression marked(
        QStringLiteral(R"re(<code class="restore-command" data-kind="([^"]+)">(.*?)</code>)re"),
        QRegularExpression::DotMatchesEverythingOption);
    QList<PageCommand> commands;
    for (auto it = marked.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        QString text = match.captured(2);
        text.replace("&quot;", "\"").replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
        commands.append({match.captured(1).split(' '), text});
    }
    return commands;
}

QStringList commandsFor(const QString& kind)
{
    QStringList texts;
    for (const PageCommand& command : markedCommands("en")) {
        if (command.kinds.contains(kind))
            texts.append(command.text);
    }
    return texts;
}

// A command of the page as a user would run it: the words in capitals replaced by the paths. A command that
// needs the shell's own work ("$(...)") goes through sh; the others are split as a shell splits them.
int runPageCommand(
    const QString& command, const QMap<QString, QString>& paths, const QString& workingFolder, QString* output)
{
    // A word in capitals glued to a switch ("-oTARGET") is a placeholder too.
    static const QRegularExpression placeholder(
        QStringLiteral(R"((?<![A-Z])(ARCHIVE|UPDATE|TARGET|MIRROR|PATH)(?![A-Z]))"));
    QString filled;
    qsizetype done = 0;
    for (auto it = placeholder.globalMatch(command); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        EXPECT_TRUE(paths.contains(match.captured(1))) << "no path for " << match.captured(1).toStdString();
        filled += command.mid(done, match.capturedStart() - done) + paths.value(match.captured(1));
        done = match.capturedEnd();
    }
    filled += command.mid(done);
    QStringList arguments;
    if (filled.contains("$("))
        arguments = QStringList({"/bin/sh", "-c", filled});
    else
        arguments = QProcess::splitCommand(filled);
    QProcess process;
    // A relative path a command writes to stays in the test's own folder.
    process.setWorkingDirectory(workingFolder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(arguments.takeFirst(), arguments);
    const bool finished = process.waitForFinished(120000);
    *output = filled + "\n" + QString::fromUtf8(process.readAll());
    if (!finished)
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Runs every command the page has for a kind of set, each of which must succeed.
void restoreAs(const QString& kind, const QMap<QString, QString>& paths, const QString& workingFolder)
{
    const QStringList commands = commandsFor(kind);
    ASSERT_FALSE(commands.isEmpty()) << kind.toStdString();
    for (const QString& command : commands) {
        QString output;
        ASSERT_EQ(runPageCommand(command, paths, workingFolder, &output), 0) << output.toStdString();
    }
}

// The link target as stored, not made absolute as QFileInfo would.
QByteArray linkTarget(const QString& path)
{
    QByteArray target(4096, '\0');
    const ssize_t length = readlink(QFile::encodeName(path).constData(), target.data(), size_t(target.size()));
    return target.left(length < 0 ? 0 : qsizetype(length));
}

// What a tree holds, as a restore must give it back. Folders' own times are left out: extracting an update
// archive into a folder changes its time, and 7-Zip stores folders only where their entries changed.
struct Entry
{
    char type = 'f';
    // A file's bytes, or a link's target.
    QByteArray content;
    // In the 100 ns steps of the 7z format.
    qint64 modified = 0;
};
using Tree = QMap<QString, Entry>;

Tree snapshot(const QString& root)
{
    Tree tree;
    QDirIterator it(
        root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status = {};
        if (lstat(QFile::encodeName(path).constData(), &status) != 0) {
            ADD_FAILURE() << "cannot read " << path.toStdString();
            continue;
        }
        Entry entry;
        if (S_ISDIR(status.st_mode)) {
            entry.type = 'd';
        } else {
            entry.modified = qint64(status.st_mtim.tv_sec) * 10000000 + status.st_mtim.tv_nsec / 100;
            entry.type = S_ISLNK(status.st_mode) ? 'l' : 'f';
            entry.content = entry.type == 'l' ? linkTarget(path) : readFile(path);
        }
        tree.insert(QDir(root).relativeFilePath(path), entry);
    }
    return tree;
}

// The differences between two trees, one line each, for a failure message that says what went wrong.
QString differences(const Tree& expected, const Tree& actual)
{
    QStringList lines;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!actual.contains(it.key()))
            lines.append("missing: " + it.key());
        else if (actual.value(it.key()).type != it->type)
            lines.append("other kind: " + it.key());
        else if (actual.value(it.key()).content != it->content)
            lines.append("other content: " + it.key());
        else if (actual.value(it.key()).modified != it->modified)
            lines.append("other time: " + it.key());
    }
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        if (!expected.contains(it.key()))
            lines.append("came back: " + it.key());
    }
    return lines.join('\n');
}

void setModified(const QString& path, qint64 seconds, long nanoseconds)
{
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

class HandRestoreTest : public JobFixture
{
protected:
    void SetUp() override
    {
        JobFixture::SetUp();
        // A blank and Cyrillic letters in every path the commands are given.
        targets = home.filePath("Restored here/Восстановлено");
        makeTree(source,
            {{".hidden", "h"}, {"old file.txt", "old"}, {"Папка с файлами/deep/c.txt", "gamma"},
                {"gone folder/x.txt", "x"}, {"doomed.txt", "doomed"}});
        QDir().mkpath(source + "/empty folder/пусто");
        QFile::link("a.txt", source + "/link to a");
        QFile::link("Папка с файлами/deep", source + "/link to deep");
        setModified(source + "/old file.txt", 1262401445, 123456789);
        setModified(source + "/link to a", 1293937445, 987654321);
        // rsync leaves the time of a link made in the second it copies it as the copy's own.
        setModified(source + "/link to deep", 1293937446, 5);
    }

    QString target(const QString& point) const { return targets + " " + point; }
    QString fullArchiveOf(const QString& extension) const { return destination + "/docs." + extension; }
    QString updateArchive(qsizetype index, const QString& extension) const
    {
        return destination + "/"
            + QDir(destination).entryList({"docs_upd_*." + extension}, QDir::Files, QDir::Name).value(index);
    }
    void runArchiveJob(quint32 id)
    {
        const JobResult result = ArchiveJob(id);
        ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    }
    // Changes the source between runs: a file changed and added, a file and a folder deleted, a file created
    // for one run only, one deleted and made again.
    void changeSource(int run)
    {
        if (run == 1) {
            writeFile(source + "/a.txt", "alpha, changed");
            writeFile(source + "/added after the full.txt", "new");
        } else if (run == 2) {
            QFile::remove(source + "/doomed.txt");
            QDir(source + "/gone folder").removeRecursively();
            QFile::remove(source + "/sub/b.txt");
            writeFile(source + "/transient.txt", "here for one run");
        } else {
            QFile::remove(source + "/transient.txt");
            writeFile(source + "/sub/b.txt", "beta, made again");
            writeFile(source + "/Папка с файлами/deep/d.txt", "delta");
        }
    }

    QString targets;
};

} // namespace

TEST_F(HandRestoreTest, BothPagesHoldTheSameCommandsForEveryKindOfSet)
{
    const QList<PageCommand> english = markedCommands("en");
    EXPECT_EQ(markedCommands("ru"), english);
    for (const QString& kind :
        QStringList {"full", "incremental-7z", "incremental-zip", "mirror", "mirror-cp", "outside-link", "history"})
        EXPECT_FALSE(commandsFor(kind).isEmpty()) << kind.toStdString();
}

TEST_F(HandRestoreTest, AFullArchiveOfEitherTypeComesBackWhole)
{
    for (const qint32 arcType : {0, 1}) {
        backupSets.clear();
        const QString extension = arcType == 0 ? "7z" : "zip";
        runArchiveJob(addSet(FullArchiving, arcType));
        restoreAs("full", {{"ARCHIVE", fullArchiveOf(extension)}, {"TARGET", target(extension)}}, home.path());
        EXPECT_EQ(differences(snapshot(source), snapshot(target(extension))), "") << extension.toStdString();
    }
}

TEST_F(HandRestoreTest, AnIncremental7zChainComesBackAsOfEachOfItsRuns)
{
    const quint32 id = addSet(IncrementalArchiving);
    QList<Tree> points;
    for (int run = 0; run <= 3; ++run) {
        if (run > 0)
            changeSource(run);
        runArchiveJob(id);
        points.append(snapshot(source));
    }
    ASSERT_TRUE(points[2].contains("transient.txt"));
    ASSERT_TRUE(points[1].contains("doomed.txt") && points[1].contains("gone folder/x.txt"));

    restoreAs("full", {{"ARCHIVE", fullArchive()}, {"TARGET", target("0")}}, home.path());
    EXPECT_EQ(differences(points[0], snapshot(target("0"))), "");
    for (int point = 1; point <= 3; ++point) {
        const QString folder = target(QString::number(point));
        restoreAs("incremental-7z",
            {{"ARCHIVE", fullArchive()}, {"UPDATE", updateArchive(point - 1, "7z")}, {"TARGET", folder}}, home.path());
        // As of the third run: what was deleted after the first stays deleted, and the file that lived
        // between the second and the third does not come back.
        EXPECT_EQ(differences(points[point], snapshot(folder)), "") << "as of update archive " << point;
    }
}

TEST_F(HandRestoreTest, AChainKeptInTheHistoryFolderComesBackAsOfItsUpdateArchive)
{
    const qint32 chainLength = Settings().chainLength;
    MutableSettings().chainLength = 1;
    const quint32 id = addSet(IncrementalArchiving);
    runArchiveJob(id);
    changeSource(1);
    changeSource(2);
    runArchiveJob(id);
    const Tree kept = snapshot(source);
    changeSource(3);
    // The third run starts a new chain; the first moves into docs.history.
    runArchiveJob(id);
    MutableSettings().chainLength = chainLength;
    const QStringList stamps = QDir(destination + "/docs.history").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(stamps.size(), 1);
    const QString folder = destination + "/docs.history/" + stamps.at(0);
    const QStringList updates = QDir(folder).entryList({"docs_upd_*.7z"}, QDir::Files);
    ASSERT_EQ(updates.size(), 1);
    restoreAs("history",
        {{"ARCHIVE", folder + "/docs.7z"}, {"UPDATE", folder + "/" + updates.at(0)}, {"TARGET", target("kept")}},
        home.path());
    EXPECT_EQ(differences(kept, snapshot(target("kept"))), "");
}

TEST_F(HandRestoreTest, AnIncrementalZipChainGivesDeletedFilesBackEmptyAsThePageSays)
{
    const quint32 id = addSet(IncrementalArchiving, 1);
    runArchiveJob(id);
    changeSource(1);
    changeSource(2);
    runArchiveJob(id);
    const Tree expected = snapshot(source);
    restoreAs("incremental-zip",
        {{"ARCHIVE", fullArchiveOf("zip")}, {"UPDATE", updateArchive(0, "zip")}, {"TARGET", target("zip")}},
        home.path());
    Tree restored = snapshot(target("zip"));
    for (const QString& deleted : QStringList {"doomed.txt", "gone folder", "gone folder/x.txt", "sub/b.txt"}) {
        const Entry entry = restored.take(deleted);
        EXPECT_TRUE(entry.content.isEmpty()) << deleted.toStdString();
        const QDateTime modified = QFileInfo(target("zip") + "/" + deleted).lastModified();
        EXPECT_EQ(modified.date(), QDate(1980, 1, 1)) << deleted.toStdString();
    }
    EXPECT_EQ(differences(expected, restored), "");
}

TEST_F(HandRestoreTest, AMirrorComesBackWithRsyncOrCp)
{
    const JobResult result = MirrorJob(addSet(MirrorCopying));
    ASSERT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    for (const QString& kind : QStringList {"mirror", "mirror-cp"}) {
        restoreAs(kind, {{"MIRROR", destination + "/Docs"}, {"TARGET", target(kind)}}, home.path());
        EXPECT_EQ(differences(snapshot(source), snapshot(target(kind))), "") << kind.toStdString();
    }
}

TEST_F(HandRestoreTest, LinksThat7ZipRefusesComeBackWithThePagesLinkCommand)
{
    QFile::link("/etc/hosts", source + "/absolute link");
    // 7-Zip refuses every target with "..", even one that stays inside the folder.
    QFile::link("../a.txt", source + "/sub/link up");
    QFile::link("../../next to the source", source + "/sub/link out");
    runArchiveJob(addSet(FullArchiving));
    const QMap<QString, QString> paths {{"ARCHIVE", fullArchive()}, {"TARGET", target("links")}};
    // What the page warns of: 7-Zip refuses the links through "..", ends with 2, restores the rest.
    QString output;
    ASSERT_EQ(commandsFor("full").size(), 1);
    EXPECT_EQ(runPageCommand(commandsFor("full").first(), paths, home.path(), &output), 2) << output.toStdString();
    EXPECT_TRUE(output.contains("Dangerous link path was ignored : sub/link up")) << output.toStdString();
    EXPECT_TRUE(output.contains("Dangerous link path was ignored : sub/link out")) << output.toStdString();
    EXPECT_EQ(linkTarget(target("links") + "/absolute link"), QFile::encodeName(target("links") + "/etc/hosts"));

    for (const QString& link : QStringList {"absolute link", "sub/link up", "sub/link out"}) {
        QMap<QString, QString> linkPaths = paths;
        linkPaths.insert("PATH", link);
        for (const QString& command : commandsFor("outside-link"))
            ASSERT_EQ(runPageCommand(command, linkPaths, home.path(), &output), 0) << output.toStdString();
    }
    Tree expected = snapshot(source);
    Tree restored = snapshot(target("links"));
    // ln gives a link the time it was made again.
    for (const QString& link : QStringList {"absolute link", "sub/link up", "sub/link out"})
        expected[link].modified = restored[link].modified;
    EXPECT_EQ(differences(expected, restored), "");
}
