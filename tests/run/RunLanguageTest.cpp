#include "RunTestSupport.h"
#include "ToolTestSupport.h"

namespace {

// velmora-run speaks the interface language the window's setting chooses, while what scripts read stays the same
// bytes in every language.
class RunLanguage : public RunFixture
{
protected:
    void SetUp() override
    {
        source = folder(QStringLiteral("data/Docs"));
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        destination = folder(QStringLiteral("backup"));
        writeSet(setOf("Docs", source, destination, IncrementalArchiving, "docs")
                     .withKeys("Schedule=3\nScheduleDay=5\nScheduleTime=20:00\n"));
        writeSet(setOf("Unplugged", home.filePath("media/disk/Docs"), destination, FullArchiving, "unplugged"));
    }

    void speak(int languageId) { writeSettings("LangID=" + QByteArray::number(languageId)); }

    // The forms scripts read, in the language chosen now.
    QStringList scriptForms()
    {
        QStringList forms;
        for (const QStringList& arguments : {QStringList {"--list"}, QStringList {"--points", "Docs"},
                 QStringList {"--versions", "Docs", "a.txt"}, QStringList {"--check", "--no-notify"}}) {
            const RunOutcome run = runVelmora(arguments);
            forms.append(QString::number(run.exitCode) + QLatin1Char('\n') + run.output);
        }
        return forms;
    }

    QString source;
    QString destination;
};

TEST_F(RunLanguage, ARussianRunSaysItsSummaryAndErrorsInRussian)
{
    speak(1);

    const RunOutcome run = runVelmora({"Docs", "Unplugged"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(archiveEntries(destination + "/docs.7z").isEmpty());
    EXPECT_TRUE(run.output.endsWith(QString::fromUtf8("== выполнено наборов: 1 из 2, с ошибкой: 1\n")))
        << run.output.toStdString();

    const RunOutcome unknown = runVelmora({"Nobody"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.errorOutput,
        QString::fromUtf8("velmora-run: нет набора резервного копирования с именем 'Nobody'; ничего не запущено. "
                          "velmora-run --list показывает наборы.\n"));

    // The command line is read in the interface language too: its errors and the help come before any set.
    const RunOutcome misuse = runVelmora({"--list", "Docs"});
    EXPECT_EQ(misuse.exitCode, 2);
    EXPECT_EQ(misuse.errorOutput,
        QString::fromUtf8("velmora-run: --list не принимает имён наборов и других параметров.\n"
                          "velmora-run: velmora-run --help объясняет, как им пользоваться.\n"));
    const RunOutcome help = runVelmora({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.startsWith(QString::fromUtf8("Использование: velmora-run --list\n")));
    EXPECT_TRUE(help.output.contains("velmora-run [--from-offsite] --versions NAME PATH\n"));
}

TEST_F(RunLanguage, ListPointsVersionsAndCheckAreTheSameBytesInEveryLanguage)
{
    // A success for --points and --versions, and a failure for --check to name.
    ASSERT_EQ(runVelmora({"Docs", "Unplugged"}).exitCode, 1);

    speak(0);
    const QStringList english = scriptForms();
    speak(1);
    const QStringList russian = scriptForms();

    ASSERT_EQ(english.size(), 4);
    EXPECT_EQ(russian, english);
    EXPECT_TRUE(english[0].contains("\tIncremental archiving\t" + source + "\t" + destination + "\t" + today()
        + "\tEvery week on Friday at 20:00\t"))
        << english[0].toStdString();
    EXPECT_TRUE(english[0].contains("\tFull archiving\t")) << english[0].toStdString();
    EXPECT_TRUE(english[1].startsWith("0\n") && english[1].contains("\tfull\t")) << english[1].toStdString();
    EXPECT_TRUE(english[2].startsWith("0\n") && english[2].contains("\t5\t")) << english[2].toStdString();
    EXPECT_TRUE(english[3].startsWith("1\nUnplugged: failed on ")) << english[3].toStdString();
}

} // namespace
