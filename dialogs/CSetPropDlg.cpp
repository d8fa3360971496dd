#include "CSetPropDlg.h"

#include "ArchiveChoices.h"
#include "CExPathDlg.h"
#include "CExTypeDlg.h"
#include "DestinationDisk.h"
#include "DialogTemplate.h"
#include "FolderPicker.h"
#include "OffsiteTarget.h"
#include "PasswordFile.h"
#include "ProfileStore.h"
#include "ResourceIds.h"
#include "RetentionFields.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"
#include "UserFolders.h"
#include "UserMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMutexLocker>
#include <QPushButton>
#include <QThread>
#include <QTimeEdit>
#include <QToolButton>

#include <algorithm>
#include <iterator>
#include <memory>

namespace {

// The index of "Zip" in the archive type list.
constexpr int kZipArchiveType = 1;

// Room for ".ini" within the 255 bytes a Linux file name may take.
constexpr qsizetype kMaxSetNameBytes = 250;

struct CustomSourceItem
{
    int commandId;
    const char* text;
    int csidl;
};

const CustomSourceItem kCustomSourceItems[] = {
    {CommandId::ApplicationData, QT_TRANSLATE_NOOP("CSetPropDlg", "&Application Data"), CSIDL_APPDATA},
    {CommandId::Documents, QT_TRANSLATE_NOOP("CSetPropDlg", "My &Documents"), CSIDL_PERSONAL},
    {CommandId::Pictures, QT_TRANSLATE_NOOP("CSetPropDlg", "My &Pictures"), CSIDL_MYPICTURES},
    {CommandId::Music, QT_TRANSLATE_NOOP("CSetPropDlg", "My &Music"), CSIDL_MYMUSIC},
    {CommandId::Desktop, QT_TRANSLATE_NOOP("CSetPropDlg", "&Desktop"), CSIDL_DESKTOPDIRECTORY},
    // Linux has no Favourites folder; the home folder takes its place.
    {CommandId::Home, QT_TRANSLATE_NOOP("CSetPropDlg", "&Home"), CSIDL_FAVORITES},
    {CommandId::FirefoxProfile, QT_TRANSLATE_NOOP("CSetPropDlg", "Mo&zilla Firefox Profile"), 0},
};

// Room for three lines of the retention policy in words.
constexpr int kRetentionWordsHeight = 28;

// The caption, list and Remove and Add buttons of one exclusion list, in the column that starts at left.
QList<ControlTemplate> exclusionColumn(
    int left, int listId, const char* caption, int removeId, int addId, const char* addText)
{
    using C = ControlTemplate;
    return {
        {C::Label, listId, caption, left, 117, 160, 8},
        {C::ListBox, listId, nullptr, left, 127, 160, 60},
        {C::PushButton, removeId, QT_TRANSLATE_NOOP("CSetPropDlg", "&Remove item"), left, 190, 78, 14},
        {C::PushButton, addId, addText, left + 82, 190, 78, 14},
    };
}

} // namespace

