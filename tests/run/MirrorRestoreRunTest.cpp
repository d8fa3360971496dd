// velmora-run over a mirror set's kept versions: --versions lists each version of a file, and --restore --as-of
// gives a file, or the whole folder, as the source held it then.

#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class MirrorRestoreRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        destination = folder(QStringLiteral("backup"));
        writeSet(setOf("Mirror", source, destination, MirrorCopying));
        // Three runs a day apart: a.txt changes at each, gone.txt goes at the third.
        for (int run = 0; run < 3; ++run) {
            const QDateTime now = kStart.addDays(run);
            writeFile(source + "/a.txt", "version " + QByteArray::number(run));
            setTime(source + "/a.txt", now.addSecs(-60));
            if (run == 0)
                writeFile(source + "/gone.txt", "here at first");
            if (run == 2)
                QFile::remove(source + "/gone.txt");
            qputenv("VELMORA_NOW", now.toString(Qt::ISODate).toUtf8());
            const RunOutcome backup = runVelmora({"Mirror"});
            ASSERT_EQ(backup.exitCode, 0) << backup.output.toStdString() << backup.errorOutput.toStdString();
            states.append(snapshotTree(source));
        }
        qputenv("VELMORA_NOW", kStart.addDays(10).toString(Qt::ISODate).toUtf8());
    }
    void TearDown() override { qunsetenv("VELMORA_NOW"); }

    static void setTime(const QString& path, const QDateTime& time)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
    static QString stamp(const QDateTime& time) { return time.toString("yyyy-MM-dd_HH'h'mm'm'ss's'"); }
    QString target(const QString& name) const { return home.filePath("restored/" + name); }

    const QDateTime kStart {QDate(2026, 2, 1), QTime(9, 0, 0)};
    QString source;
    QString destination;
    QList<QMap<QString, QByteArray>> states;
};

} // namespace

TEST_F(MirrorRestoreRun, VersionsListEachKeptVersionAndEachRestoresAsOfItsStamp)
{
    const RunOutcome versions = runVelmora({"--versions", "Mirror", "a.txt"});
    ASSERT_EQ(versions.exitCode, 0) << versions.errorOutput.toStdString();
    const QStringList lines = versions.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << versions.output.toStdString();
    // Newest first: the mirror's as of now, then each kept one as of the second before the run that replaced it.
    EXPECT_TRUE(lines.at(0).startsWith(stamp(kStart.addDays(10)) + "\t9\t")) << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(1).startsWith(stamp(kStart.addDays(2).addSecs(-1)) + "\t9\t")) << lines.at(1).toStdString();
    EXPECT_TRUE(lines.at(2).startsWith(stamp(kStart.addDays(1).addSecs(-1)) + "\t9\t")) << lines.at(2).toStdString();
    for (int run = 0; run < 3; ++run) {
        const QString stampOfVersion = lines.at(2 - run).section('\t', 0, 0);
        const RunOutcome restored = runVelmora(
            {"--restore", "Mirror", "--as-of", stampOfVersion, "--to", target(QString::number(run)), "a.txt"});
        ASSERT_EQ(restored.exitCode, 0) << restored.output.toStdString() << restored.errorOutput.toStdString();
        EXPECT_EQ(readFile(target(QString::number(run)) + "/a.txt"), states.at(run).value("a.txt"));
    }

    // A file the last run deleted: gone as of now, there before.
    const RunOutcome gone = runVelmora({"--versions", "Mirror", "gone.txt"});
    ASSERT_EQ(gone.exitCode, 0) << gone.errorOutput.toStdString();
    EXPECT_TRUE(gone.output.startsWith(
        stamp(kStart.addDays(10)) + "\tdeleted\n" + stamp(kStart.addDays(2).addSecs(-1)) + "\t13\t"))
        << gone.output.toStdString();

    // The whole folder as of the first run is the source as it was then.
    const RunOutcome whole = runVelmora({"--restore", "Mirror", "--as-of", stamp(kStart), "--to", target("whole")});
    ASSERT_EQ(whole.exitCode, 0) << whole.output.toStdString() << whole.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("whole")), states.at(0));
    // Without --as-of the mirror as it is.
    const RunOutcome now = runVelmora({"--restore", "Mirror", "--to", target("now")});
    ASSERT_EQ(now.exitCode, 0) << now.errorOutput.toStdString();
    EXPECT_EQ(snapshotTree(target("now")), states.at(2));
}
