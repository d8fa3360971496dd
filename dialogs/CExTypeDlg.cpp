#include "CExTypeDlg.h"

CExTypeDlg::CExTypeDlg(QWidget* parent)
    : CExEntryDlg(parent)
{
    setObjectName(QStringLiteral("CExTypeDlg"));
    setWindowTitle(tr("Exclude Type"));
    using C = ControlTemplate;
    createControls(QSize(200, 58),
        {
            {C::Label, 1012, QT_TRANSLATE_NOOP("CExTypeDlg", "Type here an extension with leading dot:"), 7, 7, 186, 8},
            {C::Edit, 1012, nullptr, 7, 18, 186, 14},
            {C::DefaultButton, 1, QT_TRANSLATE_NOOP("CExTypeDlg", "&Add"), 89, 38, 50, 14},
            {C::PushButton, 2, QT_TRANSLATE_NOOP("CExTypeDlg", "Cancel"), 143, 38, 50, 14},
        },
        1012);
}
