#include "COptionsDlg.h"

#include "ArchiveChoices.h"
#include "DialogTemplate.h"
#include "FileChooser.h"
#include "FolderPicker.h"
#include "ResourceIds.h"
#include "RetentionFields.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"
#include "UserMessages.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMutexLocker>
#include <QPushButton>
#include <QSpinBox>

COptionsDlg::COptionsDlg(QWidget* parent)
    : QDialog(parent)
{
    using C = ControlTemplate;
    QList<ControlTemplate> controls = {
        {C::Label, ControlId::DefaultArchiveType, QT_TRANSLATE_NOOP("COptionsDlg", "Default archive type:"), 7, 7, 130,
            14},
        {C::ComboBox, ControlId::DefaultArchiveType, nullptr, 140, 7, 50, 14},
        {C::Label, ControlId::DefaultCompressionLevel, QT_TRANSLATE_NOOP("COptionsDlg", "Default compression level:"),
            7, 25, 130, 14},
        {C::ComboBox, ControlId::DefaultCompressionLevel, nullptr, 140, 25, 50, 14},
        {C::Label, ControlId::CopiesToKeep, QT_TRANSLATE_NOOP("COptionsDlg", "Incremental copies to keep:"), 7, 43, 130,
            14},
        {C::Edit, ControlId::CopiesToKeep, nullptr, 140, 43, 50, 14},
        {C::Label, ControlId::DefaultLocation, QT_TRANSLATE_NOOP("COptionsDlg", "Default backup location:"), 7, 63, 246,
            8},
        {C::Edit, ControlId::DefaultLocation, nullptr, 7, 73, 226, 14},
        {C::PushButton, ControlId::BrowseDefaultLocation, "...", 236, 73, 17, 14},
        {C::Label, ControlId::RsyncLocation, QT_TRANSLATE_NOOP("COptionsDlg", "rsync location:"), 7, 93, 246, 8},
        {C::Edit, ControlId::RsyncLocation, nullptr, 7, 103, 226, 14},
        {C::PushButton, ControlId::BrowseRsyncLocation, "...", 236, 103, 17, 14},
        {C::Label, ControlId::ManualOverdueDays,
            QT_TRANSLATE_NOOP("COptionsDlg", "Days until a manual set is &overdue (0: never):"), 7, 122, 193, 14},
        {C::SpinBox, ControlId::ManualOverdueDays, nullptr, 203, 122, 50, 14},
        {C::Label, ControlId::FullArchiveTestDays,
            QT_TRANSLATE_NOOP("COptionsDlg", "Days between &tests of a full archive (0: every run):"), 7, 140, 193, 14},
        {C::SpinBox, ControlId::FullArchiveTestDays, nullptr, 203, 140, 50, 14},
    };
    // What a new set keeps of its history, until its properties say otherwise.
    controls += RetentionControls(7, 158, 246, 0, 3);
    controls += {
        {C::PushButton, ControlId::UpdateAllLocations, QT_TRANSLATE_NOOP("COptionsDlg", "Use for &All Sets..."), 7, 232,
            110, 14},
        {C::DefaultButton, ControlId::Ok, QT_TRANSLATE_NOOP("COptionsDlg", "OK"), 147, 232, 50, 14},
        {C::PushButton, ControlId::Cancel, QT_TRANSLATE_NOOP("COptionsDlg", "Cancel"), 203, 232, 50, 14},
    };
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("COptionsDlg", "Options"), QSize(260, 253), controls);
    m_arcTypeList = FindControl<QComboBox>(this, ControlId::DefaultArchiveType);
    m_compLevelList = FindControl<QComboBox>(this, ControlId::DefaultCompressionLevel);
    m_copiesEdit = FindControl<QLineEdit>(this, ControlId::CopiesToKeep);
    m_locationEdit = FindControl<QLineEdit>(this, ControlId::DefaultLocation);
    m_roboPathEdit = FindControl<QLineEdit>(this, ControlId::RsyncLocation);
    m_overdueDaysBox = FindControl<QSpinBox>(this, ControlId::ManualOverdueDays);
    // Up to ten years: beyond that the warning would never come anyway.
    m_overdueDaysBox->setRange(0, 3650);
    m_fullTestDaysBox = FindControl<QSpinBox>(this, ControlId::FullArchiveTestDays);
    m_fullTestDaysBox->setRange(0, 3650);
    SetUpRetentionControls(this);
    findChild<QGroupBox*>(QStringLiteral("group%1").arg(ControlId::RetentionGroup), Qt::FindDirectChildrenOnly)
        ->setTitle(tr("Restore points a new set keeps (0 turns a rule off)"));
    m_overdueDaysBox->setToolTip(tr("A set run only by hand is marked overdue when its last success is older than "
                                    "this many days."));
    m_fullTestDaysBox->setToolTip(
        tr("An incremental run tests its full archive again when the file changed since its last good test, or "
           "when that test is older than this many days; 0 tests it before every run. Verify always tests every "
           "archive."));
    FindControl<QWidget>(this, ControlId::BrowseDefaultLocation)
        ->setToolTip(tr("Pick the folder new sets back up to."));
    FindControl<QWidget>(this, ControlId::BrowseRsyncLocation)->setToolTip(tr("Choose the rsync program."));
    FindControl<QWidget>(this, ControlId::UpdateAllLocations)
        ->setToolTip(tr("Make the default backup location the destination of every set, when you close this "
                        "dialog with OK. The archives made so far stay where they are."));
    ConnectButtons(this,
        {
            {ControlId::BrowseDefaultLocation, &COptionsDlg::OnBrowseLocation},
            {ControlId::BrowseRsyncLocation, &COptionsDlg::OnBrowseRoboPath},
            {ControlId::UpdateAllLocations, &COptionsDlg::OnUpdateAll},
            {ControlId::Ok, &COptionsDlg::OnOK},
            {ControlId::Cancel, &COptionsDlg::reject},
        });
}

void COptionsDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void COptionsDlg::OnInitDialog()
{
    m_initialised = true;
    m_arcTypeList->setFocus();
    FillArchiveTypeList(m_arcTypeList);
    FillCompressionLevelList(m_compLevelList);
    m_arcType = Settings().newSetArchiveType;
    m_compLevel = Settings().newSetCompressionLevel;
    m_location = Settings().newSetDestination;
    m_copiesToKeep = Settings().chainLength;
    m_manualOverdueDays = Settings().manualOverdueDays;
    m_fullArchiveTestDays = Settings().fullArchiveRetestDays;
    m_retention = {Settings().newSetKeepLast, Settings().newSetKeepHourly, Settings().newSetKeepDaily,
        Settings().newSetKeepWeekly, Settings().newSetKeepMonthly, Settings().newSetKeepYearly};
    // rsync is no fixed part of the system: the field shows the stored location and stays editable.
    m_roboPath = Settings().rsyncPath;
    m_openingRoboPath = m_roboPath;
    showFields();
}

bool COptionsDlg::isRunnableFile(const QString& path)
{
    const QFileInfo file(path);
    return file.isAbsolute() && file.isFile() && file.isExecutable();
}

bool COptionsDlg::takeFields()
{
    m_arcType = m_arcTypeList->currentIndex();
    m_compLevel = m_compLevelList->currentIndex();
    m_location = m_locationEdit->text();
    m_roboPath = m_roboPathEdit->text();
    m_manualOverdueDays = m_overdueDaysBox->value();
    m_fullArchiveTestDays = m_fullTestDaysBox->value();
    m_retention = RetentionCountsShown(this);
    const std::optional<qint32> copies = ParseWholeNumber(m_copiesEdit->text());
    // A negative count would make every incremental run start a new chain.
    if (!copies || *copies < 0) {
        ShowStringMessage(copies ? StringId::CopiesToKeepNegative : StringId::EnterInteger);
        m_copiesEdit->setFocus();
        m_copiesEdit->selectAll();
        return false;
    }
    m_copiesToKeep = *copies;
    return true;
}

