#include "ToolProgress.h"

#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray capture(const char* name)
{
    QFile file(QStringLiteral(VELMORA_ENGINE_TEST_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

struct Fed
{
    QByteArray kept;
    QList<ToolReading> readings;
};

// The whole capture through one reader, in pieces of the given sizes (the last size repeats).
Fed feedInPieces(ProgressFormat format, const QByteArray& bytes, const QList<qsizetype>& sizes)
{
    ToolOutputReader reader(format);
    Fed fed;
    qsizetype at = 0;
    for (qsizetype index = 0; at < bytes.size(); ++index) {
        const qsizetype size = std::min(sizes.at(std::min(index, sizes.size() - 1)), bytes.size() - at);
        fed.kept += reader.feed(QByteArrayView(bytes).sliced(at, size));
        at += size;
        if (reader.takeChanged())
            fed.readings.append(reader.reading());
    }
    fed.kept += reader.finish();
    if (reader.takeChanged())
        fed.readings.append(reader.reading());
    return fed;
}

QList<QList<qsizetype>> chunkings(qsizetype total)
{
    QList<qsizetype> random;
    for (qsizetype sum = 0; sum < total; sum += random.last())
        random.append(QRandomGenerator::global()->bounded(1, 200));
    return {{total}, {1}, {7}, random};
}

// What every chunking must give: the same kept text, percents that only rise and end at 100. Returns the
// capture fed in small pieces, as a tool's output comes.
Fed expectSteadyReadings(ProgressFormat format, const char* name)
{
    const QByteArray bytes = capture(name);
    const Fed whole = feedInPieces(format, bytes, {bytes.size()});
    for (const QList<qsizetype>& sizes : chunkings(bytes.size())) {
        const Fed fed = feedInPieces(format, bytes, sizes);
        EXPECT_EQ(fed.kept, whole.kept) << name << " in " << sizes.size() << " pieces";
        int last = -1;
        for (const ToolReading& reading : fed.readings) {
            EXPECT_GE(reading.percent, last) << name;
            EXPECT_LE(reading.percent, 100) << name;
            last = reading.percent;
        }
        EXPECT_EQ(last, 100) << name;
    }
    EXPECT_FALSE(whole.kept.contains('\b'));
    EXPECT_FALSE(whole.kept.contains('\r'));
    return feedInPieces(format, bytes, {7});
}

} // namespace

TEST(ToolProgress, SevenZipOutputInAnyPiecesRisesToOneHundredAndKeepsItsRealLines)
{
    const Fed fed = expectSteadyReadings(ProgressFormat::SevenZip, "7zz-bsp1.out");
    // Many steps, not only the end; the size comes from the line before the progress.
    EXPECT_GE(fed.readings.size(), 50);
    const ToolReading last = fed.readings.last();
    EXPECT_EQ(last.bytesTotal, 83886086);
    EXPECT_EQ(last.bytesDone, 83886086);
    EXPECT_EQ(last.currentFile, QStringLiteral("sub/Новый файл.bin"));
    EXPECT_EQ(fed.readings.at(fed.readings.size() / 2).bytesDone,
        qint64(83886086) * fed.readings.at(fed.readings.size() / 2).percent / 100);
    const QString kept = QString::fromUtf8(fed.kept);
    // The scan's counter is gone but its result stays; the redrawn line goes whole.
    EXPECT_TRUE(kept.contains("\nScanning the drive:\n1 folder, 8 files, 83886086 bytes (81 MiB)\n"))
        << kept.toStdString();
    EXPECT_TRUE(kept.contains("Add new data to archive: 1 folder, 8 files, 83886086 bytes (81 MiB)\n\n"
                              "Files read from disk: 8\nArchive size: 83891676 bytes (81 MiB)\nEverything is Ok\n"))
        << kept.toStdString();
    EXPECT_FALSE(kept.contains('%'));
}

TEST(ToolProgress, RsyncOutputInAnyPiecesRisesToOneHundredAndKeepsEveryChange)
{
    const Fed fed = expectSteadyReadings(ProgressFormat::Rsync, "rsync-progress2.out");
    EXPECT_GE(fed.readings.size(), 8);
    EXPECT_EQ(fed.readings.last().bytesDone, 83886086);
    EXPECT_EQ(fed.readings.last().bytesTotal, -1);
    EXPECT_EQ(fed.readings.last().currentFile, QStringLiteral("sub/Новый файл.bin"));
    EXPECT_EQ(QString::fromUtf8(fed.kept),
        "*deleting   gone.txt\n.d..t...... ./\n>f+++++++++ part1.bin\n>f+++++++++ part2.bin\n"
        ">f+++++++++ part3.bin\n>f+++++++++ part4.bin\n>f+++++++++ part5.bin\n>f+++++++++ part6.bin\n"
        "cd+++++++++ sub/\n>f+++++++++ sub/note.txt\n>f+++++++++ sub/Новый файл.bin\n"
        "83,886,086 100%  784.01MB/s    0:00:00 (xfr#8, to-chk=0/10)\n");
}

TEST(ToolProgress, RsyncSaysOneHundredOnlyWhenNothingIsLeftToCheck)
{
    ToolOutputReader reader(ProgressFormat::Rsync);
    // A mirror that is already up to date: nothing transferred, and done.
    EXPECT_EQ(reader.feed("\r              0   0%    0.00kB/s    0:00:00 (xfr#0, to-chk=0/6)\n"), "");
    EXPECT_EQ(reader.reading().percent, 100);
    EXPECT_EQ(reader.finish(), "0   0%    0.00kB/s    0:00:00 (xfr#0, to-chk=0/6)\n");
    ToolOutputReader growing(ProgressFormat::Rsync);
    // Read as soon as it comes, not only when the next redraw starts.
    growing.feed("\r  1,000 100%  1.00kB/s    0:00:00 (xfr#1, ir-chk=1000/1002)");
    EXPECT_EQ(growing.reading().percent, 99);
    EXPECT_EQ(growing.reading().bytesDone, 1000);
}

TEST(ToolProgress, TextWithoutRedrawsPassesUnchangedAndALongLineStaysBounded)
{
    for (const ProgressFormat format : {ProgressFormat::SevenZip, ProgressFormat::Rsync}) {
        ToolOutputReader reader(format);
        const QByteArray line(ToolOutputReader::kLongestSegment * 3, 'x');
        // Passed on while it comes, not held until its end.
        EXPECT_EQ(reader.feed(line).size(), line.size());
        EXPECT_EQ(reader.feed("y\nERROR: a : Permission denied\nno end"), "y\nERROR: a : Permission denied\n");
        EXPECT_EQ(reader.finish(), "no end");
        EXPECT_EQ(reader.reading().percent, -1);
    }
}

TEST(ToolProgress, MeterSendsAtMostTenASecondNeverGoesBackAndSendsTheEndAtOnce)
{
    QList<JobProgress> sent;
    ProgressMeter meter([&](const JobProgress& progress) { sent.append(progress); }, 2, 3);
    meter.start();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().percent, -1);
    EXPECT_EQ(sent.first().setIndex, 2);
    EXPECT_EQ(sent.first().setCount, 3);
    // Ten seconds of a tool that reports every 10 ms at a steady 10 MB a second, of 100 MB.
    const qint64 total = 100 << 20;
    for (qint64 ms = 10; ms < 9000; ms += 10) {
        ToolReading reading;
        reading.bytesTotal = total;
        reading.bytesDone = total * ms / 10000;
        reading.percent = int(reading.bytesDone * 100 / total);
        meter.update(reading, ms);
        // A reading that goes back changes nothing.
        reading.percent -= 5;
        reading.bytesDone /= 2;
        meter.update(reading, ms);
    }
    EXPECT_LE(sent.size(), 92);
    EXPECT_GE(sent.size(), 85);
    for (qsizetype index = 1; index < sent.size(); ++index) {
        EXPECT_GE(sent.at(index).percent, sent.at(index - 1).percent);
        EXPECT_GE(sent.at(index).bytesDone, sent.at(index - 1).bytesDone);
    }
    // No time left on the first two seconds' evidence; then about what is left, without jumps.
    for (const JobProgress& progress : std::as_const(sent)) {
        const qint64 ms = progress.bytesDone * 10000 / total;
        if (ms <= 2000) {
            EXPECT_EQ(progress.secondsLeft, -1) << ms;
        } else if (ms > 2100) {
            EXPECT_NEAR(double(progress.secondsLeft), double(10000 - ms) / 1000, 1.0) << ms;
        }
        if (ms > 1100) {
            EXPECT_NEAR(double(progress.bytesPerSecond), 10.0 * (1 << 20), 0.2 * (1 << 20)) << ms;
        }
    }
    ToolReading end;
    end.percent = 100;
    meter.update(end, 9001);
    EXPECT_EQ(sent.last().percent, 100);
    EXPECT_EQ(sent.last().bytesDone, total);
    EXPECT_EQ(sent.last().secondsLeft, 0);
    // Above 100 is 100.
    end.percent = 120;
    meter.update(end, 9500);
    meter.finish();
    EXPECT_EQ(sent.last().percent, 100);
}
