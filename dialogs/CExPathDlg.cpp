#include "CExPathDlg.h"

#include "FolderPicker.h"
#include "ResourceIds.h"

#include <QLineEdit>
#include <QPushButton>

CExPathDlg::CExPathDlg(QWidget* parent)
    : CExEntryDlg(parent)
{
    createControls(240, ControlId::ExcludedPathEntry,
        {
            QT_TRANSLATE_NOOP("CExPathDlg", "Add Exclusion Path"),
            QT_TRANSLATE_NOOP("CExPathDlg", "Type here a partial path or browse for a folder:"),
            QT_TRANSLATE_NOOP("CExPathDlg", "OK"),
            QT_TRANSLATE_NOOP("CExPathDlg", "Cancel"),
        },
        ControlId::BrowseExcludedPath);
    FindControl<QPushButton>(this, ControlId::BrowseExcludedPath)->setToolTip(tr("Pick the folder to leave out."));
    connect(FindControl<QPushButton>(this, ControlId::BrowseExcludedPath), &QPushButton::clicked, this,
        &CExPathDlg::OnBrowse);
}

void CExPathDlg::OnBrowse()
{
    // Folders to leave out lie below the source, so the picker starts there when it is known.
    const QString folder = PickFolder(this, m_sourceFolder.isEmpty() ? m_edit->text() : m_sourceFolder);
    if (folder.isEmpty())
        return;
    m_text = folder;
    m_edit->setText(m_text);
}
