#include "CMyVelmoraDlg.h"

#include "AppIcons.h"
#include "ArchiveCommand.h"
#include "ArchivePasswords.h"
#include "CAboutDlg.h"
#include "CLogDlg.h"
#include "CMyListCtrl.h"
#include "CRestoreDlg.h"
#include "CTextProgressCtrl.h"
#include "DialogTemplate.h"
#include "EncryptedArchives.h"
#include "FileChooser.h"
#include "JobChecks.h"
#include "JobProgress.h"
#include "JobRunner.h"
#include "Jobs.h"
#include "MainWindowCommands.h"
#include "Overdue.h"
#include "ProfileStore.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "RunLogs.h"
#include "ScheduleUpdates.h"
#include "SetCollection.h"
#include "SetHistory.h"
#include "SetPasswords.h"
#include "Settings.h"
#include "ShowHelp.h"
#include "StringTable.h"
#include "UpdateArchives.h"
#include "UserMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace {

// How many points the set's destination holds and since when, from the names there alone: one look at the disk
// per set and refresh. A mirror set counts the versions of files its runs kept.
QString historyLine(const BackupSet& set)
{
    const SetHistory history = ReadSetHistory(set);
    const bool mirror = set.backupType == MirrorCopying;
    const qsizetype count = history.pointCount();
    if (count == 0)
        return LoadStringById(mirror ? StringId::MirrorNoVersionsLine : StringId::SetNoPointsLine);
    return LoadStringById(mirror ? StringId::MirrorVersionsLine : StringId::SetPointsLine)
        .arg(QString::number(count), history.oldestTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

// The last result with its reason or note, the points kept, and for an archive set when a verification last found its
// archives good.
QString resultToolTip(const BackupSet& set)
{
    const QString result = SetResultText(set) + QLatin1Char('\n') + historyLine(set);
    if (set.backupType == MirrorCopying)
        return result;
    const QDateTime verified = QDateTime::fromString(set.lastVerified, Qt::ISODate);
    const QString line = verified.isValid()
        ? LoadStringById(StringId::LastVerified).arg(verified.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
        : LoadStringById(StringId::NeverVerified);
    return result + QLatin1Char('\n') + line;
}

// Whether the set's backups have stopped happening, as of now. A set never run counts its schedule from its
// file's last save.
SetAlarm alarmOf(const BackupSet& set, const QDateTime& now)
{
    const QDateTime saved
        = g_profileStore ? QFileInfo(g_profileStore->SetFilePath(set.name)).lastModified() : QDateTime();
    return SetAlarmOf(set, now, Settings().manualOverdueDays, saved);
}

// The result cell of a set that needs the user: a tint and dark text of the same hue, so the word stays
// readable on light and dark themes alike.
void markAlarm(QTreeWidgetItem* item, SetAlarm::Kind kind)
{
    const bool failed = kind == SetAlarm::Failed || kind == SetAlarm::OffsiteFailed;
    item->setBackground(3, failed ? QColor(0xf8, 0xd7, 0xda) : QColor(0xff, 0xec, 0xb3));
    item->setForeground(3, failed ? QColor(0x84, 0x20, 0x29) : QColor(0x6b, 0x4a, 0x00));
}

} // namespace

const JobRunningState g_jobRunning;

JobRunningState::operator bool() const
{
    return JobRunner::shared().isRunning();
}

CMyVelmoraDlg::CMyVelmoraDlg(QWidget* parent)
    : QDialog(parent,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(ProgramIcon());
    createMenus();
    createControls();

    LoadAllBackupSets();
    FillSetList();
    const QString alarms = AlarmStatusText();
    // Once the window is up: a file in the set folder that is no set, or a setting read as its default, is
    // named, never silently passed over.
    QStringList lines = TakeSettingsReadAsDefault();
    for (const SkippedSetFile& file : SkippedSetFiles())
        lines.append(file.message());
    if (!lines.isEmpty()) {
        QTimer::singleShot(0, this,
            [lines] { userMessages().showMessage(lines.join(QLatin1Char('\n')), UserMessages::Icon::Warning); });
    }
    // Also at every start while it stands: an encrypted set whose scheduled runs find no password fails every
    // night, and the alarm of an overdue set would come only days later. The keyring is read on this thread.
    QTimer::singleShot(0, this, [] {
        QList<BackupSet> sets;
        {
            QMutexLocker lock(&backupSetsMutex());
            sets = backupSets;
        }
        WarnScheduledPasswordProblems(sets);
    });
    // started() comes on the thread that starts the job, the others queued from the job's thread in the order
    // they were emitted. started() and finished() only prompt a look at the runner, so a late finished() of an
    // earlier job cannot clear the state of a newer one.
    JobRunner& runner = JobRunner::shared();
    connect(&runner, &JobRunner::started, this, &CMyVelmoraDlg::updateBusy);
    connect(&runner, &JobRunner::setStarted, this, &CMyVelmoraDlg::showSetStarted);
    connect(&runner, &JobRunner::copying, this, &CMyVelmoraDlg::showCopying);
    connect(&runner, &JobRunner::finished, this, &CMyVelmoraDlg::showResult);
    // Queued also when a job runs on this thread: only the latest figures matter when they pile up.
    connect(&runner, &JobRunner::progress, this, &CMyVelmoraDlg::showProgress, Qt::QueuedConnection);
    // Said once, on the window's own line, until the first job takes the line.
    m_progress->setText(LoadStringById(StringId::Ready) + (alarms.isEmpty() ? QString() : QLatin1Char(' ') + alarms));
    m_progress->SendMessage(PBX_SHOWPERCENT, 0);
}

QString CMyVelmoraDlg::AlarmStatusText()
{
    const QDateTime now = OverdueClock();
    int overdue = 0;
    int failed = 0;
    for (const BackupSet& set : std::as_const(backupSets)) {
        const SetAlarm::Kind kind = alarmOf(set, now).kind;
        overdue += kind == SetAlarm::Overdue ? 1 : 0;
        failed += kind == SetAlarm::Failed || kind == SetAlarm::OffsiteFailed ? 1 : 0;
    }
    if (overdue == 0 && failed == 0)
        return {};
    return LoadStringById(StringId::OverdueStatus).arg(overdue).arg(failed);
}

bool CMyVelmoraDlg::ShowLogOf(const QString& setName)
{
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_list->topLevelItem(row);
        if (item->text(0).compare(setName, Qt::CaseInsensitive) == 0) {
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
            OnViewLog();
            return true;
        }
    }
    return false;
}

CMyVelmoraDlg::~CMyVelmoraDlg()
{
    // The last change of the sets reaches systemd even when the window closes right after it.
    WaitForScheduleUpdates();
}

QAction* CMyVelmoraDlg::addCommand(QMenu* menu, int id, const QString& text, void (CMyVelmoraDlg::*handler)())
{
    QAction* action = AddMenuCommand(menu, id, text);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void CMyVelmoraDlg::createMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menu%1").arg(MenuId::MainMenu));

    QMenu* file = m_menuBar->addMenu(tr("&File"));
    QAction* options = addCommand(file, CommandId::Options, tr("&Options..."), &CMyVelmoraDlg::OnOptions);
    QMenu* language = file->addMenu(tr("&Language"));
    // Each language by its own name, so a user who cannot read the current one still finds theirs.
    m_russian = addCommand(language, CommandId::Russian, QStringLiteral("&\u0420\u0443\u0441\u0441\u043a\u0438\u0439"),
        &CMyVelmoraDlg::OnRussian);
    m_english = addCommand(language, CommandId::English, QStringLiteral("&English"), &CMyVelmoraDlg::OnEnglish);
    m_russian->setCheckable(true);
    m_english->setCheckable(true);
    file->addSeparator();
    QAction* exit = AddMenuCommand(file, CommandId::Exit, tr("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    m_taskMenu = m_menuBar->addMenu(tr("&Task"));
    QAction* run = addCommand(m_taskMenu, CommandId::Run, tr("&Run"), &CMyVelmoraDlg::OnRun);
    m_removeOldAction
        = addCommand(m_taskMenu, CommandId::RemoveOldFiles, tr("Remove Old &Files"), &CMyVelmoraDlg::OnRemoveOldFiles);
    addCommand(m_taskMenu, CommandId::OpenLocation, tr("&Open Location"), &CMyVelmoraDlg::OnOpenLocation);
    addCommand(m_taskMenu, CommandId::Restore, tr("R&estore..."), &CMyVelmoraDlg::OnRestore);
    addCommand(
        m_taskMenu, CommandId::RestoreFromFolder, tr("Restore from a Fol&der..."), &CMyVelmoraDlg::OnRestoreFromFolder);
    QAction* verify = addCommand(m_taskMenu, CommandId::Verify, tr("&Verify"), &CMyVelmoraDlg::OnVerify);
    QAction* updateAll = addCommand(m_taskMenu, CommandId::UpdateAll, tr("Update &All"), &CMyVelmoraDlg::OnUpdateAll);
    m_stopAction = addCommand(m_taskMenu, CommandId::Stop, tr("&Stop"), &CMyVelmoraDlg::OnStop);
    m_stopAction->setEnabled(false);
    m_taskMenu->addSeparator();
    QAction* newSet = addCommand(m_taskMenu, CommandId::New, tr("&New..."), &CMyVelmoraDlg::OnNew);
    QAction* deleteSet = addCommand(m_taskMenu, CommandId::Delete, tr("&Delete"), &CMyVelmoraDlg::OnDelete);
    m_taskMenu->addSeparator();
    QAction* properties
        = addCommand(m_taskMenu, CommandId::Properties, tr("&Properties..."), &CMyVelmoraDlg::OnProperties);
    m_taskMenu->setDefaultAction(run);

    QMenu* help = m_menuBar->addMenu(tr("&Help"));
    addCommand(help, CommandId::Help, tr("&Help"), &CMyVelmoraDlg::OnHelp);
    help->addSeparator();
    addCommand(help, CommandId::About, tr("&About..."), &CMyVelmoraDlg::OnAbout);

    m_busyActions = {run, m_removeOldAction, verify, updateAll, newSet, deleteSet, properties, options};
    updateLanguageChecks();
}

void CMyVelmoraDlg::createControls()
{
    // The template is the client area below the menu bar.
    const int menuHeight = m_menuBar->sizeHint().height();
    using C = ControlTemplate;
    // The title is the program's name, in every language.
    // The buttons are wider than the design's 50 units: "Update All" must fit in Russian too.
    BuildDialogTemplate(this, nullptr, QSize(331, 224),
        {
            {C::TreeList, ControlId::SetList, nullptr, 7, 7, 251, 192},
            {C::PushButton, ControlId::NewButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "New..."), 266, 7, 58, 14},
            {C::PushButton, ControlId::DeleteButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "&Delete"), 266, 24, 58, 14},
            {C::PushButton, ControlId::PropertiesButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "Properties..."), 266, 42,
                58, 14},
            {C::PushButton, ControlId::UpdateAllButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "Update &All"), 266, 105, 58,
                14},
            {C::PushButton, ControlId::StopButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "&Stop"), 266, 170, 58, 14},
            {C::DefaultButton, ControlId::RunButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "&Run"), 266, 187, 58, 14},
            {C::PushButton, ControlId::ViewLogButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "View &Log..."), 266, 203, 58,
                14},
            {C::TextProgress, ControlId::Progress, nullptr, 7, 203, 252, 14},
        },
        menuHeight);
    m_menuBar->setGeometry(0, 0, width(), menuHeight);

    m_list = FindControl<CMyListCtrl>(this, ControlId::SetList);
    m_list->setHeaderLabels({LoadStringById(StringId::SetNameColumn), LoadStringById(StringId::SetPathColumn),
        LoadStringById(StringId::LastSuccessColumn), LoadStringById(StringId::ResultColumn)});
    m_list->setIconSize(QSize(16, 16));
    m_list->setContextTaskMenu(m_taskMenu);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CMyVelmoraDlg::OnDoubleClick);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CMyVelmoraDlg::updateSetCommands);

    m_buttons = ConnectButtons(this,
        {
            {ControlId::NewButton, &CMyVelmoraDlg::OnNew},
            {ControlId::DeleteButton, &CMyVelmoraDlg::OnDelete},
            {ControlId::PropertiesButton, &CMyVelmoraDlg::OnProperties},
            {ControlId::UpdateAllButton, &CMyVelmoraDlg::OnUpdateAll},
            {ControlId::RunButton, &CMyVelmoraDlg::OnRun},
            {ControlId::ViewLogButton, &CMyVelmoraDlg::OnViewLog},
        });
    m_stop = FindControl<QPushButton>(this, ControlId::StopButton);
    connect(m_stop, &QPushButton::clicked, this, &CMyVelmoraDlg::OnStop);
    m_stop->setEnabled(false);
    m_boldFont = font();
    m_boldFont.setWeight(QFont::Bold);
    FindControl<QPushButton>(this, ControlId::RunButton)->setFont(m_boldFont);

    m_progress = FindControl<CTextProgressCtrl>(this, ControlId::Progress);

    // The template's size is the smallest; a larger window gives the list the room.
    m_templateSize = size();
    setMinimumSize(m_templateSize);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != m_menuBar)
            m_templateGeometry.insert(control, control->geometry());
    }
    applyColumnWidths();
}

void CMyVelmoraDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, width(), m_menuBar->sizeHint().height());
    if (m_templateGeometry.isEmpty())
        return;
    const int dx = std::max(width() - m_templateSize.width(), 0);
    const int dy = std::max(height() - m_templateSize.height(), 0);
    for (auto it = m_templateGeometry.cbegin(); it != m_templateGeometry.cend(); ++it) {
        QRect rect = it.value();
        if (it.key() == m_list) {
            rect.adjust(0, 0, dx, dy);
        } else if (it.key() == m_progress) {
            rect.adjust(0, dy, dx, dy);
        } else {
            // A button: to the right; the ones below the list's middle keep to the bottom.
            const bool bottomRow = rect.top() >= m_templateSize.height() / 2;
            rect.translate(dx, bottomRow ? dy : 0);
        }
        it.key()->setGeometry(rect);
    }
    applyColumnWidths();
}

void CMyVelmoraDlg::applyColumnWidths()
{
    QHeaderView* header = m_list->header();
    // The list's client area: inside its frame, before any scroll bar appears.
    const int width = m_list->contentsRect().width();
    int figures = 0;
    for (int column = 2; column < m_list->columnCount(); ++column) {
        m_list->resizeColumnToContents(column);
        // A long result ("Done with warnings" in Russian) is cut, its tooltip whole, before the names are.
        if (header->sectionSize(column) > width / 4)
            header->resizeSection(column, width / 4);
        figures += header->sectionSize(column);
    }
    const int rest = std::max(width - figures, 0);
    header->resizeSection(0, rest / 3);
    header->resizeSection(1, (rest / 3) * 2);
}

