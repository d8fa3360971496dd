#pragma once

// What the two exclusion entry dialogs share: a prompt, one edit field, and the text as typed on OK.

#include "DialogTemplate.h"

#include <QDialog>

class QLineEdit;

class CExEntryDlg : public QDialog
{
    Q_OBJECT

public:
    QLineEdit* edit() const { return m_edit; }

    // The typed text, taken unchanged by OK: not trimmed, not checked.
    QString m_text;

public slots:
    void OnOK();

protected:
    explicit CExEntryDlg(QWidget* parent);
    // Builds the template and binds its edit field and its OK and Cancel buttons.
    void createControls(QSize templateSize, const QList<ControlTemplate>& controls, int editId);

    QLineEdit* m_edit = nullptr;
};
