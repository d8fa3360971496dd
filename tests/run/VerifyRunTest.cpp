#include "RunTestSupport.h"
#include "ToolTestSupport.h"

#include <QDir>
#include <QFile>

namespace {

class VerifyRun : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
    }
    QString setFileText(const QString& name) const { return QString::fromUtf8(readFile(setFilePath(name))); }

    QString source;
    QString destination;
};

} // namespace

TEST_F(VerifyRun, EachArchiveGetsALineAndTheStatusSaysWhetherAllWereGood)
{
    writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs"));
    writeSet(setOf("Mirror", source, destination, MirrorCopying));
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    writeFile(source + "/new.txt", "new");
    ASSERT_EQ(runVelmora({"Docs"}).exitCode, 0);
    const QStringList updates = QDir(destination).entryList({"docs_upd_*.7z"}, QDir::Files);
    ASSERT_EQ(updates.size(), 1);

    const RunOutcome good = runVelmora({"--verify", "--all"});
    EXPECT_EQ(good.exitCode, 0) << good.output.toStdString() << good.errorOutput.toStdString();
    EXPECT_TRUE(good.output.contains("   " + destination + "/docs.7z: OK\n")) << good.output.toStdString();
    EXPECT_TRUE(good.output.contains("   " + destination + "/" + updates.first() + ": OK\n"));
    EXPECT_TRUE(good.output.contains("== Mirror: Done in 0 s. 'Mirror' is a mirror set: it has no archive to test."))
        << good.output.toStdString();
    EXPECT_TRUE(setFileText("Docs").contains("\nLastVerified=")) << setFileText("Docs").toStdString();
    EXPECT_FALSE(setFileText("Mirror").contains("\nLastVerified="));

    // A torn update archive: the set fails and names it; the full archive is still found good.
    const QString update = destination + "/" + updates.first();
    const QByteArray whole = readFile(update);
    writeFile(update, whole.left(whole.size() / 2));
    const RunOutcome bad = runVelmora({"--verify", "docs"});
    EXPECT_EQ(bad.exitCode, 1) << bad.output.toStdString();
    EXPECT_TRUE(bad.output.contains("   " + update + ": did not test good: 7-Zip's test ended with exit code 2\n"))
        << bad.output.toStdString();
    EXPECT_TRUE(bad.output.contains("docs.7z: OK\n"));
    EXPECT_TRUE(bad.output.contains("== Docs: Failed: the verification failed for '" + updates.first() + "'\n"))
        << bad.output.toStdString();
}

TEST_F(VerifyRun, UsageErrorsAndUnknownSetsEndWithTwoAndTestNothing)
{
    writeSet(setOf("Docs", source, destination, FullArchiving, "docs"));
    EXPECT_EQ(runVelmora({"--verify"}).exitCode, 2);
    EXPECT_EQ(runVelmora({"--verify", "--all", "Docs"}).exitCode, 2);
    EXPECT_EQ(runVelmora({"--verify", "--dry-run", "Docs"}).exitCode, 2);
    const RunOutcome unknown = runVelmora({"--verify", "Docs", "Nowhere"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.errorOutput.contains("'Nowhere'")) << unknown.errorOutput.toStdString();
    // A set never run has no archive to find good.
    const RunOutcome never = runVelmora({"--verify", "Docs"});
    EXPECT_EQ(never.exitCode, 1);
    EXPECT_TRUE(never.output.contains("there is no archive of this set in '" + destination + "'"))
        << never.output.toStdString();
}