CSetPropDlg::CSetPropDlg(QWidget* parent)
    : QDialog(parent)
{
    using C = ControlTemplate;
    QList<ControlTemplate> controls = {
        {C::Label, ControlId::SetName, QT_TRANSLATE_NOOP("CSetPropDlg", "Set name:"), 7, 7, 82, 14},
        {C::Edit, ControlId::SetName, nullptr, 92, 7, 222, 14},
        {C::PushButton, ControlId::ArchiveNameFromSetName, "C", 317, 7, 16, 14},
        {C::Label, ControlId::ArchiveName, QT_TRANSLATE_NOOP("CSetPropDlg", "File name:"), 7, 25, 82, 14},
        {C::Edit, ControlId::ArchiveName, nullptr, 92, 25, 222, 14},
        {C::Label, ControlId::Source, QT_TRANSLATE_NOOP("CSetPropDlg", "Source:"), 7, 43, 82, 14},
        {C::Edit, ControlId::Source, nullptr, 92, 43, 222, 14},
        {C::PushButton, ControlId::BrowseSource, "...", 317, 43, 16, 14},
        {C::Label, ControlId::CustomSource, QT_TRANSLATE_NOOP("CSetPropDlg", "Custom source:"), 7, 61, 82, 14},
        {C::MenuButton, ControlId::CustomSource, QT_TRANSLATE_NOOP("CSetPropDlg", "Add"), 92, 61, 60, 14},
        {C::Label, ControlId::Destination, QT_TRANSLATE_NOOP("CSetPropDlg", "Destination:"), 7, 79, 82, 14},
        {C::Edit, ControlId::Destination, nullptr, 92, 79, 222, 14},
        {C::PushButton, ControlId::BrowseDestination, "...", 317, 79, 16, 14},
        {C::Label, ControlId::BackupType, QT_TRANSLATE_NOOP("CSetPropDlg", "Backup type:"), 7, 97, 82, 14},
        {C::ComboBox, ControlId::BackupType, nullptr, 92, 97, 130, 14},
        {C::PushButton, ControlId::AcceptDestinationDisk,
            QT_TRANSLATE_NOOP("CSetPropDlg", "Accept the &disk now there"), 226, 97, 107, 14},
    };
    controls += exclusionColumn(7, ControlId::ExcludedTypes, QT_TRANSLATE_NOOP("CSetPropDlg", "Exclude file types:"),
        ControlId::RemoveType, ControlId::AddType, QT_TRANSLATE_NOOP("CSetPropDlg", "Add type..."));
    controls += exclusionColumn(173, ControlId::ExcludedPaths, QT_TRANSLATE_NOOP("CSetPropDlg", "Exclude directories:"),
        ControlId::RemovePath, ControlId::AddPath, QT_TRANSLATE_NOOP("CSetPropDlg", "Add path..."));
    controls += {
        {C::GroupBox, ControlId::ArchiveType, QT_TRANSLATE_NOOP("CSetPropDlg", "Archiving options"), 7, 208, 326, 124},
        {C::Label, ControlId::ArchiveType, QT_TRANSLATE_NOOP("CSetPropDlg", "Archive type:"), 14, 224, 50, 14},
        {C::ComboBox, ControlId::ArchiveType, nullptr, 66, 224, 40, 14},
        {C::Label, ControlId::CompressionLevel, QT_TRANSLATE_NOOP("CSetPropDlg", "Compression level:"), 114, 224, 68,
            14},
        {C::ComboBox, ControlId::CompressionLevel, nullptr, 184, 224, 30, 14},
        {C::Label, ControlId::Solid, QT_TRANSLATE_NOOP("CSetPropDlg", "Solid mode:"), 222, 224, 80, 14},
        {C::CheckBox, ControlId::Solid, QT_TRANSLATE_NOOP("CSetPropDlg", "yes"), 304, 224, 26, 14},
        {C::CheckBox, ControlId::VerifyArchive,
            QT_TRANSLATE_NOOP("CSetPropDlg", "Test each new archive before it replaces the old one"), 14, 242, 312, 14},
        {C::CheckBox, ControlId::EncryptArchive, QT_TRANSLATE_NOOP("CSetPropDlg", "&Encrypt the archive"), 14, 260, 122,
            14},
        {C::Label, ControlId::ArchivePassword, QT_TRANSLATE_NOOP("CSetPropDlg", "Pass&word:"), 140, 260, 60, 14},
        {C::Edit, ControlId::ArchivePassword, nullptr, 202, 260, 124, 14},
        // What encryption does to this archive type: a 7z archive hides the names, a zip archive cannot.
        {C::StaticText, ControlId::EncryptionNote, nullptr, 14, 277, 122, 20},
        {C::Label, ControlId::ArchivePasswordAgain, QT_TRANSLATE_NOOP("CSetPropDlg", "Confir&m:"), 140, 278, 60, 14},
        {C::Edit, ControlId::ArchivePasswordAgain, nullptr, 202, 278, 124, 14},
        // Shown only while the change typed would start a new chain.
        {C::StaticText, ControlId::NewChainNote, nullptr, 14, 297, 312, 32},
    };
    // The schedule, the history kept and the off-site copy stand in a second column, so the dialog fits a screen of
    // 768 pixels.
    controls += {
        {C::GroupBox, ControlId::Schedule, QT_TRANSLATE_NOOP("CSetPropDlg", "Schedule"), 340, 7, 326, 70},
        {C::Label, ControlId::Schedule, QT_TRANSLATE_NOOP("CSetPropDlg", "&Run:"), 347, 22, 36, 14},
        {C::ComboBox, ControlId::Schedule, nullptr, 385, 22, 84, 14},
        {C::Label, ControlId::ScheduleDay, QT_TRANSLATE_NOOP("CSetPropDlg", "o&n"), 475, 22, 30, 14},
        {C::ComboBox, ControlId::ScheduleDay, nullptr, 507, 22, 74, 14},
        {C::Label, ControlId::ScheduleTime, QT_TRANSLATE_NOOP("CSetPropDlg", "a&t"), 587, 22, 20, 14},
        {C::TimeEdit, ControlId::ScheduleTime, nullptr, 609, 22, 50, 14},
        {C::CheckBox, ControlId::ScheduleCatchUp,
            QT_TRANSLATE_NOOP("CSetPropDlg", "If the computer was off at that time, run at the next start"), 347, 40,
            312, 14},
        {C::Label, ControlId::PasswordFile, QT_TRANSLATE_NOOP("CSetPropDlg", "Password &file:"), 347, 58, 70, 14},
        {C::Edit, ControlId::PasswordFile, nullptr, 419, 58, 240, 14},
    };
    // What the set keeps of its history, and the same in words under the numbers.
    controls += RetentionControls(340, 81, 326, kRetentionWordsHeight);
    controls += {
        {C::StaticText, ControlId::RetentionDescription, nullptr, 347, 81 + RetentionGroupHeight() - 4, 312,
            kRetentionWordsHeight},
        {C::GroupBox, ControlId::Offsite, QT_TRANSLATE_NOOP("CSetPropDlg", "Off-site copy"), 340, 155, 326, 52},
        {C::Label, ControlId::Offsite, QT_TRANSLATE_NOOP("CSetPropDlg", "Cop&y to:"), 347, 170, 50, 14},
        {C::Edit, ControlId::Offsite, nullptr, 399, 170, 206, 14},
        {C::PushButton, ControlId::TestOffsite, QT_TRANSLATE_NOOP("CSetPropDlg", "Te&st"), 609, 170, 50, 14},
        {C::StaticText, ControlId::OffsiteAnswer, nullptr, 347, 188, 312, 16},
        // Shown only for incremental zip sets.
        {C::StaticText, ControlId::ZipDeletionsNote,
            QT_TRANSLATE_NOOP("CSetPropDlg", "Zip update archives cannot record deleted files; 7zip archives can."),
            340, 213, 326, 20},
        {C::DefaultButton, ControlId::Ok, QT_TRANSLATE_NOOP("CSetPropDlg", "OK"), 560, 318, 50, 14},
        {C::PushButton, ControlId::Cancel, QT_TRANSLATE_NOOP("CSetPropDlg", "Cancel"), 616, 318, 50, 14},
    };
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("CSetPropDlg", "Task Properties"), QSize(673, 339), controls);

    m_nameEdit = FindControl<QLineEdit>(this, ControlId::SetName);
    m_arcNameEdit = FindControl<QLineEdit>(this, ControlId::ArchiveName);
    m_sourceEdit = FindControl<QLineEdit>(this, ControlId::Source);
    m_targetEdit = FindControl<QLineEdit>(this, ControlId::Destination);
    m_customSource = FindControl<QToolButton>(this, ControlId::CustomSource);
    m_backupTypeList = FindControl<QComboBox>(this, ControlId::BackupType);
    m_typeList = FindControl<QListWidget>(this, ControlId::ExcludedTypes);
    m_pathList = FindControl<QListWidget>(this, ControlId::ExcludedPaths);
    m_arcTypeList = FindControl<QComboBox>(this, ControlId::ArchiveType);
    m_compLevelList = FindControl<QComboBox>(this, ControlId::CompressionLevel);
    m_solidCheck = FindControl<QCheckBox>(this, ControlId::Solid);
    m_verifyCheck = FindControl<QCheckBox>(this, ControlId::VerifyArchive);
    m_verifyCheck->setToolTip(tr("7-Zip tests the archive it wrote; one that does not test good is removed and the "
                                 "previous backup kept. Testing takes about as long as reading the archive."));
    m_scheduleList = FindControl<QComboBox>(this, ControlId::Schedule);
    m_scheduleDayList = FindControl<QComboBox>(this, ControlId::ScheduleDay);
    m_scheduleTimeEdit = FindControl<QTimeEdit>(this, ControlId::ScheduleTime);
    m_catchUpCheck = FindControl<QCheckBox>(this, ControlId::ScheduleCatchUp);
    m_scheduleList->setToolTip(tr("The set runs by itself at these times through a timer of systemd, even when "
                                  "Velmora's window is closed, as long as you are logged in."));
    m_zipNote = FindControl<QWidget>(this, ControlId::ZipDeletionsNote);
    m_zipNote->hide();
    m_encryptCheck = FindControl<QCheckBox>(this, ControlId::EncryptArchive);
    m_encryptCheck->setToolTip(
        tr("The password is kept in the system keyring, never in the set's file. Without the password nobody, "
           "you included, can restore from the archives."));
    m_passwordEdit = FindControl<QLineEdit>(this, ControlId::ArchivePassword);
    m_passwordAgainEdit = FindControl<QLineEdit>(this, ControlId::ArchivePasswordAgain);
    for (QLineEdit* edit : {m_passwordEdit, m_passwordAgainEdit})
        edit->setEchoMode(QLineEdit::Password);
    m_encryptionNote = FindControl<QLabel>(this, ControlId::EncryptionNote);
    m_encryptionNote->hide();
    m_newChainNote = FindControl<QLabel>(this, ControlId::NewChainNote);
    m_newChainNote->setWordWrap(true);
    m_newChainNote->hide();
    m_passwordFileEdit = FindControl<QLineEdit>(this, ControlId::PasswordFile);
    m_passwordFileEdit->setPlaceholderText(tr("none: scheduled runs take the password from the keyring"));
    m_passwordFileEdit->setToolTip(
        tr("For a computer whose keyring is not unlocked when the set runs by itself: the full path of a file of "
           "your own that only you can read (chmod 600), with the set's password on its first line. Its timer "
           "gives it to velmora-run as --password-file."));
    m_offsiteEdit = FindControl<QLineEdit>(this, ControlId::Offsite);
    m_offsiteEdit->setPlaceholderText(tr("ssh://user@host/folder, or remote:folder of rclone"));
    m_offsiteEdit->setToolTip(
        tr("After each good run the new archive is copied there, over ssh with your keys or to a remote of your "
           "rclone configuration; a mirror set is mirrored there over ssh. Leave it empty for no off-site copy."));
    m_testOffsiteButton = FindControl<QPushButton>(this, ControlId::TestOffsite);
    m_testOffsiteButton->setToolTip(tr("Check that the off-site destination can be reached and written."));
    m_offsiteAnswer = FindControl<QLabel>(this, ControlId::OffsiteAnswer);
    m_offsiteAnswer->setWordWrap(true);
    m_retentionWords = FindControl<QLabel>(this, ControlId::RetentionDescription);
    m_retentionWords->setWordWrap(true);
    SetUpRetentionControls(this, [this] { updateRetentionWords(); });
    // Buttons whose caption alone does not say what they do.
    FindControl<QWidget>(this, ControlId::ArchiveNameFromSetName)
        ->setToolTip(tr("Fill in the file name from the set name, blanks made underscores."));
    m_customSource->setToolTip(
        tr("Put a special folder into Source: application data, documents, pictures, music, the desktop, the home "
           "folder or the Firefox profile."));
    FindControl<QWidget>(this, ControlId::BrowseSource)->setToolTip(tr("Pick the source folder."));
    FindControl<QWidget>(this, ControlId::BrowseDestination)->setToolTip(tr("Pick the destination folder."));
    m_acceptDiskButton = FindControl<QPushButton>(this, ControlId::AcceptDestinationDisk);
    m_acceptDiskButton->setToolTip(
        tr("The set remembers the disk its destination was on and refuses to run when the destination is on "
           "another one. Take the disk now at the destination as the set's disk from now on."));
    m_acceptDiskButton->setEnabled(false);
    // The list boxes keep their rows in their own order, which need not be the stored one.
    m_typeList->setSortingEnabled(true);
    m_pathList->setSortingEnabled(true);

    ConnectButtons(this,
        {
            {ControlId::ArchiveNameFromSetName, &CSetPropDlg::OnFileNameFromSetName},
            {ControlId::BrowseSource, &CSetPropDlg::OnBrowseSource},
            {ControlId::BrowseDestination, &CSetPropDlg::OnBrowseDestination},
            {ControlId::AcceptDestinationDisk, &CSetPropDlg::OnAcceptDestinationDisk},
            {ControlId::TestOffsite, &CSetPropDlg::OnTestOffsite},
            {ControlId::RemoveType, &CSetPropDlg::OnRemoveType},
            {ControlId::AddType, &CSetPropDlg::OnAddType},
            {ControlId::RemovePath, &CSetPropDlg::OnRemovePath},
            {ControlId::AddPath, &CSetPropDlg::OnAddPath},
            {ControlId::Ok, &CSetPropDlg::OnOK},
            {ControlId::Cancel, &CSetPropDlg::reject},
        });
    connect(m_backupTypeList, &QComboBox::currentIndexChanged, this, &CSetPropDlg::OnBackupTypeChanged);
    connect(m_arcTypeList, &QComboBox::currentIndexChanged, this, &CSetPropDlg::OnArcTypeChanged);
    connect(m_scheduleList, &QComboBox::currentIndexChanged, this, &CSetPropDlg::OnScheduleChanged);
    connect(m_encryptCheck, &QCheckBox::toggled, this, &CSetPropDlg::OnEncryptChanged);
    connect(m_passwordEdit, &QLineEdit::textChanged, this, &CSetPropDlg::updateNewChainNote);
    createCustomSourceMenu();
}

