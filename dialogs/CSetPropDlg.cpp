#include "CSetPropDlg.h"

#include "ArchiveChoices.h"
#include "CExPathDlg.h"
#include "CExTypeDlg.h"
#include "DialogTemplate.h"
#include "FolderPicker.h"
#include "ProfileStore.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"
#include "UserFolders.h"
#include "UserMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kFirefoxProfileCommand = 32807;
// Room for ".ini" within the 255 bytes a Linux file name may take.
constexpr qsizetype kMaxSetNameBytes = 250;

struct CustomSourceItem
{
    int commandId;
    const char* text;
    int csidl;
};

const CustomSourceItem kCustomSourceItems[] = {
    {32797, QT_TRANSLATE_NOOP("CSetPropDlg", "&Application Data"), CSIDL_APPDATA},
    {32798, QT_TRANSLATE_NOOP("CSetPropDlg", "My &Documents"), CSIDL_PERSONAL},
    {32799, QT_TRANSLATE_NOOP("CSetPropDlg", "My &Pictures"), CSIDL_MYPICTURES},
    {32800, QT_TRANSLATE_NOOP("CSetPropDlg", "My &Music"), CSIDL_MYMUSIC},
    {32802, QT_TRANSLATE_NOOP("CSetPropDlg", "&Desktop"), CSIDL_DESKTOPDIRECTORY},
    // Linux has no Favourites folder; the home folder takes its place.
    {32803, QT_TRANSLATE_NOOP("CSetPropDlg", "&Home"), CSIDL_FAVORITES},
    {kFirefoxProfileCommand, QT_TRANSLATE_NOOP("CSetPropDlg", "Mo&zilla Firefox Profile"), 0},
};

} // namespace

