// velmora-run's restore forms over a set's kept chains: --points lists them all, --restore --as-of and --versions
// reach into them, and a chain kept from before a password change opens only with its own password file.

#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <functional>

namespace {

class HistoryRestoreRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
        // A full archive and one update archive make a chain.
        writeSettings("MinorUpdatedNumber=1");
    }

    // Runs the set after each change and keeps the source as each run saw it, newest first.
    void runAfterEach(const QStringList& extra, const QList<std::function<void()>>& changes)
    {
        for (const auto& change : changes) {
            change();
            states.prepend(snapshotTree(source));
            const RunOutcome run = runVelmora(extra + QStringList {"Docs"});
            ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
            // The archives' names and the kept chains' folders carry the time to the second.
            QThread::msleep(1100);
        }
    }
    // The --points lines, each split at its tabs.
    QList<QStringList> points(const QStringList& extra = {})
    {
        const RunOutcome run = runVelmora(extra + QStringList {"--points", "Docs"});
        EXPECT_EQ(run.exitCode, 0) << run.errorOutput.toStdString();
        lastErrors = run.errorOutput;
        QList<QStringList> lines;
        for (const QString& line : run.output.split('\n', Qt::SkipEmptyParts))
            lines.append(line.split('\t'));
        return lines;
    }
    QString passwordFile(const QByteArray& password)
    {
        const QString path = home.filePath(QStringLiteral("password-") + QString::fromUtf8(password.toHex()));
        writeFile(path, password + "\n");
        EXPECT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        return path;
    }

    QString source;
    QString destination;
    QList<QMap<QString, QByteArray>> states;
    QString lastErrors;
};

} // namespace

TEST_F(HistoryRestoreRun, PointsRestoreAndVersionsSpanEveryKeptChain)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs"));
    runAfterEach({},
        {
            [] {},
            [&] { writeFile(source + "/a.txt", "alpha 2"); },
            [&] { QFile::remove(source + "/sub/b.txt"); },
            [&] { writeFile(source + "/c.txt", "gamma"); },
            [&] { writeFile(source + "/a.txt", "alpha 3"); },
        });
    const QList<QStringList> listed = points();
    ASSERT_EQ(listed.size(), 5);
    for (int i = 0; i + 1 < listed.size(); ++i)
        EXPECT_GT(listed.at(i).at(0), listed.at(i + 1).at(0)) << "newest first";
    QStringList kinds;
    for (const QStringList& line : listed)
        kinds.append(line.at(1));
    EXPECT_EQ(kinds, QStringList({"full", "update", "full", "update", "full"}));
    // A kept point names its archive in its history folder, under the chain's stamp.
    EXPECT_EQ(listed.at(4).at(4), destination + "/docs.history/" + listed.at(4).at(0) + "/docs.7z");
    EXPECT_EQ(QFileInfo(listed.at(3).at(4)).path(), destination + "/docs.history/" + listed.at(4).at(0));
    EXPECT_EQ(listed.at(3).at(3), "2");

    for (int i = 0; i < listed.size(); ++i) {
        const QString into = home.filePath(QStringLiteral("restored/%1").arg(i));
        const RunOutcome run = runVelmora({"--restore", "Docs", "--to", into, "--as-of", listed.at(i).at(0)});
        ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
        EXPECT_EQ(snapshotTree(into), states.at(i)) << "as of " << listed.at(i).at(0).toStdString();
    }

    // a.txt: the first run's, the second's, and the last; the full archives between hold it unchanged.
    const RunOutcome versions = runVelmora({"--versions", "Docs", "a.txt"});
    ASSERT_EQ(versions.exitCode, 0) << versions.errorOutput.toStdString();
    const QStringList lines = versions.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << versions.output.toStdString();
    EXPECT_TRUE(lines.at(0).startsWith(listed.at(0).at(0) + "\t7\t"));
    EXPECT_TRUE(lines.at(1).startsWith(listed.at(3).at(0) + "\t7\t"));
    EXPECT_TRUE(lines.at(2).startsWith(listed.at(4).at(0) + "\t5\t"));
    const RunOutcome b = runVelmora({"--versions", "Docs", "sub/b.txt"});
    EXPECT_TRUE(b.output.contains(listed.at(2).at(0) + "\tdeleted")) << b.output.toStdString();
}

TEST_F(HistoryRestoreRun, AChainFromAnEarlierPasswordNeedsItsOwnPasswordFile)
{
    const QString oldPassword = passwordFile("старый пароль");
    const QString newPassword = passwordFile("новый пароль");
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs").withKeys("Encrypt=1\n"));
    runAfterEach({"--password-file", oldPassword}, {[] {}, [&] { writeFile(source + "/a.txt", "alpha 2"); }});
    writeSet(
        setOf("Docs", source, destination, IncrementalArchiving, "docs").withKeys("Encrypt=1\nPasswordChanged=1\n"));
    runAfterEach({"--password-file", newPassword}, {[&] { writeFile(source + "/a.txt", "alpha 3"); }});

    // The old chain's points are listed, without their files, and the way to open them is said.
    const QList<QStringList> listed = points({"--password-file", newPassword});
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed.at(0).at(3), "2");
    EXPECT_EQ(listed.at(1).at(3), "-1");
    EXPECT_TRUE(lastErrors.contains("further --password-file")) << lastErrors.toStdString();
    EXPECT_TRUE(lastErrors.contains(destination + "/docs.history/")) << lastErrors.toStdString();

    // Restoring an old point with the new password alone fails as a wrong password and makes nothing.
    const QString refused = home.filePath("restored/refused");
    const RunOutcome wrong = runVelmora(
        {"--password-file", newPassword, "--restore", "Docs", "--to", refused, "--as-of", listed.at(1).at(0)});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE((wrong.output + wrong.errorOutput).contains("wrong password")) << wrong.errorOutput.toStdString();
    EXPECT_FALSE(QFileInfo::exists(refused));

    // With the earlier password as a second file, every point opens and comes back.
    const QStringList both {"--password-file", newPassword, "--password-file", oldPassword};
    const QList<QStringList> opened = points(both);
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened.at(1).at(3), "2");
    EXPECT_TRUE(lastErrors.isEmpty()) << lastErrors.toStdString();
    for (int i = 0; i < opened.size(); ++i) {
        const QString into = home.filePath(QStringLiteral("restored/%1").arg(i));
        const RunOutcome run
            = runVelmora(both + QStringList {"--restore", "Docs", "--to", into, "--as-of", opened.at(i).at(0)});
        ASSERT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errorOutput.toStdString();
        EXPECT_EQ(snapshotTree(into), states.at(i));
    }
    // More than one password file is only for the forms that read kept chains.
    EXPECT_EQ(runVelmora(both + QStringList {"Docs"}).exitCode, 2);
}