void CSetPropDlg::createCustomSourceMenu()
{
    m_customSourceMenu = new QMenu(m_customSource);
    m_customSourceMenu->setObjectName(QStringLiteral("customSourceMenu"));
    for (const CustomSourceItem& item : kCustomSourceItems) {
        QAction* action = AddMenuCommand(m_customSourceMenu, item.commandId, tr(item.text));
        const int commandId = item.commandId;
        connect(action, &QAction::triggered, this, [this, commandId] { OnCustomSource(commandId); });
    }
    m_customSource->setMenu(m_customSourceMenu);
}

void CSetPropDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CSetPropDlg::OnInitDialog()
{
    m_initialised = true;
    m_nameEdit->setFocus();

    m_backupTypeList->clear();
    m_backupTypeList->addItems({LoadStringById(StringId::FullArchivingName),
        LoadStringById(StringId::IncrementalArchivingName), LoadStringById(StringId::MirrorCopyingName)});
    FillArchiveTypeList(m_arcTypeList);
    FillCompressionLevelList(m_compLevelList);
    if (m_set.id != 0) {
        m_arcTypeList->setCurrentIndex(m_set.arcType);
        m_compLevelList->setCurrentIndex(m_set.compLevel);
    }

    if (m_bNew) {
        setWindowTitle(LoadStringById(StringId::NewSetTitle));
        m_target = Settings().newSetDestination;
        showFields();
        m_compLevelList->setCurrentIndex(Settings().newSetCompressionLevel);
        m_arcTypeList->setCurrentIndex(Settings().newSetArchiveType);
        m_backupTypeList->setCurrentIndex(FullArchiving);
    } else {
        m_name = m_set.name;
        m_arcName = m_set.arcName;
        m_source = m_set.source;
        m_target = m_set.target;
        m_solid = m_set.solid;
        showFields();
        RefreshExclusionLists();
        m_arcTypeList->setCurrentIndex(m_set.arcType);
        m_compLevelList->setCurrentIndex(m_set.compLevel);
        m_backupTypeList->setCurrentIndex(m_set.backupType);
    }
    m_openingName = m_name;
    m_openingTarget = m_target;
    m_acceptDiskButton->setEnabled(!m_set.destinationDisk.isEmpty());
    // A new record tests its archives, as its key table says.
    m_verifyCheck->setChecked(m_set.verifyArchive);
    m_offsiteEdit->setText(m_set.offsite);
    m_openingEncrypt = m_set.encrypt;
    m_openingChainFolder = !m_bNew && m_oldChainFolder ? m_oldChainFolder(m_set) : QString();
    m_passwordFileEdit->setText(m_set.passwordFile);
    m_encryptCheck->setChecked(m_set.encrypt);
    // Fields left empty keep the password the set has; nothing of it is ever shown.
    const QString keep = m_set.encrypt ? tr("unchanged") : QString();
    m_passwordEdit->setPlaceholderText(keep);
    m_passwordAgainEdit->setPlaceholderText(keep);
    showSchedule();
    ShowRetentionCounts(this, RetentionPolicyOf(m_set));

    // The archive type rule comes last, so Solid follows the archive type whatever the backup type.
    OnBackupTypeChanged();
    OnArcTypeChanged();
}

