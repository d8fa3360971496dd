#include "CLogDlg.h"
#include "LastRun.h"
#include "RecordingMessages.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

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