void CMyVelmoraDlg::updateLanguageChecks()
{
    m_russian->setChecked(Settings().languageId == 1);
    m_english->setChecked(Settings().languageId == 0);
}

int CMyVelmoraDlg::RowKind(qint32 arcType, qint32 backupType, int previousKind)
{
    if (backupType == FullArchiving && (arcType == 0 || arcType == 1))
        return arcType;
    if (backupType == IncrementalArchiving && (arcType == 0 || arcType == 1))
        return 2 + arcType;
    if (backupType == MirrorCopying)
        return 4;
    return previousKind;
}

void CMyVelmoraDlg::FillSetList()
{
    static const int kImages[]
        = {IconId::FullSevenZip, IconId::FullZip, IconId::IncrementalSevenZip, IconId::IncrementalZip, IconId::Mirror};
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(backupSets.size());
    int kind = 0;
    const QIcon failedIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QDateTime now = OverdueClock();
    for (const BackupSet& set : backupSets) {
        const std::optional<JobResultKind> result = ResultKindFromKey(set.lastResult);
        const bool succeeded = !set.lastRun.isEmpty() && set.lastRun != QLatin1String("0");
        const QString lastSuccess = succeeded ? set.lastRun
            : result                          ? LoadStringById(StringId::NeverSucceeded)
                                              : QString();
        auto* item = new QTreeWidgetItem(
            {set.name, set.source, lastSuccess, result ? ResultKindWord(*result) : LoadStringById(StringId::NeverRun)});
        kind = RowKind(set.arcType, set.backupType, kind);
        item->setData(0, Qt::UserRole, set.id);
        item->setData(0, Qt::UserRole + 1, kind);
        item->setIcon(0, AppIcon(kImages[kind]));
        // Long names and paths are cut to the column: the tooltip has them whole, and the result its reason.
        item->setToolTip(0, set.name);
        item->setToolTip(1, set.source);
        item->setToolTip(3, resultToolTip(set));
        // A run the user stopped is no fault; one a time limit stopped (it keeps the reason) needs a look.
        if (result == JobResultKind::Failed || (result == JobResultKind::Stopped && !set.lastResultReason.isEmpty()))
            item->setIcon(3, failedIcon);
        // A failed set says so already; an overdue one says it in place of its last result, which the tip keeps.
        if (const SetAlarm alarm = alarmOf(set, now); alarm.kind != SetAlarm::None) {
            markAlarm(item, alarm.kind);
            if (alarm.kind == SetAlarm::Overdue) {
                item->setText(3, LoadStringById(StringId::WordOverdue));
                const QString why = alarm.since.isValid()
                    ? LoadStringById(StringId::OverdueSince)
                          .arg(alarm.since.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                    : LoadStringById(StringId::OverdueNeverSucceeded);
                item->setToolTip(3, why + QLatin1Char('\n') + item->toolTip(3));
            } else if (alarm.kind == SetAlarm::OffsiteFailed) {
                item->setText(3, LoadStringById(StringId::WordOffsiteFailed));
                item->setIcon(3, failedIcon);
            }
        }
        items.append(item);
    }
    // The list keeps its rows sorted by name as they are inserted.
    m_list->addTopLevelItems(items);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    applyColumnWidths();
    m_list->setUpdatesEnabled(true);
}

bool CMyVelmoraDlg::takeSelection()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_selectedSetId = 0;
        return false;
    }
    m_selectedSetId = selected.first()->data(0, Qt::UserRole).toUInt();
    return true;
}

