#pragma once

// The dialog in which a backup set is created or edited; it works on its own copy of the set.

#include "BackupSet.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimeEdit;
class QToolButton;

class CSetPropDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CSetPropDlg(QWidget* parent = nullptr);

    // Whether the note that zip update archives cannot record deleted files is shown.
    bool zipNoteShown() const;

    // Shows m_set in the controls; runs by itself the first time the dialog is shown.
    void OnInitDialog();
    // Sorts both exclusion lists of m_set and shows them.
    void RefreshExclusionLists();
    // What Add type and Add path do with the text their entry dialog returned.
    void addTypeEntry(const QString& text);
    void addPathEntry(const QString& text);

    // A set name is also the base name of its file, so it must be one that can be written in the set folder.
    static bool isUsableSetName(const QString& name);
    static bool hasControlCharacters(const QString& name);

    // The working copy: filled by the caller before the dialog opens, read by the caller after OK.
    BackupSet m_set;
    bool m_bNew = false;
    // After OK: the password typed twice for an encrypted set; empty when the set keeps the one it has (or is
    // not encrypted). The set itself never holds it.
    QString m_password;
    // Whether a password is already known for the set (this session's or the keyring's), asked by OK only when
    // an encrypted set's password fields are left empty. Unset counts as none known.
    std::function<bool(quint32 setId)> m_isPasswordKnown;
    // Tries the off-site destination the text names (run off the window's thread): empty when it can be reached
    // and written, else why not. Unset, Test only checks the text.
    std::function<QString(const QString& destination)> m_testOffsite;
    // Where the set's archives made so far go when its next run starts a new chain (another password, encryption
    // turned on or off); empty when it has made none. Unset counts as none.
    std::function<QString(const BackupSet& set)> m_oldChainFolder;
    // The set's retention policy in words, as its numbers and backup type stand in the dialog. Unset, the
    // dialog shows no words.
    std::function<QString(const BackupSet& set)> m_describeRetention;

signals:
    // The answer of Test is shown.
    void offsiteTested();

public slots:
    void OnOK();
    void OnFileNameFromSetName();
    void OnBrowseSource();
    void OnBrowseDestination();
    // A command of the custom source menu; any other id changes nothing.
    void OnCustomSource(int commandId);
    void OnAddType();
    void OnAddPath();
    void OnRemoveType();
    void OnRemovePath();
    // Mirror copying makes no archive, so the archive options have nothing to say.
    void OnBackupTypeChanged();
    // Only 7z archives can be solid.
    void OnArcTypeChanged();
    // Takes the disk now at the destination field's folder as the set's disk, saved with the set on OK.
    void OnAcceptDestinationDisk();
    // The time, day and catch-up mean something only for the schedules that use them.
    void OnScheduleChanged();
    // The password fields and the note on what is hidden count only while an archive set is encrypted.
    void OnEncryptChanged();
    // Tries the off-site destination typed, and shows the answer under it.
    void OnTestOffsite();
    // Says, before OK, what the change of password or encryption typed so far does to the archives made so far.
    void updateNewChainNote();
    // Says in words what the retention numbers typed so far keep.
    void updateRetentionWords();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createCustomSourceMenu();
    // Whether the dialog says that zip update archives cannot record deletions.
    void updateZipNote();
    // Whether the set's archives are to be encrypted: a mirror set copies files as they are.
    bool encrypts() const;
    // Why the off-site destination typed cannot be the set's, in words; empty when it can (or is empty).
    QString offsiteProblem(const QString& text) const;
    // Checks the password fields into m_password; false, after saying why, when OK must be refused.
    bool takePassword();
    // Checks the password file for scheduled runs as velmora-run would; false, after saying why, when OK must be
    // refused.
    bool checkPasswordFile();
    // The password file counts only for a scheduled encrypted set.
    void updatePasswordFileControl();
    void takeFields();
    void showFields();
    void showSchedule();
    // Puts the chosen folder into the field, keeping what was typed in the others; a cancel changes nothing.
    void browseFolderInto(QString& field);
    void addEntry(const QString& text, void (*add)(BackupSet& set, const QString& text));
    void removeSelectedEntry(QListWidget* list, meSortStringArray& entries);

    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_arcNameEdit = nullptr;
    QLineEdit* m_sourceEdit = nullptr;
    QLineEdit* m_targetEdit = nullptr;
    QToolButton* m_customSource = nullptr;
    QMenu* m_customSourceMenu = nullptr;
    QComboBox* m_backupTypeList = nullptr;
    QListWidget* m_typeList = nullptr;
    QListWidget* m_pathList = nullptr;
    QComboBox* m_arcTypeList = nullptr;
    QComboBox* m_compLevelList = nullptr;
    QCheckBox* m_verifyCheck = nullptr;
    QCheckBox* m_solidCheck = nullptr;
    QWidget* m_zipNote = nullptr;
    QPushButton* m_acceptDiskButton = nullptr;
    QComboBox* m_scheduleList = nullptr;
    QComboBox* m_scheduleDayList = nullptr;
    QTimeEdit* m_scheduleTimeEdit = nullptr;
    QCheckBox* m_catchUpCheck = nullptr;
    QCheckBox* m_encryptCheck = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QLineEdit* m_passwordAgainEdit = nullptr;
    QLineEdit* m_offsiteEdit = nullptr;
    QPushButton* m_testOffsiteButton = nullptr;
    QLabel* m_offsiteAnswer = nullptr;
    QLabel* m_encryptionNote = nullptr;
    QLabel* m_newChainNote = nullptr;
    QLineEdit* m_passwordFileEdit = nullptr;
    QLabel* m_retentionWords = nullptr;

    // The field values, exchanged with the controls all at once.
    QString m_name;
    QString m_arcName;
    QString m_source;
    QString m_target;
    bool m_solid = false;

    QString m_openingName;
    QString m_openingTarget;
    // The destination folder whose disk was accepted in this dialog; empty when none was.
    QString m_acceptedTarget;
    bool m_initialised = false;
    bool m_openingEncrypt = false;
    // Where the old chain goes, found when the dialog opened; empty for a set without archives.
    QString m_openingChainFolder;
};