CSetPropDlg::CSetPropDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CSetPropDlg"));
    setWindowTitle(tr("Task Properties"));
    using C = ControlTemplate;
    BuildDialogTemplate(this, QSize(340, 274),
        {
            {C::Label, 1004, QT_TRANSLATE_NOOP("CSetPropDlg", "Set name:"), 7, 7, 82, 14},
            {C::Edit, 1004, nullptr, 92, 7, 222, 14},
            {C::PushButton, 1016, "C", 317, 7, 16, 14},
            {C::Label, 1012, QT_TRANSLATE_NOOP("CSetPropDlg", "File name:"), 7, 25, 82, 14},
            {C::Edit, 1012, nullptr, 92, 25, 222, 14},
            {C::Label, 1006, QT_TRANSLATE_NOOP("CSetPropDlg", "Source:"), 7, 43, 82, 14},
            {C::Edit, 1006, nullptr, 92, 43, 222, 14},
            {C::PushButton, 1005, "...", 317, 43, 16, 14},
            {C::Label, 1039, QT_TRANSLATE_NOOP("CSetPropDlg", "Custom source:"), 7, 61, 82, 14},
            {C::MenuButton, 1039, QT_TRANSLATE_NOOP("CSetPropDlg", "Add"), 92, 61, 60, 14},
            {C::Label, 1007, QT_TRANSLATE_NOOP("CSetPropDlg", "Destination:"), 7, 79, 82, 14},
            {C::Edit, 1007, nullptr, 92, 79, 222, 14},
            {C::PushButton, 1008, "...", 317, 79, 16, 14},
            {C::Label, 1024, QT_TRANSLATE_NOOP("CSetPropDlg", "Backup type:"), 7, 97, 82, 14},
            {C::ComboBox, 1024, nullptr, 92, 97, 130, 14},
            {C::Label, 1009, QT_TRANSLATE_NOOP("CSetPropDlg", "Exclude file types:"), 7, 117, 160, 8},
            {C::ListBox, 1009, nullptr, 7, 127, 160, 60},
            {C::PushButton, 1013, QT_TRANSLATE_NOOP("CSetPropDlg", "&Remove item"), 7, 190, 78, 14},
            {C::PushButton, 1010, QT_TRANSLATE_NOOP("CSetPropDlg", "Add type..."), 89, 190, 78, 14},
            {C::Label, 1014, QT_TRANSLATE_NOOP("CSetPropDlg", "Exclude directories:"), 173, 117, 160, 8},
            {C::ListBox, 1014, nullptr, 173, 127, 160, 60},
            {C::PushButton, 1015, QT_TRANSLATE_NOOP("CSetPropDlg", "&Remove item"), 173, 190, 78, 14},
            {C::PushButton, 1011, QT_TRANSLATE_NOOP("CSetPropDlg", "Add path..."), 255, 190, 78, 14},
            {C::GroupBox, 1019, QT_TRANSLATE_NOOP("CSetPropDlg", "Archiving options"), 7, 208, 326, 38},
            {C::Label, 1019, QT_TRANSLATE_NOOP("CSetPropDlg", "Archive type:"), 14, 224, 50, 14},
            {C::ComboBox, 1019, nullptr, 66, 224, 40, 14},
            {C::Label, 1020, QT_TRANSLATE_NOOP("CSetPropDlg", "Compression level:"), 114, 224, 68, 14},
            {C::ComboBox, 1020, nullptr, 184, 224, 30, 14},
            {C::Label, 1021, QT_TRANSLATE_NOOP("CSetPropDlg", "Solid mode:"), 222, 224, 80, 14},
            {C::CheckBox, 1021, QT_TRANSLATE_NOOP("CSetPropDlg", "yes"), 304, 224, 26, 14},
            {C::DefaultButton, 1, QT_TRANSLATE_NOOP("CSetPropDlg", "OK"), 227, 254, 50, 14},
            {C::PushButton, 2, QT_TRANSLATE_NOOP("CSetPropDlg", "Cancel"), 283, 254, 50, 14},
        });

    m_nameEdit = FindControl<QLineEdit>(this, 1004);
    m_arcNameEdit = FindControl<QLineEdit>(this, 1012);
    m_sourceEdit = FindControl<QLineEdit>(this, 1006);
    m_targetEdit = FindControl<QLineEdit>(this, 1007);
    m_customSource = FindControl<QToolButton>(this, 1039);
    m_backupTypeList = FindControl<QComboBox>(this, 1024);
    m_typeList = FindControl<QListWidget>(this, 1009);
    m_pathList = FindControl<QListWidget>(this, 1014);
    m_arcTypeList = FindControl<QComboBox>(this, 1019);
    m_compLevelList = FindControl<QComboBox>(this, 1020);
    m_solidCheck = FindControl<QCheckBox>(this, 1021);
    // The list boxes keep their rows in their own order, which need not be the stored one.
    m_typeList->setSortingEnabled(true);
    m_pathList->setSortingEnabled(true);

    connect(FindControl<QPushButton>(this, 1016), &QPushButton::clicked, this, &CSetPropDlg::OnFileNameFromSetName);
    connect(FindControl<QPushButton>(this, 1005), &QPushButton::clicked, this, &CSetPropDlg::OnBrowseSource);
    connect(FindControl<QPushButton>(this, 1008), &QPushButton::clicked, this, &CSetPropDlg::OnBrowseDestination);
    connect(FindControl<QPushButton>(this, 1013), &QPushButton::clicked, this, &CSetPropDlg::OnRemoveType);
    connect(FindControl<QPushButton>(this, 1010), &QPushButton::clicked, this, &CSetPropDlg::OnAddType);
    connect(FindControl<QPushButton>(this, 1015), &QPushButton::clicked, this, &CSetPropDlg::OnRemovePath);
    connect(FindControl<QPushButton>(this, 1011), &QPushButton::clicked, this, &CSetPropDlg::OnAddPath);
    connect(FindControl<QPushButton>(this, 1), &QPushButton::clicked, this, &CSetPropDlg::OnOK);
    connect(FindControl<QPushButton>(this, 2), &QPushButton::clicked, this, &QDialog::reject);
    connect(m_backupTypeList, &QComboBox::currentIndexChanged, this, &CSetPropDlg::OnBackupTypeChanged);
    connect(m_arcTypeList, &QComboBox::currentIndexChanged, this, &CSetPropDlg::OnArcTypeChanged);
    createCustomSourceMenu();
}