void CMyVelmoraDlg::updateSetCommands()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    BackupSet set;
    const bool mirror = !selected.isEmpty() && GetBackupSet(selected.first()->data(0, Qt::UserRole).toUInt(), set)
        && set.backupType == MirrorCopying;
    m_removeOldAction->setEnabled(!g_jobRunning && !mirror);
}

void CMyVelmoraDlg::updateBusy()
{
    const bool busy = bool(g_jobRunning);
    if (busy == m_shownBusy)
        return;
    m_shownBusy = busy;
    for (QPushButton* button : std::as_const(m_buttons))
        button->setEnabled(!busy);
    for (QAction* action : std::as_const(m_busyActions))
        action->setEnabled(!busy);
    updateSetCommands();
    m_stop->setEnabled(busy);
    m_stopAction->setEnabled(busy);
    m_showsPosition = false;
    m_copying = false;
    if (busy) {
        m_runSetIndex = 1;
        m_runSetCount = 1;
    } else {
        m_verifying = false;
    }
    m_progress->setToolTip(QString());
    if (busy) {
        m_progress->SendMessage(PBM_SETMARQUEE, 1, 10);
        m_progress->setText(LoadStringById(StringId::Working));
    } else {
        m_progress->setText(LoadStringById(StringId::Ready));
        m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
        m_progress->SendMessage(PBM_SETPOS, 0);
    }
}