void CSetPropDlg::takeFields()
{
    m_name = m_nameEdit->text();
    m_arcName = m_arcNameEdit->text();
    m_source = m_sourceEdit->text();
    m_target = m_targetEdit->text();
    m_solid = m_solidCheck->isChecked();
}

void CSetPropDlg::showFields()
{
    m_nameEdit->setText(m_name);
    m_arcNameEdit->setText(m_arcName);
    m_sourceEdit->setText(m_source);
    m_targetEdit->setText(m_target);
    m_solidCheck->setChecked(m_solid);
}

void CSetPropDlg::OnBackupTypeChanged()
{
    const bool makesArchive = m_backupTypeList->currentIndex() != MirrorCopying;
    m_arcTypeList->setEnabled(makesArchive);
    m_compLevelList->setEnabled(makesArchive);
    m_solidCheck->setEnabled(makesArchive);
    m_verifyCheck->setEnabled(makesArchive);
    m_encryptCheck->setEnabled(makesArchive);
    updateZipNote();
    OnEncryptChanged();
    updateRetentionWords();
}

void CSetPropDlg::updateRetentionWords()
{
    if (!m_describeRetention) {
        m_retentionWords->clear();
        return;
    }
    BackupSet shown = m_set;
    SetRetentionPolicy(shown, RetentionCountsShown(this));
    shown.backupType = m_backupTypeList->currentIndex();
    m_retentionWords->setText(m_describeRetention(shown));
}

