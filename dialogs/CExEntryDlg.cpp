#include "CExEntryDlg.h"

#include "ResourceIds.h"

#include <QLineEdit>
#include <QPushButton>

CExEntryDlg::CExEntryDlg(QWidget* parent)
    : QDialog(parent)
{
}

void CExEntryDlg::createControls(int width, int editId, const Texts& texts, int browseId)
{
    using C = ControlTemplate;
    // The edit field leaves room for the browse button where there is one.
    QList<ControlTemplate> controls = {
        {C::Label, editId, texts.prompt, 7, 7, width - 14, 8},
        {C::Edit, editId, nullptr, 7, 18, browseId ? width - 34 : width - 14, 14},
    };
    if (browseId)
        controls.append({C::PushButton, browseId, "...", width - 24, 18, 17, 14});
    controls += {
        {C::DefaultButton, ControlId::Ok, texts.ok, width - 111, 38, 50, 14},
        {C::PushButton, ControlId::Cancel, texts.cancel, width - 57, 38, 50, 14},
    };
    BuildDialogTemplate(this, texts.title, QSize(width, 58), controls);
    m_edit = FindControl<QLineEdit>(this, editId);
    ConnectButtons(this, {{ControlId::Ok, &CExEntryDlg::OnOK}, {ControlId::Cancel, &CExEntryDlg::reject}});
    // The entry dialogs open empty, ready for typing.
    m_edit->setFocus();
}

void CExEntryDlg::OnOK()
{
    m_text = m_edit->text();
    accept();
}