QString CMyVelmoraDlg::ProgressText(const QString& status, const JobProgress& progress)
{
    static const QString separator = QStringLiteral(" \u00b7 ");
    QStringList parts;
    if (progress.percent >= 0)
        parts.append(QStringLiteral("%1 %").arg(progress.percent));
    if (progress.percent < 100 && progress.secondsLeft >= 0)
        parts.append(FormatTimeLeft(progress.secondsLeft));
    if (progress.setCount > 1)
        parts.append(LoadStringById(StringId::SetOfSets).arg(progress.setIndex).arg(progress.setCount));
    return parts.isEmpty() ? status : status + QLatin1Char(' ') + parts.join(separator);
}

void CMyVelmoraDlg::showProgress(const JobProgress& progress)
{
    if (!m_shownBusy)
        return;
    m_runSetIndex = progress.setIndex;
    m_runSetCount = progress.setCount;
    // A new tool run starts at "nothing known": back to the marquee until it gives figures.
    if (progress.percent < 0 && m_showsPosition) {
        m_showsPosition = false;
        m_progress->SendMessage(PBM_SETMARQUEE, 1, 10);
    } else if (progress.percent >= 0 && !m_showsPosition) {
        m_showsPosition = true;
        m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
        m_progress->SendMessage(PBM_SETRANGE32, 0, 100);
    }
    if (m_showsPosition)
        m_progress->SendMessage(PBM_SETPOS, quintptr(progress.percent));
    const int phase = progress.offsite ? StringId::CopyingOffsite : m_copying ? StringId::Copying : StringId::Working;
    m_progress->setText(ProgressText(LoadStringById(phase), progress));
    QStringList details;
    if (!progress.currentFile.isEmpty())
        details.append(progress.currentFile);
    if (progress.bytesPerSecond >= 0)
        details.append(LoadStringById(StringId::PerSecond).arg(FormatByteSize(progress.bytesPerSecond)));
    m_progress->setToolTip(details.join(QLatin1Char('\n')));
}

