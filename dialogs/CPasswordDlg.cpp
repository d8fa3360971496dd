#include "CPasswordDlg.h"

#include "DialogTemplate.h"
#include "ResourceIds.h"
#include "StringTable.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

CPasswordDlg::CPasswordDlg(Subject subject, const QString& name, QWidget* parent, const QString& problem)
    : QDialog(parent)
{
    using C = ControlTemplate;
    // A question asked again says first why; the rest moves down to make room for it.
    const int down = problem.isEmpty() ? 0 : 36;
    QList<ControlTemplate> controls = {
        {C::StaticText, ControlId::PasswordQuestion, nullptr, 7, 7 + down, 226, 24},
        {C::Edit, ControlId::QuestionPassword, nullptr, 7, 33 + down, 226, 14},
        {C::CheckBox, ControlId::RememberPassword, QT_TRANSLATE_NOOP("CPasswordDlg", "&Remember for this session"), 7,
            51 + down, 226, 10},
        {C::DefaultButton, ControlId::Ok, QT_TRANSLATE_NOOP("CPasswordDlg", "OK"), 127, 67 + down, 50, 14},
        {C::PushButton, ControlId::Cancel, QT_TRANSLATE_NOOP("CPasswordDlg", "Cancel"), 183, 67 + down, 50, 14},
    };
    if (!problem.isEmpty())
        controls.prepend({C::StaticText, ControlId::PasswordProblem, nullptr, 7, 7, 226, 32});
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("CPasswordDlg", "Password"), QSize(240, 88 + down), controls);
    if (auto* why = FindControl<QLabel>(this, ControlId::PasswordProblem)) {
        why->setTextFormat(Qt::PlainText);
        why->setText(problem);
    }
    auto* question = FindControl<QLabel>(this, ControlId::PasswordQuestion);
    // A name is shown as it is, never read as markup.
    question->setTextFormat(Qt::PlainText);
    question->setText(subject == Subject::Set ? tr("Password of the encrypted set '%1':").arg(name)
                                              : tr("Password of the encrypted archive '%1':").arg(name));
    m_passwordEdit = FindControl<QLineEdit>(this, ControlId::QuestionPassword);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setFocus();
    m_rememberCheck = FindControl<QCheckBox>(this, ControlId::RememberPassword);
    m_rememberCheck->setToolTip(
        tr("Keep the password until the window is closed, so the set's next runs do not ask again."));
    m_rememberCheck->setVisible(subject == Subject::Set);
    ConnectButtons(this,
        {
            {ControlId::Ok, &CPasswordDlg::OnOK},
            {ControlId::Cancel, &CPasswordDlg::reject},
        });
}

QString CPasswordDlg::password() const
{
    return m_passwordEdit->text();
}

bool CPasswordDlg::remember() const
{
    return !m_rememberCheck->isHidden() && m_rememberCheck->isChecked();
}

void CPasswordDlg::OnOK()
{
    const QString typed = password();
    if (typed.isEmpty()) {
        m_passwordEdit->setFocus();
        return;
    }
    if (typed.contains(QLatin1Char('\n')) || typed.contains(QLatin1Char('\r'))) {
        ShowStringMessage(StringId::PasswordLineBreak);
        m_passwordEdit->setFocus();
        return;
    }
    accept();
}
