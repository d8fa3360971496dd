#pragma once

// The question for the password of an encrypted set (or of an encrypted archive found on disk) when neither
// this session nor the keyring has it.

#include <QDialog>

class QCheckBox;
class QLineEdit;

class CPasswordDlg : public QDialog
{
    Q_OBJECT

public:
    enum class Subject
    {
        Set,
        // An archive with no set: there is nothing to remember the password for.
        Archive,
    };

    // name is the set's name, or the archive's path; problem, when given, says above the question why it is asked
    // again (the password given before did not open the archives).
    CPasswordDlg(Subject subject, const QString& name, QWidget* parent = nullptr, const QString& problem = {});

    QString password() const;
    // Whether the password is to be kept until the window closes, not only for the job it was asked for.
    bool remember() const;

public slots:
    // Refuses an empty password, and one with a line break, which 7-Zip could not read.
    void OnOK();

private:
    QLineEdit* m_passwordEdit = nullptr;
    QCheckBox* m_rememberCheck = nullptr;
};