void CSetPropDlg::OnArcTypeChanged()
{
    m_solidCheck->setEnabled(m_arcTypeList->currentIndex() == 0);
    updateZipNote();
    OnEncryptChanged();
}

bool CSetPropDlg::encrypts() const
{
    return m_encryptCheck->isChecked() && m_encryptCheck->isEnabled();
}

void CSetPropDlg::OnEncryptChanged()
{
    const bool on = encrypts();
    for (QWidget* control : {static_cast<QWidget*>(m_passwordEdit), static_cast<QWidget*>(m_passwordAgainEdit),
             FindControl<QWidget>(this, "label1091"), FindControl<QWidget>(this, "label1092")})
        control->setEnabled(on);
    m_encryptionNote->setText(LoadStringById(
        m_arcTypeList->currentIndex() == kZipArchiveType ? StringId::ZipNamesVisible : StringId::SevenZipNamesHidden));
    m_encryptionNote->setVisible(on);
    updatePasswordFileControl();
    updateNewChainNote();
}

void CSetPropDlg::updateNewChainNote()
{
    int note = 0;
    if (!m_openingChainFolder.isEmpty() && m_backupTypeList->currentIndex() != MirrorCopying) {
        const bool on = encrypts();
        if (on && !m_openingEncrypt)
            note = StringId::NewChainNoteEncryptOn;
        else if (!on && m_openingEncrypt)
            note = StringId::NewChainNoteEncryptOff;
        else if (on && !m_passwordEdit->text().isEmpty())
            note = StringId::NewChainNotePassword;
    }
    m_newChainNote->setText(note != 0 ? LoadStringById(note).arg(m_openingChainFolder) : QString());
    // A long destination may not fit its lines.
    m_newChainNote->setToolTip(m_newChainNote->text());
    m_newChainNote->setVisible(note != 0);
}

