#pragma once

// Asks for one file type to leave out of a backup set.

#include "CExEntryDlg.h"

class CExTypeDlg : public CExEntryDlg
{
    Q_OBJECT

public:
    explicit CExTypeDlg(QWidget* parent = nullptr);
};