void CSetPropDlg::createCustomSourceMenu()
{
    m_customSourceMenu = new QMenu(m_customSource);
    m_customSourceMenu->setObjectName(QStringLiteral("customSourceMenu"));
    for (const CustomSourceItem& item : kCustomSourceItems) {
        QAction* action = m_customSourceMenu->addAction(tr(item.text));
        action->setObjectName(QStringLiteral("action%1").arg(item.commandId));
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
    m_backupTypeList->addItems({LoadStringById(118), LoadStringById(119), LoadStringById(121)});
    FillArchiveTypeList(m_arcTypeList);
    FillCompressionLevelList(m_compLevelList);
    if (m_set.id != 0) {
        m_arcTypeList->setCurrentIndex(m_set.arcType);
        m_compLevelList->setCurrentIndex(m_set.compLevel);
    }

    if (m_bNew) {
        setWindowTitle(LoadStringById(120));
        m_target = defaultArcLocation;
        showFields();
        m_compLevelList->setCurrentIndex(defaultCompLevel);
        m_arcTypeList->setCurrentIndex(defaultArcType);
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
}

void CSetPropDlg::OnArcTypeChanged()
{
    m_solidCheck->setEnabled(m_arcTypeList->currentIndex() == 0);
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
    const QString folder = PickDirectory(LoadStringById(117), this);
    if (folder.isEmpty())
        return;
    takeFields();
    m_source = folder;
    showFields();
}

void CSetPropDlg::OnBrowseDestination()
{
    const QString folder = PickDirectory(LoadStringById(117), this);
    if (folder.isEmpty())
        return;
    takeFields();
    m_target = folder;
    showFields();
}

void CSetPropDlg::OnCustomSource(int commandId)
{
    const auto item = std::find_if(std::begin(kCustomSourceItems), std::end(kCustomSourceItems),
        [commandId](const CustomSourceItem& candidate) { return candidate.commandId == commandId; });
    if (item == std::end(kCustomSourceItems))
        return;
    takeFields();
    if (commandId == kFirefoxProfileCommand) {
        m_source = FirefoxProfileFolder();
        if (m_source.isEmpty())
            ShowStringMessage(127);
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
    if (dialog.exec() == QDialog::Accepted)
        addPathEntry(dialog.m_text);
}

void CSetPropDlg::addTypeEntry(const QString& text)
{
    if (text.isEmpty())
        return;
    AddExType(m_set, text);
    RefreshExclusionLists();
}

void CSetPropDlg::addPathEntry(const QString& text)
{
    if (text.isEmpty())
        return;
    AddExPath(m_set, text);
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

bool CSetPropDlg::isUsableSetName(const QString& name)
{
    return ProfileStore::isValidSetName(name) && name.isValidUtf16() && name.toUtf8().size() <= kMaxSetNameBytes;
}

void CSetPropDlg::OnOK()
{
    takeFields();
    if (m_name.isEmpty() || m_arcName.isEmpty() || m_source.isEmpty() || m_target.isEmpty()) {
        ShowStringMessage(108);
        return;
    }
    if (!isUsableSetName(m_name)) {
        ShowStringMessage(147);
        m_nameEdit->setFocus();
        return;
    }
    if (m_name != m_openingName && !IsSetNameFree(m_name, m_set.id)) {
        userMessages().showMessage(LoadFormattedString(114, m_name));
        m_nameEdit->setFocus();
        return;
    }
    m_set.name = m_name;
    m_set.arcName = m_arcName;
    m_set.source = m_source;
    m_set.target = m_target;
    m_set.arcType = m_arcTypeList->currentIndex();
    m_set.compLevel = m_compLevelList->currentIndex();
    m_set.backupType = m_backupTypeList->currentIndex();
    m_set.solid = m_solidCheck->isChecked();
    accept();
}
