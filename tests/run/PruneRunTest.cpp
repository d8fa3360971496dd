#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>

namespace {

class PruneRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
    }
    void TearDown() override { qunsetenv("VELMORA_NOW"); }

    QString setFileText() const { return QString::fromUtf8(readFile(setFilePath("Docs"))); }
    QStringList archives() const { return QDir(destination).entryList({"docs*.7z"}, QDir::Files, QDir::Name); }

    QString source;
    QString destination;
};

} // namespace

TEST_F(PruneRun, PruneSaysWhatGoesAndWhyAndADryRunRemovesNothing)
{
    // Four days of runs, which the default policy keeps; then a policy of the last point alone.
    const SetFile docs = setOf("Docs", source, destination, IncrementalArchiving, "docs");
    writeSet(docs);
    QStringList stamps;
    for (int day = 1; day <= 4; ++day) {
        writeFile(source + "/day.txt", QByteArray::number(day));
        qputenv("VELMORA_NOW", QStringLiteral("2026-03-0%1T08:00:00").arg(day).toUtf8());
        ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
        stamps.append(QStringLiteral("2026-03-0%1_08h00m00s").arg(day));
    }
    qunsetenv("VELMORA_NOW");
    ASSERT_EQ(archives().size(), 4);
    writeSet(docs.withKeys("KeepLast=1\nKeepHourly=0\nKeepDaily=0\nKeepWeekly=0\nKeepMonthly=0\nKeepYearly=0\n"));

    const RunOutcome dryRun = runVelmora({"--prune", "Docs", "--dry-run"});
    EXPECT_EQ(dryRun.exitCode, 0) << dryRun.errorOutput.toStdString();
    EXPECT_EQ(dryRun.output,
        stamps.at(3) + "\tkept\tnewest,last\n" + stamps.at(2) + "\tremoved\tpolicy\n" + stamps.at(1)
            + "\tremoved\tpolicy\n" + stamps.at(0) + "\tkept\tchain\n");
    EXPECT_EQ(archives().size(), 4);

    // A pinned point stays; a stamp that is no point, or no stamp at all, changes nothing.
    const RunOutcome pinned = runVelmora({"--pin", "docs", stamps.at(1)});
    EXPECT_EQ(pinned.exitCode, 0) << pinned.errorOutput.toStdString();
    EXPECT_TRUE(setFileText().contains("\nPinned=" + stamps.at(1) + "\n")) << setFileText().toStdString();
    const QString before = setFileText();
    EXPECT_EQ(runVelmora({"--pin", "Docs", "2020-01-01_00h00m00s"}).exitCode, 1);
    EXPECT_EQ(runVelmora({"--pin", "Docs", "yesterday"}).exitCode, 2);
    EXPECT_EQ(runVelmora({"--pin", "Nope", stamps.at(0)}).exitCode, 2);
    EXPECT_EQ(runVelmora({"--unpin", "Docs", "2020-01-01_00h00m00s"}).exitCode, 1);
    EXPECT_EQ(setFileText(), before);

    const RunOutcome pruned = runVelmora({"--prune", "Docs"});
    EXPECT_EQ(pruned.exitCode, 0) << pruned.errorOutput.toStdString();
    EXPECT_EQ(pruned.output,
        stamps.at(3) + "\tkept\tnewest,last\n" + stamps.at(2) + "\tremoved\tpolicy\n" + stamps.at(1)
            + "\tkept\tpinned\n" + stamps.at(0) + "\tkept\tchain\n");
    EXPECT_EQ(
        archives(), QStringList({"docs.7z", "docs_upd_" + stamps.at(1) + ".7z", "docs_upd_" + stamps.at(3) + ".7z"}));

    // Unpinned, the point goes at the next thinning.
    EXPECT_EQ(runVelmora({"--unpin", "Docs", stamps.at(1)}).exitCode, 0);
    EXPECT_FALSE(setFileText().contains(stamps.at(1)));
    const RunOutcome all = runVelmora({"--prune", "--all"});
    EXPECT_EQ(all.exitCode, 0);
    EXPECT_TRUE(all.output.startsWith("== Docs\n")) << all.output.toStdString();
    EXPECT_TRUE(all.output.contains(stamps.at(1) + "\tremoved\tpolicy\n")) << all.output.toStdString();
    EXPECT_EQ(archives(), QStringList({"docs.7z", "docs_upd_" + stamps.at(3) + ".7z"}));
}

TEST_F(PruneRun, WrongFormsEndWithTwoAndChangeNothing)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs"));
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    const QString before = QString::fromUtf8(readFile(setFilePath("Docs")));
    for (const QStringList& arguments : QList<QStringList> {{"--prune"}, {"--prune", "Docs", "--all"},
             {"--prune", "Docs", "--to", "x"}, {"--prune", "Docs", "--verify"}, {"--pin", "Docs"},
             {"--pin", "Docs", "a", "b"}, {"--unpin"}, {"--pin", "Docs", "x", "--dry-run"}, {"--prune", "Nope"}}) {
        EXPECT_EQ(runVelmora(arguments).exitCode, 2) << arguments.join(' ').toStdString();
    }
    EXPECT_EQ(QString::fromUtf8(readFile(setFilePath("Docs"))), before);
    EXPECT_EQ(archives().size(), 1);
}
