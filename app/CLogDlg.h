#pragma once

// The window that shows what 7-Zip or rsync printed during the last run.

#include <QDialog>
#include <QFont>

class QPlainTextEdit;

class CLogDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CLogDlg(QWidget* parent = nullptr);

    // Which text to show, set before the window opens: 0 the output text, 1 the second output text.
    qint32 m_logKind = 0;

    // Reads the chosen text of the last run into the box; the window calls it once, when it first opens.
    void OnInitDialog();

    QPlainTextEdit* textBox() const { return m_text; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QFont m_font;
    QPlainTextEdit* m_text = nullptr;
    bool m_initialised = false;
};
