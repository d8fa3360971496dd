#include "CExPathDlg.h"

#include "FolderPicker.h"
#include "StringTable.h"

#include <QLineEdit>
#include <QPushButton>

CExPathDlg::CExPathDlg(QWidget* parent)
    : CExEntryDlg(parent)
{
    setObjectName(QStringLiteral("CExPathDlg"));
    setWindowTitle(tr("Add Exclusion Path"));
    using C = ControlTemplate;
    createControls(QSize(240, 58),
        {
            {C::Label, 1015, QT_TRANSLATE_NOOP("CExPathDlg", "Type here a partial path or browse for a folder:"), 7, 7,
                226, 8},
            {C::Edit, 1015, nullptr, 7, 18, 206, 14},
            {C::PushButton, 1014, "...", 216, 18, 17, 14},
            {C::DefaultButton, 1, QT_TRANSLATE_NOOP("CExPathDlg", "OK"), 129, 38, 50, 14},
            {C::PushButton, 2, QT_TRANSLATE_NOOP("CExPathDlg", "Cancel"), 183, 38, 50, 14},
        },
        1015);
    connect(FindControl<QPushButton>(this, 1014), &QPushButton::clicked, this, &CExPathDlg::OnBrowse);
}

void CExPathDlg::OnBrowse()
{
    const QString folder = PickDirectory(LoadStringById(117), this);
    if (folder.isEmpty())
        return;
    m_text = folder;
    m_edit->setText(m_text);
}