void CMyVelmoraDlg::showResult(const JobResult& result)
{
    // The restore dialog's set keeps its password while the dialog is open; a wrong one goes at once.
    if (!m_restoreOpen || IsWrongPassword(result))
        ReleaseJobPasswords(result);
    updateBusy();
    if (m_shownBusy)
        return;
    FillSetList();
    // How it went, without opening anything; failures also come as a message box from the runner.
    switch (ResultKindOf(result)) {
    case JobResultKind::Stopped:
        m_progress->setText(LoadStringById(StringId::StoppedStatus));
        break;
    case JobResultKind::NotRun:
        break;
    default:
        // Each set's result is in its row; the run's failures came in one message.
        if (m_runSetCount > 1)
            return;
        m_progress->setText(LoadStringById(StringId::Ready) + QLatin1Char(' ') + JobResultText(result));
        break;
    }
    m_progress->setToolTip(JobResultText(result));
}

void CMyVelmoraDlg::showSetStarted(int setIndex, int setCount)
{
    if (!m_shownBusy)
        return;
    m_runSetIndex = setIndex;
    m_runSetCount = setCount;
    m_copying = false;
    m_progress->setToolTip(QString());
    JobProgress where;
    where.setIndex = setIndex;
    where.setCount = setCount;
    m_progress->setText(ProgressText(LoadStringById(StringId::Working), where));
}

void CMyVelmoraDlg::showCopying()
{
    if (!m_shownBusy)
        return;
    m_copying = true;
    JobProgress where;
    where.setIndex = m_runSetIndex;
    where.setCount = m_runSetCount;
    m_progress->setText(ProgressText(LoadStringById(StringId::Copying), where));
}

void CMyVelmoraDlg::OnNew()
{
    if (g_jobRunning)
        return;
    if (NewSetCommand(this))
        FillSetList();
}

void CMyVelmoraDlg::OnProperties()
{
    if (g_jobRunning || !takeSelection())
        return;
    if (PropertiesCommand(this, m_selectedSetId))
        FillSetList();
}

void CMyVelmoraDlg::OnOptions()
{
    if (g_jobRunning)
        return;
    if (OptionsCommand(this))
        FillSetList();
}

void CMyVelmoraDlg::OnRun()
{
    if (g_jobRunning || !takeSelection())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    runSelectedSet();
    FillSetList();
    QApplication::restoreOverrideCursor();
}

