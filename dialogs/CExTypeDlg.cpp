#include "CExTypeDlg.h"

#include "ResourceIds.h"

CExTypeDlg::CExTypeDlg(QWidget* parent)
    : CExEntryDlg(parent)
{
    createControls(200, ControlId::ExcludedTypeEntry,
        {
            QT_TRANSLATE_NOOP("CExTypeDlg", "Exclude Type"),
            QT_TRANSLATE_NOOP("CExTypeDlg", "Type here an extension with leading dot:"),
            QT_TRANSLATE_NOOP("CExTypeDlg", "&Add"),
            QT_TRANSLATE_NOOP("CExTypeDlg", "Cancel"),
        });
}
