#pragma once

// The window that shows what 7-Zip or rsync printed: the last run of the selected set, or an earlier run
// of it that is still kept, or the texts of the last run when no set is selected.

#include "RunLogs.h"

#include <QDialog>
#include <QFont>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

class CLogDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CLogDlg(QWidget* parent = nullptr);

    // Which text to show, set before the window opens: 0 the output text, 1 the second output text.
    qint32 m_logKind = 0;
    // The set whose kept runs the window offers, set before it opens; 0 shows the last run's texts.
    quint32 m_setId = 0;

    // Reads the chosen text into the box; the window calls it once, when it first opens.
    void OnInitDialog();

    // How much of a kept log the window reads: its end, so that a log of any size opens at once.
    static constexpr qint64 kShownLogBytes = qint64(1) << 20;
    // The text shown for a kept log: its last kShownLogBytes, after a line that says the start is left out
    // and where the whole log is when the log is longer.
    static QString keptLogText(const QString& path);
    // "2024-05-01 21:30:05  Done", the entry of a kept run in the list.
    static QString keptRunTitle(const KeptRun& run);

    QPlainTextEdit* textBox() const { return m_text; }
    QComboBox* runList() const { return m_runs; }
    // The file that "Open the whole file" opens; empty when there is none.
    QString shownFile() const { return m_shownFile; }

public slots:
    // Shows the kept run at that row of the list.
    void OnRunChosen(int row);
    void OnOpenWholeFile();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showLastRunTexts();

    QFont m_font;
    QPlainTextEdit* m_text = nullptr;
    QComboBox* m_runs = nullptr;
    QPushButton* m_openWhole = nullptr;
    QList<KeptRun> m_keptRuns;
    QString m_shownFile;
    bool m_initialised = false;
};
