#include "LastRun.h"
#include "TempHome.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(LastRun, ARunOfManySetsKeepsItsFirstAndLastPartWithOneCutLine)
{
    TempHome home;
    ClearLastRunTexts();
    // Thirty sets of 100,000 characters each, as a run of every set whose tools printed much.
    qsizetype total = 0;
    for (int set = 1; set <= 30; ++set) {
        QString output;
        for (int line = 0; line < 2000; ++line)
            output += QStringLiteral("set %1 line %2 ............................\n").arg(set).arg(line);
        const QString heading = QStringLiteral("== Set %1").arg(set);
        total += heading.size() + 1 + output.size();
        AppendLastRunTexts(heading, {output, {}, QString(3 << 20, u'e')});
    }
    const LastRunTexts texts = GetLastRunTexts();
    EXPECT_LE(texts.logText.size(), kLastRunTextChars + 200);
    EXPECT_TRUE(texts.logText.startsWith("== Set 1\nset 1 line 0 ."));
    EXPECT_TRUE(texts.logText.endsWith("set 30 line 1999 ............................\n"));
    EXPECT_TRUE(texts.logText.contains("== Set 30\n"));
    EXPECT_EQ(texts.logText.count("characters left out here"), 1);
    // The cut falls between lines, and the count makes the kept parts add up to the whole.
    const qsizetype headEnd = texts.logText.indexOf("\n[") + 1;
    const qsizetype tailStart = texts.logText.indexOf("]\n") + 2;
    // The file named is the whole output's, or a set's kept log, which an earlier run may have left as the last.
    static const QRegularExpression cutLine(QStringLiteral(
        "^\\[(\\d+) characters left out here\\. (The tools' whole output is in|The run's log) '([^']+)'[ .].*\\]\n$"));
    const QRegularExpressionMatch cut = cutLine.match(texts.logText.mid(headEnd, tailStart - headEnd));
    ASSERT_TRUE(cut.hasMatch()) << texts.logText.mid(headEnd, tailStart - headEnd).toStdString();
    EXPECT_EQ(cut.captured(1).toLongLong(), total - headEnd - (texts.logText.size() - tailStart));
    EXPECT_EQ(cut.captured(3), LastRunOutputPath(false));
    EXPECT_TRUE(texts.logText.mid(tailStart).startsWith("set "));
    // Texts that are no tool's output name no file.
    EXPECT_LE(texts.runError.size(), kLastRunTextChars + 200);
    EXPECT_TRUE(texts.runError.contains(QRegularExpression("\n\\[\\d+ characters left out here\\.\\]\n")));

    ClearLastRunTexts();
    AppendLastRunTexts("== Small", {"out\n", "err\n", {}});
    EXPECT_EQ(GetLastRunTexts().logText, "== Small\nout\n");
}
