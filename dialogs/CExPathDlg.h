#pragma once

// Asks for one folder to leave out of a backup set: typed as a partial path or picked.

#include "CExEntryDlg.h"

class CExPathDlg : public CExEntryDlg
{
    Q_OBJECT

public:
    explicit CExPathDlg(QWidget* parent = nullptr);

    // The set's source folder as typed in its properties, where the picker opens; may be empty.
    QString m_sourceFolder;

public slots:
    // A picked folder replaces whatever was typed; cancelling the picker keeps it.
    void OnBrowse();
};
