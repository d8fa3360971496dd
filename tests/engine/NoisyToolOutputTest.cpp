#include "ConsoleRunner.h"
#include "EngineTestSupport.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "RunLogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <unistd.h>

namespace {

// Shell lines that print `lines` numbered lines of the kind 7-Zip prints for each file, every 50,000th one a
// warning, to the given stream ("" or ">&2").
QByteArray noise(const char* word, int lines, const char* stream = "")
{
    return QByteArray("awk 'BEGIN { for (i = 1; i <= ") + QByteArray::number(lines)
        + "; i++) { if (i % 50000 == 0) printf \"" + word
        + ": line %d could not be read\\n\", i; else printf \"Compressing  ordinary/file/number/%09d.txt\\n\", i } "
          "}' "
        + stream + "\n";
}

// A line of the form "Compressing  ordinary/file/number/000000042.txt".
QByteArray noiseLine(int number)
{
    return "Compressing  ordinary/file/number/" + QByteArray::number(number).rightJustified(9, '0') + ".txt\n";
}

constexpr int kNoiseLines = 500000;

struct CutEnd
{
    qint64 leftOut = -1;
    qint64 problemsKept = -1;
    qint64 problemsLeftOut = -1;
};

CutEnd cutEndOf(const QByteArray& log, const char* stream)
{
    const QRegularExpression line(QStringLiteral("^\\[(\\d+) bytes of the %1 are left out of this log; (\\d+) of its "
                                                 "warning and error lines are kept above, (\\d+) more are left "
                                                 "out\\. Its last part follows\\.\\]$")
                                      .arg(QLatin1String(stream)),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(log));
    if (!match.hasMatch())
        return {};
    return {match.captured(1).toLongLong(), match.captured(2).toLongLong(), match.captured(3).toLongLong()};
}

} // namespace

class NoisyToolTest : public JobFixture
{
protected:
    JobResult runNoisy(
        const QByteArray& before, const QByteArray& after = {}, const QByteArray& sevenZip = "/usr/bin/7zz")
    {
        // Only the archive's making is noisy; the test of the new archive after it is not.
        useFake7Zip("#!/bin/sh\nnoisy=; [ \"$1\" = a ] && noisy=1\n[ -n \"$noisy\" ] && {\n" + before + ":\n}\n"
            + sevenZip + " \"$@\"\ncode=$?\n[ -n \"$noisy\" ] && {\n" + after + ":\n}\nexit $code\n");
        if (m_id == 0)
            m_id = addSet(FullArchiving);
        return runner.runSet(m_id);
    }

    JobRunner runner;
    quint32 m_id = 0;
};

TEST_F(NoisyToolTest, ANoisyRunKeepsEachStreamsFirstAndLastPartAndEveryWarningLineAndSaysWhatWasLeftOut)
{
    const JobResult result = runNoisy(noise("WARNING", kNoiseLines) + noise("ERROR", kNoiseLines, ">&2"));
    ASSERT_EQ(ResultKindOf(result), JobResultKind::Done) << result.reason.toStdString();
    EXPECT_TRUE(archiveEntries(fullArchive()).contains("a.txt"));

    const QByteArray log = readFile(result.logPath);
    // Two streams of about 23 MB each: a part of one MiB at either end of each, the warning lines, three lines of
    // 7-Zip's own and the notes.
    EXPECT_LT(log.size(), 4 * (1 << 20) + 64 * 1024) << log.size();
    EXPECT_TRUE(log.startsWith(noiseLine(1))) << log.left(200).data();
    EXPECT_TRUE(log.contains(noiseLine(kNoiseLines - 1)));
    EXPECT_FALSE(log.contains(noiseLine(kNoiseLines / 2 + 2)));
    for (int number = 50000; number <= kNoiseLines; number += 50000) {
        for (const char* word : {"WARNING", "ERROR"}) {
            const QByteArray warning
                = word + QByteArray(": line ") + QByteArray::number(number) + " could not be read\n";
            EXPECT_EQ(log.count(warning), 1) << warning.data();
        }
    }
    EXPECT_EQ(log.count("[From here on this log keeps only the warning and error lines of the standard output, and "
                        "its last part at the end.]\n"),
        1);
    EXPECT_EQ(log.count("[From here on this log keeps only the warning and error lines of the error output, and its "
                        "last part at the end.]\n"),
        1);
    const qint64 streamBytes = qint64(kNoiseLines) * noiseLine(1).size();
    for (const char* stream : {"standard output", "error output"}) {
        const CutEnd end = cutEndOf(log, stream);
        EXPECT_GT(end.leftOut, streamBytes - 2 * (1 << 20) - 64 * 1024) << stream;
        EXPECT_LT(end.leftOut, streamBytes - 2 * (1 << 20) + 64 * 1024) << stream;
        // The warnings between the two parts, each with the line after it, which names the file when 7-Zip
        // writes it; the last one is in the last part.
        EXPECT_EQ(end.problemsKept, 2 * (kNoiseLines / 50000 - 1)) << stream;
        EXPECT_EQ(end.problemsLeftOut, 0) << stream;
    }
    // The tool's own closing lines, then the result.
    EXPECT_TRUE(log.contains("\nEverything is Ok\n"));
    EXPECT_TRUE(log.endsWith("== " + JobResultText(result).toUtf8() + "\n"));
}