void COptionsDlg::showFields()
{
    m_arcTypeList->setCurrentIndex(m_arcType);
    m_compLevelList->setCurrentIndex(m_compLevel);
    m_copiesEdit->setText(QString::number(m_copiesToKeep));
    m_locationEdit->setText(m_location);
    m_roboPathEdit->setText(m_roboPath);
    m_overdueDaysBox->setValue(m_manualOverdueDays);
    m_fullTestDaysBox->setValue(m_fullArchiveTestDays);
    ShowRetentionCounts(this, m_retention);
}

// The browse buttons change only their own field, so a half-typed number elsewhere is left as typed.
void COptionsDlg::OnBrowseLocation()
{
    const QString folder = PickFolder(this, m_locationEdit->text());
    if (folder.isEmpty())
        return;
    m_location = folder;
    m_locationEdit->setText(m_location);
}

void COptionsDlg::OnBrowseRoboPath()
{
    const QString file = fileChooser().chooseFile(this, LoadStringById(StringId::ProgramsFilter));
    if (file.isEmpty())
        return;
    m_roboPath = file;
    m_roboPathEdit->setText(m_roboPath);
}

QString COptionsDlg::destinationProblem(const QString& folder)
{
    if (folder.isEmpty())
        return LoadStringById(StringId::DefaultLocationEmpty);
    if (!QDir::isAbsolutePath(folder))
        return LoadStringById(StringId::DefaultLocationRelative).arg(folder);
    if (!QFileInfo(folder).isDir())
        return LoadStringById(StringId::DefaultLocationMissing).arg(folder);
    return {};
}

// Only asks: the sets change when the dialog closes with OK, so Cancel leaves every set as it was.
void COptionsDlg::OnUpdateAll()
{
    const QString folder = QDir::cleanPath(m_locationEdit->text().trimmed());
    if (const QString problem = destinationProblem(folder); !problem.isEmpty()) {
        userMessages().showMessage(problem, UserMessages::Icon::Warning);
        m_locationEdit->setFocus();
        m_locationEdit->selectAll();
        return;
    }
    // Each set that moves, with the folder its archives stay in.
    constexpr qsizetype kNamedSets = 10;
    qsizetype setCount = 0;
    QStringList moving;
    qsizetype movingCount = 0;
    {
        QMutexLocker lock(&backupSetsMutex());
        setCount = backupSets.size();
        for (const BackupSet& set : std::as_const(backupSets)) {
            if (set.target == folder)
                continue;
            if (++movingCount <= kNamedSets)
                moving.append(QStringLiteral("    %1: %2").arg(set.name, set.target));
        }
    }
    if (setCount == 0) {
        ShowStringMessage(StringId::NoSetsToChange);
        return;
    }
    if (movingCount == 0) {
        userMessages().showMessage(LoadStringById(StringId::EverySetAlreadyThere).arg(folder));
        return;
    }
    if (movingCount > kNamedSets)
        moving.append(
            QStringLiteral("    ") + LoadStringById(StringId::EveryDestinationMoreSets).arg(movingCount - kNamedSets));
    const QString question
        = (setCount == 1 ? LoadStringById(StringId::OneDestinationQuestion).arg(folder)
                         : LoadStringById(StringId::EveryDestinationQuestion).arg(QString::number(setCount), folder))
        + QStringLiteral("\n\n") + LoadStringById(StringId::EveryDestinationKeepsArchives) + QLatin1Char('\n')
        + moving.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + LoadStringById(StringId::EveryDestinationOnOk);
    if (!userMessages().askOkCancel(question, UserMessages::Icon::Question))
        return;
    m_everyDestination = folder;
}

void COptionsDlg::OnOK()
{
    if (!takeFields())
        return;
    // An empty field keeps the stored location; a changed one must be a program that mirror sets can run. The
    // location shown at opening passes as it is, so a machine without rsync can still change other options.
    if (!m_roboPath.isEmpty() && m_roboPath != m_openingRoboPath && !isRunnableFile(m_roboPath)) {
        userMessages().showMessage(LoadStringById(StringId::RsyncLocationUnusable).arg(m_roboPath));
        m_roboPathEdit->setFocus();
        m_roboPathEdit->selectAll();
        return;
    }
    MutableSettings().newSetDestination = m_location;
    accept();
}
