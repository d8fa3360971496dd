#include "CLogDlg.h"

#include "DialogTemplate.h"
#include "LastRun.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "ShowHelp.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

CLogDlg::CLogDlg(QWidget* parent)
    : QDialog(parent)
{
    using C = ControlTemplate;
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("CLogDlg", "View Log"), QSize(453, 260),
        {
            {C::Label, ControlId::LogRuns, QT_TRANSLATE_NOOP("CLogDlg", "&Run:"), 7, 9, 40, 8},
            {C::ComboBox, ControlId::LogRuns, nullptr, 50, 7, 240, 14},
            {C::ReadOnlyText, ControlId::LogText, nullptr, 7, 25, 439, 209},
            {C::PushButton, ControlId::OpenWholeLog, QT_TRANSLATE_NOOP("CLogDlg", "Open the whole file"), 7, 239, 100,
                14},
            // Enter closes the window, as Esc does.
            {C::DefaultButton, ControlId::Cancel, QT_TRANSLATE_NOOP("CLogDlg", "Close"), 396, 239, 50, 14, "ctl2"},
        });
    m_text = FindControl<QPlainTextEdit>(this, ControlId::LogText);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tool output is full of long paths without blanks; they wrap too, so the box never scrolls sideways.
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_runs = FindControl<QComboBox>(this, ControlId::LogRuns);
    m_openWhole = FindControl<QPushButton>(this, ControlId::OpenWholeLog);
    m_openWhole->setToolTip(tr("Opens the whole log of this run with the desktop's program for text files."));
    connect(m_runs, &QComboBox::currentIndexChanged, this, &CLogDlg::OnRunChosen);
    connect(m_openWhole, &QPushButton::clicked, this, &CLogDlg::OnOpenWholeFile);
    connect(FindControl<QPushButton>(this, "ctl2"), &QPushButton::clicked, this, &QDialog::reject);
}

void CLogDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_initialised)
        OnInitDialog();
}

void CLogDlg::OnInitDialog()
{
    m_initialised = true;
    // The system's fixed-pitch face at 8 points, so that the tools' column output lines up.
    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_font.setPointSize(8);
    m_text->setFont(m_font);

    // The kept logs hold both streams together, so only the output text has them to offer.
    m_keptRuns = m_setId != 0 && m_logKind == 0 ? KeptRunsOf(m_setId) : QList<KeptRun>();
    {
        const QSignalBlocker blocker(m_runs);
        m_runs->clear();
        for (const KeptRun& run : m_keptRuns)
            m_runs->addItem(keptRunTitle(run));
    }
    m_runs->setEnabled(!m_keptRuns.isEmpty());
    // A set with no kept run (its runs were before logs were kept, or none could be written) still has the
    // texts of the last run.
    if (m_keptRuns.isEmpty())
        showLastRunTexts();
    else
        OnRunChosen(0);
    m_text->setFocus();
}

void CLogDlg::showLastRunTexts()
{
    const LastRunTexts texts = GetLastRunTexts();
    QString text;
    switch (m_logKind) {
    case 0:
        text = texts.logText;
        break;
    case 1:
        text = texts.logText2;
        break;
    default:
        m_text->clear();
        userMessages().showMessage(tr("What is it?"));
        m_openWhole->setEnabled(false);
        return;
    }
    m_text->setPlainText(text);
    // The texts keep only a part of a long output; the file beside them has it all.
    const QString file = LastRunOutputPath(m_logKind == 1);
    m_shownFile = !text.isEmpty() && QFileInfo(file).isFile() ? file : QString();
    m_openWhole->setEnabled(!m_shownFile.isEmpty());
}

void CLogDlg::OnRunChosen(int row)
{
    if (row < 0 || row >= m_keptRuns.size())
        return;
    if (m_runs->currentIndex() != row) {
        const QSignalBlocker blocker(m_runs);
        m_runs->setCurrentIndex(row);
    }
    m_shownFile = m_keptRuns.at(row).path;
    m_text->setPlainText(keptLogText(m_shownFile));
    m_openWhole->setEnabled(true);
}

void CLogDlg::OnOpenWholeFile()
{
    if (!m_shownFile.isEmpty())
        OpenLocalPath(m_shownFile);
}

QString CLogDlg::keptLogText(const QString& path)
{
    const qint64 size = QFileInfo(path).size();
    const QByteArray tail = ReadLogTail(path, kShownLogBytes);
    QString text = QString::fromUtf8(tail);
    if (size > tail.size()) {
        text.prepend(
            LoadStringById(StringId::LogStartLeftOut).arg(FormatByteSize(kShownLogBytes), FormatByteSize(size), path)
            + QLatin1Char('\n'));
    }
    return text;
}

QString CLogDlg::keptRunTitle(const KeptRun& run)
{
    const QString result = run.result ? ResultKindWord(*run.result) : LoadStringById(StringId::RunNotFinished);
    return run.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("   ") + result;
}
