#include "CLogDlg.h"

#include "DialogUnits.h"
#include "LastRun.h"
#include "UserMessages.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kTemplateWidth = 453;
constexpr int kTemplateHeight = 260;

struct ControlTemplate
{
    int id;
    int left, top, width, height;
};

constexpr ControlTemplate kTextBox {1045, 7, 7, 439, 227};
constexpr ControlTemplate kCloseButton {2, 396, 239, 50, 14};

} // namespace

CLogDlg::CLogDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CLogDlg"));
    setWindowTitle(tr("View Log"));
    const DialogUnits units(font());
    auto place = [&](QWidget* widget, const ControlTemplate& control) {
        widget->setObjectName(QStringLiteral("ctl%1").arg(control.id));
        widget->setGeometry(units.rect(control.left, control.top, control.width, control.height));
    };

    m_text = new QPlainTextEdit(this);
    place(m_text, kTextBox);
    m_text->setReadOnly(true);
    // Read-only still lets the user select with the keyboard and copy, not only with the mouse.
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tool output is full of long paths without blanks; they wrap too, so the box never scrolls sideways.
    m_text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_close = new QPushButton(tr("Close"), this);
    place(m_close, kCloseButton);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(units.x(kTemplateWidth), units.y(kTemplateHeight));
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