TEST_F(NoisyToolTest, SevenZipsOwnWarningsAmidALongOutputAreKeptWholeWithTheNameOnTheLineAfter)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "dropping the capability to read every file needs root";
    makeTree(source, {{"locked/one.txt", "1"}});
    QFile::setPermissions(source + "/locked", {});
    // The real 7-Zip, without root's power to read every file, between two long stretches of ordinary lines.
    const JobResult result = runNoisy(noise("Noise", 100000) + noise("Noise", 100000, ">&2"),
        noise("Noise", 100000) + noise("Noise", 100000, ">&2"),
        "setpriv --bounding-set=-dac_override,-dac_read_search /usr/bin/7zz");
    QFile::setPermissions(source + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(ResultKindOf(result), JobResultKind::Warnings) << result.reason.toStdString();

    const QByteArray log = readFile(result.logPath);
    EXPECT_LT(log.size(), 4 * (1 << 20) + 64 * 1024);
    EXPECT_FALSE(log.contains(noiseLine(150000)));
    // On standard error the warning and the name it is about; on standard output the closing list.
    const QString text = QString::fromUtf8(log);
    EXPECT_TRUE(text.contains(QRegularExpression("\nWARNING: errno=13 : Permission denied\n[^\n]*locked/?\n")));
    EXPECT_TRUE(text.contains(QRegularExpression("\nScan WARNINGS for files and folders:\n\n[^\n]*locked/? : errno=13 "
                                                 ": Permission denied\n----------------\n")));
    EXPECT_TRUE(log.contains("Scan WARNINGS: 1\n"));
}

TEST_F(NoisyToolTest, ALineWithoutEndIsCutLikeAnyOther)
{
    const JobResult result = runNoisy("head -c 30000000 /dev/zero | tr '\\0' x\necho\n");
    ASSERT_EQ(ResultKindOf(result), JobResultKind::Done) << result.reason.toStdString();
    const QByteArray log = readFile(result.logPath);
    EXPECT_LT(log.size(), 2 * (1 << 20) + 64 * 1024);
    EXPECT_GT(cutEndOf(log, "standard output").leftOut, 30000000 - 2 * (1 << 20));
    EXPECT_TRUE(log.contains("\nEverything is Ok\n"));
}

TEST_F(NoisyToolTest, NoisyRunsKeepASetsLogsUnderTheirBoundWithTheNewestWhole)
{
    // Every line an error: the warning lines kept between the parts have a bound of their own.
    const QByteArray errors = "yes 'ERROR: something went wrong with a file this run was reading' | head -c 30000000 "
                              ">&2\n";
    QStringList paths;
    for (int run = 0; run < 10; ++run) {
        const JobResult result = runNoisy(errors);
        ASSERT_EQ(ResultKindOf(result), JobResultKind::Done) << result.reason.toStdString();
        const qint64 size = QFileInfo(result.logPath).size();
        EXPECT_LT(size, 7 * (1 << 20)) << run;
        EXPECT_GT(size, 5 * (1 << 20)) << run;
        paths.append(result.logPath);
    }
    const CutEnd end = cutEndOf(readFile(paths.last()), "error output");
    EXPECT_GT(end.problemsKept, 0);
    EXPECT_GT(end.problemsLeftOut, 0);

    qint64 total = 0;
    const QList<KeptRun> runs = KeptRunsOf(m_id);
    for (const KeptRun& run : runs)
        total += QFileInfo(run.path).size();
    EXPECT_LE(total, kKeptLogBytesPerSet);
    ASSERT_GE(runs.size(), 6);
    EXPECT_LT(runs.size(), 10);
    // The newest ones stay; the oldest went.
    EXPECT_EQ(runs.first().path, paths.last());
    EXPECT_FALSE(QFileInfo::exists(paths.first()));
}

TEST_F(NoisyToolTest, HundredsOfMegabytesOnEitherStreamTakeLittleMemoryInTheWindowAndOnTheTerminal)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: resident memory does not measure the runner";
#endif
    quint64 progressValues = 0;
    QObject::connect(
        &runner, &JobRunner::progress, &runner, [&](const JobProgress&) { ++progressValues; }, Qt::DirectConnection);
    QFile terminal("/dev/null");
    ASSERT_TRUE(terminal.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray line = "yes 'Compressing  some/ordinary/path/of/a/file/that/7zip/would/name/in/its/listing.txt' | "
                            "head -c 200000000 ";
    for (const bool onTerminal : {false, true}) {
        // velmora-run passes every byte on to its own output as well.
        if (onTerminal)
            runner.setOutputListener([&terminal](const QByteArray& bytes, bool) { terminal.write(bytes); });
        for (const char* stream : {"", ">&2"}) {
            // The window and velmora-run run a job on a thread of its own; velmora-run also on its main thread.
            for (const bool onWorker : {true, false}) {
                ASSERT_TRUE(ResetResidentPeak());
                const qint64 before = StatusKib("VmRSS");
                JobResult result;
                if (onWorker) {
                    QThread* worker = QThread::create([&] { result = runNoisy(line + stream + "\n"); });
                    worker->start();
                    // The job's events wait for this thread, as they wait for the window's.
                    while (!worker->wait(5))
                        QCoreApplication::processEvents();
                    delete worker;
                } else {
                    result = runNoisy(line + stream + "\n");
                }
                const qint64 rise = StatusKib("VmHWM") - before;
                ASSERT_EQ(ResultKindOf(result), JobResultKind::Done) << result.reason.toStdString();
                EXPECT_LT(rise, 12 * 1024) << (onTerminal ? "on the terminal, " : "in the window, ") << "stream '"
                                           << stream << "'" << (onWorker ? " on a worker" : " on the main thread");
                EXPECT_LT(QFileInfo(result.logPath).size(), 8 << 20);
            }
        }
        runner.setOutputListener({});
    }
    EXPECT_GT(progressValues, 0u);
}
