#include "LastRun.h"
#include "TempHome.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(LastRun, ARunOfManySetsKeepsItsFirstAndLastPartWithOneCutLine)
{
    TempHome home;
    ClearLastRunTexts();
    // Thirty sets of a megabyte each, as a run of every set whose tools printed much.
    qsizetype total = 0;
    for (int set = 1; set <= 30; ++set) {
        QString output;
        for (int line = 0; line < 20000; ++line)
            output += QStringLiteral("set %1 line %2 ............................\n").arg(set).arg(line);
        const QString heading = QStringLiteral("== Set %1").arg(set);
        total += heading.size() + 1 + output.size();
        AppendLastRunTexts(heading, {output, {}, QString(3 << 20, u'e')});
    }
    const LastRunTexts texts = GetLastRunTexts();
    EXPECT_LE(texts.logText.size(), kLastRunTextChars + 200);
    EXPECT_TRUE(texts.logText.startsWith("== Set 1\nset 1 line 0 ."));
    EXPECT_TRUE(texts.logText.endsWith("set 30 line 19999 ............................\n"));
    EXPECT_TRUE(texts.logText.contains("== Set 30\n"));
    EXPECT_EQ(texts.logText.count("characters left out here"), 1);
    // The cut falls between lines, and the count makes the kept parts add up to the whole.
    const qsizetype headEnd = texts.logText.indexOf("\n[") + 1;
    const qsizetype tailStart = texts.logText.indexOf("]\n") + 2;
    EXPECT_EQ(texts.logText.mid(headEnd, tailStart - headEnd),
        QStringLiteral("[%1 characters left out here. The tools' whole output is in '%2'.]\n")
            .arg(total - headEnd - (texts.logText.size() - tailStart))
            .arg(LastRunOutputPath(false)));
    EXPECT_TRUE(texts.logText.mid(tailStart).startsWith("set "));
    // Texts that are no tool's output name no file.
    EXPECT_LE(texts.runError.size(), kLastRunTextChars + 200);
    EXPECT_TRUE(texts.runError.contains(QRegularExpression("\n\\[\\d+ characters left out here\\.\\]\n")));

    ClearLastRunTexts();
    AppendLastRunTexts("== Small", {"out\n", "err\n", {}});
    EXPECT_EQ(GetLastRunTexts().logText, "== Small\nout\n");
}
