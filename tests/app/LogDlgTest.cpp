#include "CLogDlg.h"
#include "DialogTemplate.h"
#include "KeptRunSupport.h"
#include "LastRun.h"
#include "RecordingMessages.h"
#include "ResourceIds.h"
#include "ShowHelp.h"
#include "TempHome.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <iostream>

namespace {

void press(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

} // namespace

class LogDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { SetLastRunTexts({QStringLiteral("7-Zip output"), QStringLiteral("second text"), {}}); }
    void TearDown() override { ClearLastRunTexts(); }

    RecordingMessages messages;
};

TEST_F(LogDlgTest, ShowsTheTextChosenByKindAsItWasWhenTheWindowOpened)
{
    CLogDlg second;
    second.m_logKind = 1;
    second.show();
    EXPECT_EQ(second.textBox()->toPlainText(), "second text");

    CLogDlg output;
    output.m_logKind = 0;
    output.show();
    EXPECT_EQ(output.textBox()->toPlainText(), "7-Zip output");
    // A later run does not change a window that is already open, not even when it is shown again.
    SetLastRunTexts({QStringLiteral("newer output"), {}, {}});
    output.hide();
    output.show();
    EXPECT_EQ(output.textBox()->toPlainText(), "7-Zip output");
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(LogDlgTest, UnknownKindShowsAnEmptyBoxAndSaysSo)
{
    CLogDlg dialog;
    dialog.m_logKind = 7;
    dialog.show();
    EXPECT_TRUE(dialog.textBox()->toPlainText().isEmpty());
    EXPECT_EQ(messages.messages(), QStringList {"What is it?"});
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(LogDlgTest, TextIsReadOnlyFixedPitchWrappedAndCopyable)
{
    const QString longPath = QStringLiteral("/backup/") + QString(300, QLatin1Char('x')) + ".txt";
    SetLastRunTexts({longPath, {}, {}});
    CLogDlg dialog;
    dialog.show();
    QPlainTextEdit* box = dialog.findChild<QPlainTextEdit*>("ctl1045");
    ASSERT_NE(box, nullptr);

    // A long path with no blank wraps at the box's width, even inside its last component.
    const QTextLayout* layout = box->document()->firstBlock().layout();
    ASSERT_GT(layout->lineCount(), 2);
    for (int i = 0; i < layout->lineCount(); ++i)
        EXPECT_LE(layout->lineAt(i).naturalTextWidth(), box->viewport()->width());
    EXPECT_EQ(box->horizontalScrollBar()->maximum(), 0);

    // Columns of tool output line up: a narrow and a wide letter take the same room.
    const QFontMetrics metrics(box->font());
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')), metrics.horizontalAdvance(QLatin1Char('W')));
    EXPECT_EQ(box->font().pointSize(), 8);

    box->setFocus();
    press(box, Qt::Key_T, Qt::NoModifier, QStringLiteral("t"));
    press(box, Qt::Key_Backspace);
    EXPECT_EQ(box->toPlainText(), longPath);

    press(box, Qt::Key_A, Qt::ControlModifier);
    press(box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), longPath);
}

TEST_F(LogDlgTest, CloseButtonEndsTheWindow)
{
    CLogDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "View Log");
    dialog.show();
    QPushButton* close = dialog.findChild<QPushButton*>("ctl2");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "Close");
    close->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// The kept logs of each set's runs, in a home of the test's own.
class KeptLogDlgTest : public LogDlgTest
{
protected:
    void SetUp() override
    {
        LogDlgTest::SetUp();
        setUrlOpener([this](const QUrl& url) {
            opened.append(url);
            return true;
        });
    }
    void TearDown() override
    {
        setUrlOpener({});
        LogDlgTest::TearDown();
    }
    QStringList entries(const CLogDlg& dialog) const
    {
        QStringList texts;
        for (int row = 0; row < dialog.runList()->count(); ++row)
            texts.append(dialog.runList()->itemText(row));
        return texts;
    }

    TempHome home;
    QList<QUrl> opened;
};

