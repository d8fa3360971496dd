#include "CLogDlg.h"

#include "DialogTemplate.h"
#include "LastRun.h"
#include "ResourceIds.h"
#include "UserMessages.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>

CLogDlg::CLogDlg(QWidget* parent)
    : QDialog(parent)
{
    using C = ControlTemplate;
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("CLogDlg", "View Log"), QSize(453, 260),
        {
            {C::ReadOnlyText, ControlId::LogText, nullptr, 7, 7, 439, 227},
            // Enter closes the window, as Esc does.
            {C::DefaultButton, ControlId::Cancel, QT_TRANSLATE_NOOP("CLogDlg", "Close"), 396, 239, 50, 14, "ctl2"},
        });
    m_text = FindControl<QPlainTextEdit>(this, ControlId::LogText);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tool output is full of long paths without blanks; they wrap too, so the box never scrolls sideways.
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
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

    const LastRunTexts texts = GetLastRunTexts();
    switch (m_logKind) {
    case 0:
        m_text->setPlainText(texts.logText);
        break;
    case 1:
        m_text->setPlainText(texts.logText2);
        break;
    default:
        m_text->clear();
        userMessages().showMessage(tr("What is it?"));
        break;
    }
    m_text->setFocus();
}
