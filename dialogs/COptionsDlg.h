#pragma once

// The dialog in which the program-wide settings are changed, and from which every set's destination
// can be set at once.

#include "RetentionFields.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

class COptionsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit COptionsDlg(QWidget* parent = nullptr);

    // Shows the current settings; runs by itself the first time the dialog is shown.
    void OnInitDialog();
    // The folder the user agreed to make every set's destination, for the caller to apply when the dialog
    // ends with OK; empty when not asked for. Cancel forgets it with the rest.
    QString everyDestination() const { return m_everyDestination; }

    // A whole decimal number with an optional sign and blanks around it; no range beyond 32 bits.
    // Whether the path names a file, by its full path, that may be run: what the rsync location must be.
    static bool isRunnableFile(const QString& path);

    qint32 m_arcType = 0;
    qint32 m_compLevel = 0;
    qint32 m_copiesToKeep = 0;
    QString m_location;
    QString m_roboPath;
    qint32 m_manualOverdueDays = 0;
    // How many days a good test of a chain's full archive spares update runs testing it again; 0 none.
    qint32 m_fullArchiveTestDays = 0;
    // The retention policy new sets start with.
    RetentionPolicy m_retention;

public slots:
    void OnOK();
    void OnUpdateAll();
    void OnBrowseLocation();
    void OnBrowseRoboPath();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // False, after telling the user, when the copies field holds no whole number of 0 or more; the rest is taken
    // anyway.
    bool takeFields();
    void showFields();
    // Why the folder cannot be every set's destination, in a sentence for the user; empty when it can.
    static QString destinationProblem(const QString& folder);

    QComboBox* m_arcTypeList = nullptr;
    QComboBox* m_compLevelList = nullptr;
    QLineEdit* m_copiesEdit = nullptr;
    QLineEdit* m_locationEdit = nullptr;
    QLineEdit* m_roboPathEdit = nullptr;
    QSpinBox* m_overdueDaysBox = nullptr;
    QSpinBox* m_fullTestDaysBox = nullptr;
    QString m_openingRoboPath;
    QString m_everyDestination;
    bool m_initialised = false;
};