void CSetPropDlg::updatePasswordFileControl()
{
    // Only the timer of an encrypted set gives the file to its runs.
    const bool used = encrypts() && m_scheduleList->currentIndex() != ManualSchedule;
    m_passwordFileEdit->setEnabled(used);
    FindControl<QWidget>(this, "label1141")->setEnabled(used);
}

bool CSetPropDlg::checkPasswordFile()
{
    const QString path = m_passwordFileEdit->text();
    if (path.isEmpty() || !m_passwordFileEdit->isEnabled())
        return true;
    auto refuse = [this](const QString& text) {
        userMessages().showMessage(text, UserMessages::Icon::Warning);
        m_passwordFileEdit->setFocus();
        return false;
    };
    // The timer's run does not start in the window's folder.
    if (!QDir::isAbsolutePath(path))
        return refuse(LoadStringById(StringId::PasswordFileNotAbsolute));
    PasswordFileRead read = ReadPasswordFile(path);
    if (!read.password)
        return refuse(LoadStringById(StringId::PasswordFileRefusedHere).arg(read.refusal));
    const bool differs = !m_password.isEmpty() && *read.password != m_password;
    read.password->fill(QChar(u'\0'));
    if (differs)
        return refuse(LoadStringById(StringId::PasswordFileHoldsAnother));
    return true;
}

bool CSetPropDlg::takePassword()
{
    const QString password = m_passwordEdit->text();
    m_password.clear();
    if (!encrypts())
        return true;
    if (password != m_passwordAgainEdit->text()) {
        ShowStringMessage(StringId::PasswordsDiffer);
        m_passwordEdit->setFocus();
        return false;
    }
    // 7-Zip reads the password as one line of its standard input.
    if (password.contains(QLatin1Char('\n')) || password.contains(QLatin1Char('\r'))) {
        ShowStringMessage(StringId::PasswordLineBreak);
        m_passwordEdit->setFocus();
        return false;
    }
    if (m_arcTypeList->currentIndex() == kZipArchiveType && !PasswordFitsZip(password)) {
        ShowStringMessage(StringId::ZipPasswordLetters);
        m_passwordEdit->setFocus();
        return false;
    }
    if (password.isEmpty() && !(m_openingEncrypt && m_isPasswordKnown && m_isPasswordKnown(m_set.id))) {
        ShowStringMessage(StringId::PasswordMissing);
        m_passwordEdit->setFocus();
        return false;
    }
    m_password = password;
    return true;
}

bool CSetPropDlg::zipNoteShown() const
{
    return !m_zipNote->isHidden();
}

void CSetPropDlg::updateZipNote()
{
    // Only the 7z format has deletion marks: 7-Zip puts a file deleted since the full archive into a zip
    // update archive as an empty file, so a restore cannot tell it is gone.
    m_zipNote->setVisible(
        m_backupTypeList->currentIndex() == IncrementalArchiving && m_arcTypeList->currentIndex() == kZipArchiveType);
}

void CSetPropDlg::OnFileNameFromSetName()
{
    takeFields();
    m_arcName = m_name;
    m_arcName.replace(QLatin1Char(' '), QLatin1Char('_'));
    showFields();
}

void CSetPropDlg::OnBrowseSource()
{
    browseFolderInto(m_source);
}

void CSetPropDlg::OnBrowseDestination()
{
    browseFolderInto(m_target);
}

void CSetPropDlg::browseFolderInto(QString& field)
{
    // The other fields keep what was typed in them, and the picker opens where this one points.
    takeFields();
    const QString folder = PickFolder(this, field);
    if (folder.isEmpty())
        return;
    field = folder;
    showFields();
}