bool CMyVelmoraDlg::runSelectedSet()
{
    BackupSet set;
    if (!GetBackupSet(m_selectedSetId, set)) {
        ShowStringMessage(StringId::RunSetError);
        return false;
    }
    // Refused before the password and the question, also while another program runs a backup, so nobody types
    // or confirms in vain.
    if (!JobRunner::canStart()) {
        ReportJobResult(JobRefused());
        return false;
    }
    if (!ProvideSetPassword(this, set))
        return false;
    if (userMessages().askOkCancel(LoadFormattedString(StringId::RunSetQuestion, set.name))
        && RunBackupSet(m_selectedSetId))
        return true;
    // Nothing ran, so nothing will end and forget a password asked for this run.
    ReleaseJobPasswords(JobResult());
    return false;
}

void CMyVelmoraDlg::OnDoubleClick()
{
    // While a job runs the stamp would change the set the job is copying.
    if (g_jobRunning || !takeSelection())
        return;
    runSelectedSet();
}

void CMyVelmoraDlg::OnDelete()
{
    if (g_jobRunning || !takeSelection())
        return;
    BackupSet set;
    if (!GetBackupSet(m_selectedSetId, set))
        return;
    if (!userMessages().askOkCancel(
            LoadFormattedString(StringId::DeleteSetQuestion, set.name), UserMessages::Icon::Question))
        return;
    if (DeleteBackupSet(m_selectedSetId)) {
        ForgetSetPassword(set);
        // A later set given the same id must not show this one's runs.
        QDir(RunLogsFolderOf(set.id)).removeRecursively();
        // Nor run on this one's timer.
        UpdateSchedulesInBackground();
    }
    FillSetList();
}

void CMyVelmoraDlg::OnUpdateAll()
{
    if (g_jobRunning || backupSets.isEmpty())
        return;
    if (!userMessages().askOkCancel(LoadStringById(StringId::UpdateAllQuestion), UserMessages::Icon::Question))
        return;
    QList<quint32> ids;
    for (const BackupSet& set : std::as_const(backupSets))
        ids.append(set.id);
    ProvideSetPasswords(this, ids);
    if (!StartUpdateAll())
        ReleaseJobPasswords(JobResult());
}

void CMyVelmoraDlg::OnViewLog()
{
    CLogDlg dialog(this);
    dialog.m_logKind = 0;
    // The selected set's kept runs; with none selected, the last run's texts.
    takeSelection();
    dialog.m_setId = m_selectedSetId;
    dialog.exec();
}

