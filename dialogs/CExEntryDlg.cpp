#include "CExEntryDlg.h"

#include <QLineEdit>
#include <QPushButton>

CExEntryDlg::CExEntryDlg(QWidget* parent)
    : QDialog(parent)
{
}

void CExEntryDlg::createControls(QSize templateSize, const QList<ControlTemplate>& controls, int editId)
{
    BuildDialogTemplate(this, templateSize, controls);
    m_edit = FindControl<QLineEdit>(this, editId);
    connect(FindControl<QPushButton>(this, 1), &QPushButton::clicked, this, &CExEntryDlg::OnOK);
    connect(FindControl<QPushButton>(this, 2), &QPushButton::clicked, this, &QDialog::reject);
    // The entry dialogs open empty, ready for typing.
    m_edit->setFocus();
}

void CExEntryDlg::OnOK()
{
    m_text = m_edit->text();
    accept();
}
