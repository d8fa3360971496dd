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
    // The texts of an entry dialog, marked for translation in the context of the dialog's class.
    struct Texts
    {
        const char* title;
        const char* prompt;
        const char* ok;
        const char* cancel;
    };
    // Lays out the prompt, the edit field, a "..." browse button when browseId is not 0, and OK and Cancel
    // in a dialog width units wide, and binds the edit field and OK and Cancel.
    void createControls(int width, int editId, const Texts& texts, int browseId = 0);

    QLineEdit* m_edit = nullptr;
};