TEST_F(KeptLogDlgTest, ShowsTheSetsLatestRunAndAnyEarlierKeptOneNewestFirst)
{
    const QString first = keepRun(7, "first output\n", JobOutcome::Done);
    const QString second = keepRun(7, "second output", JobOutcome::ToolFailed);
    keepRun(8, "another set\n", JobOutcome::Done);
    const QString going = keepRun(7, "still going\n", std::nullopt);

    CLogDlg dialog;
    dialog.m_setId = 7;
    dialog.show();
    const QStringList titles = entries(dialog);
    ASSERT_EQ(titles.size(), 3);
    EXPECT_TRUE(titles[0].endsWith("Not finished")) << titles[0].toStdString();
    EXPECT_TRUE(titles[1].endsWith("Failed")) << titles[1].toStdString();
    EXPECT_TRUE(titles[2].endsWith("Done")) << titles[2].toStdString();
    EXPECT_EQ(titles[2].size(), QStringLiteral("2024-05-01 21:30:05   Done").size());
    EXPECT_EQ(dialog.textBox()->toPlainText(), "still going\n");
    EXPECT_EQ(dialog.shownFile(), going);

    dialog.runList()->setCurrentIndex(1);
    EXPECT_EQ(dialog.textBox()->toPlainText(), "second output\n== Failed: \n") << "the result closes each log";
    dialog.runList()->setCurrentIndex(2);
    EXPECT_TRUE(dialog.textBox()->toPlainText().startsWith("first output\n== Done in "));
    FindControl<QPushButton>(&dialog, ControlId::OpenWholeLog)->click();
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(first)}));
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(KeptLogDlgTest, WithoutASetOrItsKeptRunsTheLastRunsTextsAreShown)
{
    keepRun(7, "kept output\n", JobOutcome::Done);
    for (const quint32 setId : {0U, 9U}) {
        CLogDlg dialog;
        dialog.m_setId = setId;
        dialog.show();
        EXPECT_EQ(dialog.textBox()->toPlainText(), "7-Zip output") << setId;
        EXPECT_EQ(dialog.runList()->count(), 0);
        EXPECT_FALSE(dialog.runList()->isEnabled());
    }
    // The second text is not in the kept logs, which hold both streams together.
    CLogDlg second;
    second.m_setId = 7;
    second.m_logKind = 1;
    second.show();
    EXPECT_EQ(second.textBox()->toPlainText(), "second text");
}

TEST_F(KeptLogDlgTest, AHundredMegabyteLogOpensAtOnceWithItsEndAndWhereTheWholeIs)
{
    const QString path = BeginRunLog(7);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        QByteArray block;
        for (int line = 0; block.size() < (1 << 20); ++line)
            block += "U  /home/me/Documents/projects/velmora/file-" + QByteArray::number(line) + ".txt\n";
        while (file.size() < qint64(100) << 20)
            ASSERT_EQ(file.write(block), block.size());
        file.write("last line of the tool\n");
    }
    const QString log = EndRunLog(7, path, JobResult(JobOutcome::Done, "Set", 0, {}, {}));
    const qint64 size = QFileInfo(log).size();

    QElapsedTimer timer;
    timer.start();
    CLogDlg dialog;
    dialog.m_setId = 7;
    dialog.show();
    QApplication::processEvents();
    const qint64 elapsed = timer.elapsed();
    RecordProperty("OpenMilliseconds", int(elapsed));
    // The time is reported, not asserted: a loaded machine must not fail the test.
    std::cout << "A kept log of " << size << " bytes opened in the viewer in " << elapsed << " ms\n";

    const QString text = dialog.textBox()->toPlainText();
    EXPECT_LE(text.size(), CLogDlg::kShownLogBytes + 1000) << "only the end is read";
    const QString firstLine = text.section('\n', 0, 0);
    EXPECT_TRUE(
        firstLine.startsWith("[The start of this log is left out; these are about the last 1.0 MB of its 100.0 MB."))
        << firstLine.toStdString();
    EXPECT_TRUE(firstLine.contains("'" + log + "'"));
    EXPECT_TRUE(text.section('\n', 1, 1).startsWith("U  /home/me/")) << "whole lines after the note";
    EXPECT_TRUE(text.contains("last line of the tool\n== Done in "));
    FindControl<QPushButton>(&dialog, ControlId::OpenWholeLog)->click();
    EXPECT_EQ(opened, QList<QUrl>({QUrl::fromLocalFile(log)}));
}