void CSetPropDlg::OnAcceptDestinationDisk()
{
    takeFields();
    QString problem;
    const QString disk = MarkDiskOfFolder(m_target, &problem);
    if (disk.isEmpty()) {
        userMessages().showMessage(
            (LoadStringById(StringId::DestinationDiskNotRecorded).arg(m_target) + QLatin1Char('\n') + problem)
                .trimmed(),
            UserMessages::Icon::Warning);
        return;
    }
    m_set.destinationDisk = disk;
    m_acceptedTarget = m_target;
    userMessages().showMessage(
        tr("The disk now at '%1' is this set's disk from now on, once you press OK.").arg(m_target));
}

void CSetPropDlg::OnCustomSource(int commandId)
{
    const auto item = std::find_if(std::begin(kCustomSourceItems), std::end(kCustomSourceItems),
        [commandId](const CustomSourceItem& candidate) { return candidate.commandId == commandId; });
    if (item == std::end(kCustomSourceItems))
        return;
    takeFields();
    if (commandId == CommandId::FirefoxProfile) {
        m_source = FirefoxProfileFolder();
        if (m_source.isEmpty())
            ShowStringMessage(StringId::FirefoxMissing);
    } else {
        m_source = SpecialFolderPath(item->csidl);
    }
    showFields();
}

void CSetPropDlg::OnAddType()
{
    CExTypeDlg dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        addTypeEntry(dialog.m_text);
}

void CSetPropDlg::OnAddPath()
{
    CExPathDlg dialog(this);
    dialog.m_sourceFolder = m_sourceEdit->text();
    if (dialog.exec() == QDialog::Accepted)
        addPathEntry(dialog.m_text);
}

void CSetPropDlg::addTypeEntry(const QString& text)
{
    addEntry(text, AddExType);
}

void CSetPropDlg::addPathEntry(const QString& text)
{
    addEntry(text, AddExPath);
}

void CSetPropDlg::addEntry(const QString& text, void (*add)(BackupSet& set, const QString& text))
{
    if (text.isEmpty())
        return;
    add(m_set, text);
    RefreshExclusionLists();
}

void CSetPropDlg::OnRemoveType()
{
    removeSelectedEntry(m_typeList, m_set.exTypeList);
}

void CSetPropDlg::OnRemovePath()
{
    removeSelectedEntry(m_pathList, m_set.exPathList);
}

void CSetPropDlg::removeSelectedEntry(QListWidget* list, meSortStringArray& entries)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    // The row's text names the entry: the list box sorts its rows its own way.
    const qsizetype index = entries.indexOf(selected.first()->text());
    if (index >= 0)
        entries.removeAt(index);
    RefreshExclusionLists();
}

void CSetPropDlg::RefreshExclusionLists()
{
    auto refill = [](QListWidget* list, meSortStringArray& entries) {
        list->clear();
        SortList(entries);
        list->addItems(entries);
    };
    refill(m_pathList, m_set.exPathList);
    refill(m_typeList, m_set.exTypeList);
}