void CMyVelmoraDlg::OnRemoveOldFiles()
{
    if (g_jobRunning || !takeSelection())
        return;
    BackupSet set;
    if (!GetBackupSet(m_selectedSetId, set) || set.backupType == MirrorCopying)
        return;
    const OldFiles files = FindOldFiles(set);
    if (files.isEmpty()) {
        userMessages().showMessage(LoadStringById(StringId::NoOldFiles).arg(set.target));
        return;
    }
    // The current chain goes whole: the question says that no restore point of it is left, and what stays.
    const auto when = [](const QDateTime& time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm")); };
    QString detail;
    if (files.fullArchive.isEmpty())
        detail = LoadStringById(StringId::RemoveBackupsUpdatesOnly)
                     .arg(set.target, QString::number(files.updateArchives.size()), FormatByteSize(files.bytes));
    else if (files.restorePoints == 1)
        detail = LoadStringById(StringId::RemoveBackupsOnePoint)
                     .arg(when(files.newestPoint), files.fullArchive, FormatByteSize(files.bytes));
    else
        detail = LoadStringById(StringId::RemoveBackupsPoints)
                     .arg(QString::number(files.restorePoints), when(files.oldestPoint), when(files.newestPoint),
                         files.fullArchive, QString::number(files.updateArchives.size()), FormatByteSize(files.bytes));
    // What stays: nothing of the set, or the older chains kept beside it, which Restore does not list.
    detail += QStringLiteral("\n\n")
        + (files.keptChains > 0 ? LoadStringById(StringId::RemoveBackupsKeptChains)
                                      .arg(files.historyFolder, QString::number(files.keptChains))
                                : LoadStringById(StringId::RemoveBackupsNoneLeft));
    const QString question
        = LoadStringById(StringId::RemoveBackupsQuestion).arg(set.name) + QStringLiteral("\n\n") + detail;
    if (!userMessages().askOkCancel(question, UserMessages::Icon::Warning, UserMessages::DefaultButton::Cancel))
        return;
    if (const QStringList failed = DeleteOldFiles(files); !failed.isEmpty())
        userMessages().showMessage(
            LoadStringById(StringId::FilesNotDeleted).arg(failed.join(QLatin1Char('\n'))), UserMessages::Icon::Error);
}

void CMyVelmoraDlg::OnOpenLocation()
{
    if (!takeSelection())
        return;
    BackupSet set;
    if (GetBackupSet(m_selectedSetId, set))
        OpenLocalPath(set.target);
}

void CMyVelmoraDlg::OnRestore()
{
    if (!takeSelection())
        return;
    BackupSet set;
    if (!GetBackupSet(m_selectedSetId, set))
        return;
    if (!ProvideSetPassword(this, set))
        return;
    m_restoreOpen = true;
    {
        // Open at once, saying that it reads the points: a disk slow to answer must not freeze the window.
        CRestoreDlg dialog(this);
        dialog.startLoadingSet(set);
        dialog.exec();
    }
    m_restoreOpen = false;
    ReleaseJobPasswords(JobResult());
}

void CMyVelmoraDlg::OnRestoreFromFolder()
{
    const QString archive = fileChooser().chooseFile(this, LoadStringById(StringId::ArchivesFilter));
    if (archive.isEmpty())
        return;
    {
        CRestoreDlg dialog(this);
        dialog.startLoadingArchive(archive);
        dialog.exec();
        if (dialog.importedSetId() != 0)
            FillSetList();
    }
    // The password typed for that archive served this dialog only.
    ForgetArchivePassword(kFoundArchivePasswordId);
}

void CMyVelmoraDlg::OnVerify()
{
    if (g_jobRunning || !takeSelection())
        return;
    BackupSet set;
    if (GetBackupSet(m_selectedSetId, set) && !ProvideSetPassword(this, set))
        return;
    JobRunner& runner = JobRunner::shared();
    runner.setReportsResults(true);
    if (!runner.startVerify(m_selectedSetId)) {
        ReleaseJobPasswords(JobResult());
        ReportJobResult(JobRefused());
        return;
    }
    m_verifying = true;
}

void CMyVelmoraDlg::OnRussian()
{
    ShowStringMessage(StringId::RestartProgram);
    MutableSettings().languageId = 1;
    updateLanguageChecks();
}

void CMyVelmoraDlg::OnEnglish()
{
    ShowStringMessage(StringId::RestartProgram);
    MutableSettings().languageId = 0;
    updateLanguageChecks();
}

void CMyVelmoraDlg::OnHelp()
{
    ShowHelp();
}

void CMyVelmoraDlg::OnAbout()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMyVelmoraDlg::OnStop()
{
    if (!m_shownBusy)
        return;
    // One stop is enough; the bar says STOPPED. once the job has cleaned up.
    m_stop->setEnabled(false);
    m_stopAction->setEnabled(false);
    JobRunner::shared().stop();
}

void CMyVelmoraDlg::reject()
{
    if (!g_jobRunning || !m_shownBusy)
        return;
    if (!userMessages().askYesNo(
            LoadStringById(m_verifying ? StringId::StopVerifyQuestion : StringId::StopBackupQuestion)))
        return;
    OnStop();
}

void CMyVelmoraDlg::closeEvent(QCloseEvent* event)
{
    // A running job still uses the store and signals this window: it ends before the window does.
    if (IsJobRunning()) {
        const int question = m_verifying ? StringId::StopVerifyAndCloseQuestion : StringId::StopAndCloseQuestion;
        // Closing stops the backup: a slip of Enter must not.
        if (!userMessages().askOkCancel(
                LoadStringById(question), UserMessages::Icon::Question, UserMessages::DefaultButton::Cancel)) {
            event->ignore();
            return;
        }
        JobRunner::shared().stop();
    }
    WaitForJobThread();
    SaveAllAndFreeStore();
    event->accept();
    done(QDialog::Rejected);
}

void SaveAllAndFreeStore()
{
    if (!g_profileStore)
        return;
    SaveSetsAndSettings();
    delete g_profileStore;
    g_profileStore = nullptr;
}