bool CSetPropDlg::hasControlCharacters(const QString& name)
{
    return std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool CSetPropDlg::isUsableSetName(const QString& name)
{
    return ProfileStore::isValidSetName(name) && name.isValidUtf16() && name.toUtf8().size() <= kMaxSetNameBytes;
}

void CSetPropDlg::OnOK()
{
    takeFields();
    if (m_name.isEmpty() || m_arcName.isEmpty() || m_source.isEmpty() || m_target.isEmpty()) {
        ShowStringMessage(StringId::RequiredFieldEmpty);
        return;
    }
    if (!isUsableSetName(m_name)) {
        ShowStringMessage(StringId::SetNameUnusable);
        m_nameEdit->setFocus();
        return;
    }
    // A line break in a name breaks every line that names the set (its timer's unit, the terminal's lists). A
    // set that already has such a name keeps it; velmora-run and the timers still reach it.
    if (m_name != m_openingName && hasControlCharacters(m_name)) {
        ShowStringMessage(StringId::SetNameHasControlCharacters);
        m_nameEdit->setFocus();
        return;
    }
    if (m_name != m_openingName && !IsSetNameFree(m_name, m_set.id)) {
        userMessages().showMessage(LoadFormattedString(StringId::SetNameTaken, m_name));
        m_nameEdit->setFocus();
        return;
    }
    if (!takePassword() || !checkPasswordFile())
        return;
    const QString offsite = m_offsiteEdit->text().trimmed();
    if (const QString problem = offsiteProblem(offsite); !problem.isEmpty()) {
        userMessages().showMessage(problem, UserMessages::Icon::Warning);
        m_offsiteEdit->setFocus();
        return;
    }
    // Judged with the archive name and backup type the set is to have.
    BackupSet judged = m_set;
    judged.offsite = offsite;
    judged.arcName = m_arcName;
    judged.source = m_source;
    judged.arcType = m_arcTypeList->currentIndex();
    judged.backupType = m_backupTypeList->currentIndex();
    std::optional<QString> clash;
    {
        QMutexLocker lock(&backupSetsMutex());
        clash = OffsiteClashOf(judged, backupSets);
    }
    if (clash) {
        userMessages().showMessage(LoadStringById(StringId::OffsiteClash).arg(*clash), UserMessages::Icon::Warning);
        m_offsiteEdit->setFocus();
        return;
    }
    m_set.offsite = offsite;
    m_set.name = m_name;
    m_set.arcName = m_arcName;
    m_set.source = m_source;
    // Another destination is another disk, deliberately: the next successful run records it, unless the disk
    // was accepted here for this very folder.
    if (m_target != m_openingTarget && m_target != m_acceptedTarget)
        m_set.destinationDisk.clear();
    m_set.target = m_target;
    m_set.arcType = m_arcTypeList->currentIndex();
    m_set.compLevel = m_compLevelList->currentIndex();
    m_set.backupType = m_backupTypeList->currentIndex();
    m_set.solid = m_solidCheck->isChecked();
    m_set.verifyArchive = m_verifyCheck->isChecked();
    m_set.encrypt = encrypts();
    m_set.schedule = m_scheduleList->currentIndex();
    m_set.scheduleTime = m_scheduleTimeEdit->time().toString(QStringLiteral("HH:mm"));
    m_set.scheduleDay = m_scheduleDayList->currentIndex() + 1;
    m_set.scheduleCatchUp = m_catchUpCheck->isChecked();
    m_set.passwordFile = m_passwordFileEdit->text();
    SetRetentionPolicy(m_set, RetentionCountsShown(this));
    accept();
}

QString CSetPropDlg::offsiteProblem(const QString& text) const
{
    QString problem;
    const std::optional<OffsiteTarget> target = ParseOffsiteTarget(text, &problem);
    if (target && !target->isSsh() && m_backupTypeList->currentIndex() == MirrorCopying)
        return LoadStringById(StringId::OffsiteMirrorNeedsSsh).arg(target->text);
    return problem;
}

void CSetPropDlg::OnTestOffsite()
{
    const QString text = m_offsiteEdit->text().trimmed();
    QString problem = text.isEmpty() ? LoadStringById(StringId::OffsiteNoneToTest) : offsiteProblem(text);
    if (!problem.isEmpty() || !m_testOffsite) {
        m_offsiteAnswer->setText(problem);
        return;
    }
    m_testOffsiteButton->setEnabled(false);
    m_offsiteAnswer->setText(LoadStringById(StringId::OffsiteTesting).arg(text));
    // The test may wait on a slow or silent host: it runs off the window's thread, and a dialog closed meanwhile
    // simply never hears the answer.
    auto answer = std::make_shared<QString>();
    QThread* thread = QThread::create([test = m_testOffsite, text, answer] { *answer = test(text); });
    connect(thread, &QThread::finished, this, [this, text, answer] {
        m_testOffsiteButton->setEnabled(true);
        m_offsiteAnswer->setText(answer->isEmpty() ? LoadStringById(StringId::OffsiteTestPassed).arg(text) : *answer);
        emit offsiteTested();
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void CSetPropDlg::showSchedule()
{
    m_scheduleList->clear();
    m_scheduleList->addItems({LoadStringById(StringId::ScheduleManual), LoadStringById(StringId::ScheduleHourly),
        LoadStringById(StringId::ScheduleDaily), LoadStringById(StringId::ScheduleWeekly)});
    m_scheduleDayList->clear();
    for (const int day : {StringId::Monday, StringId::Tuesday, StringId::Wednesday, StringId::Thursday,
             StringId::Friday, StringId::Saturday, StringId::Sunday})
        m_scheduleDayList->addItem(LoadStringById(day));
    // A file edited by hand may hold what the controls cannot show: they show what the timer would use.
    const bool known = m_set.schedule >= ManualSchedule && m_set.schedule <= WeeklySchedule;
    m_scheduleList->setCurrentIndex(known ? m_set.schedule : ManualSchedule);
    m_scheduleDayList->setCurrentIndex(ScheduleDayOf(m_set) - 1);
    m_scheduleTimeEdit->setTime(ScheduleTimeOf(m_set));
    m_catchUpCheck->setChecked(m_set.scheduleCatchUp);
    OnScheduleChanged();
}

void CSetPropDlg::OnScheduleChanged()
{
    const int kind = m_scheduleList->currentIndex();
    const bool atTime = kind == DailySchedule || kind == WeeklySchedule;
    m_scheduleTimeEdit->setEnabled(atTime);
    FindControl<QWidget>(this, "label1071")->setEnabled(atTime);
    m_scheduleDayList->setEnabled(kind == WeeklySchedule);
    FindControl<QWidget>(this, "label1072")->setEnabled(kind == WeeklySchedule);
    m_catchUpCheck->setEnabled(kind != ManualSchedule);
    updatePasswordFileControl();
}
