#include "CMyVelmoraDlg.h"

#include "AppIcons.h"
#include "ArchiveCommand.h"
#include "CAboutDlg.h"
#include "CLogDlg.h"
#include "CMyListCtrl.h"
#include "CTextProgressCtrl.h"
#include "DialogTemplate.h"
#include "JobEvents.h"
#include "JobRunner.h"
#include "Jobs.h"
#include "MainWindowCommands.h"
#include "ProfileStore.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "Settings.h"
#include "ShowHelp.h"
#include "StringTable.h"
#include "UpdateArchives.h"
#include "UserMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

const JobRunningState g_jobRunning;

JobRunningState::operator bool() const
{
    return JobRunner::shared().isRunning();
}

CMyVelmoraDlg::CMyVelmoraDlg(QWidget* parent)
    : QDialog(parent,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(AppIcon(IconId::Program));
    createMenus();
    createControls();

    LoadAllBackupSets();
    FillSetList();
    // Once the window is up: a file in the set folder that is no set is named, never silently passed over.
    if (const QList<SkippedSetFile> skipped = SkippedSetFiles(); !skipped.isEmpty()) {
        QStringList lines;
        for (const SkippedSetFile& file : skipped)
            lines.append(file.message());
        QTimer::singleShot(0, this,
            [lines] { userMessages().showMessage(lines.join(QLatin1Char('\n')), UserMessages::Icon::Warning); });
    }
    SetJobEventReceiver(this);
    // started() comes on the thread that starts the job, finished() on the job's thread: both only prompt a
    // look at the runner, so a late finished() of an earlier job cannot clear the state of a newer one.
    JobRunner& runner = JobRunner::shared();
    connect(&runner, &JobRunner::started, this, &CMyVelmoraDlg::updateBusy);
    connect(&runner, &JobRunner::finished, this, &CMyVelmoraDlg::updateBusy);
    m_progress->setText(LoadStringById(StringId::Ready));
    m_progress->SendMessage(PBX_SHOWPERCENT, 0);
}

CMyVelmoraDlg::~CMyVelmoraDlg()
{
    if (JobEventReceiver() == this)
        SetJobEventReceiver(nullptr);
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
    m_russian = addCommand(language, CommandId::Russian, tr("&Russian"), &CMyVelmoraDlg::OnRussian);
    m_english = addCommand(language, CommandId::English, tr("&English"), &CMyVelmoraDlg::OnEnglish);
    m_russian->setCheckable(true);
    m_english->setCheckable(true);
    file->addSeparator();
    QAction* exit = AddMenuCommand(file, CommandId::Exit, tr("E&xit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    m_taskMenu = m_menuBar->addMenu(tr("&Task"));
    QAction* run = addCommand(m_taskMenu, CommandId::Run, tr("&Run"), &CMyVelmoraDlg::OnRun);
    QAction* removeOld
        = addCommand(m_taskMenu, CommandId::RemoveOldFiles, tr("Remove Old &Files"), &CMyVelmoraDlg::OnRemoveOldFiles);
    addCommand(m_taskMenu, CommandId::OpenLocation, tr("&Open Location"), &CMyVelmoraDlg::OnOpenLocation);
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

    m_busyActions = {run, removeOld, newSet, deleteSet, properties, options};
    updateLanguageChecks();
}

void CMyVelmoraDlg::createControls()
{
    // The template is the client area below the menu bar.
    const int menuHeight = m_menuBar->sizeHint().height();
    using C = ControlTemplate;
    // The title is the program's name, in every language.
    BuildDialogTemplate(this, nullptr, QSize(323, 224),
        {
            {C::TreeList, ControlId::SetList, nullptr, 7, 7, 251, 192},
            {C::PushButton, ControlId::NewButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "New..."), 266, 7, 50, 14},
            {C::PushButton, ControlId::DeleteButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "&Delete"), 266, 24, 50, 14},
            {C::PushButton, ControlId::PropertiesButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "Properties..."), 266, 42,
                50, 14},
            {C::PushButton, ControlId::UpdateAllButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "Update &All"), 266, 105, 50,
                14},
            {C::DefaultButton, ControlId::RunButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "&Run"), 266, 187, 50, 14},
            {C::PushButton, ControlId::ViewLogButton, QT_TRANSLATE_NOOP("CMyVelmoraDlg", "View &Log..."), 266, 203, 50,
                14},
            {C::TextProgress, ControlId::Progress, nullptr, 7, 203, 252, 14},
        },
        menuHeight);
    m_menuBar->setGeometry(0, 0, width(), menuHeight);

    m_list = FindControl<CMyListCtrl>(this, ControlId::SetList);
    m_list->setHeaderLabels({LoadStringById(StringId::SetNameColumn), LoadStringById(StringId::SetPathColumn)});
    m_list->setIconSize(QSize(16, 16));
    m_list->setContextTaskMenu(m_taskMenu);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CMyVelmoraDlg::OnDoubleClick);

    m_buttons = ConnectButtons(this,
        {
            {ControlId::NewButton, &CMyVelmoraDlg::OnNew},
            {ControlId::DeleteButton, &CMyVelmoraDlg::OnDelete},
            {ControlId::PropertiesButton, &CMyVelmoraDlg::OnProperties},
            {ControlId::UpdateAllButton, &CMyVelmoraDlg::OnUpdateAll},
            {ControlId::RunButton, &CMyVelmoraDlg::OnRun},
            {ControlId::ViewLogButton, &CMyVelmoraDlg::OnViewLog},
        });
    // Created hidden, as in the window's template.
    FindControl<QPushButton>(this, ControlId::UpdateAllButton)->hide();
    m_boldFont = font();
    m_boldFont.setWeight(QFont::Bold);
    FindControl<QPushButton>(this, ControlId::RunButton)->setFont(m_boldFont);

    m_progress = FindControl<CTextProgressCtrl>(this, ControlId::Progress);
    applyColumnWidths();
}

void CMyVelmoraDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, width(), m_menuBar->sizeHint().height());
}

void CMyVelmoraDlg::applyColumnWidths()
{
    // The list's client area: inside its frame, before any scroll bar appears.
    const int clientWidth = m_list->contentsRect().width();
    m_list->header()->resizeSection(0, clientWidth / 3);
    m_list->header()->resizeSection(1, (clientWidth / 3) * 2);
}

void CMyVelmoraDlg::updateLanguageChecks()
{
    m_russian->setChecked(langID == 1);
    m_english->setChecked(langID == 0);
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
    for (const BackupSet& set : backupSets) {
        auto* item = new QTreeWidgetItem({set.name, set.source});
        kind = RowKind(set.arcType, set.backupType, kind);
        item->setData(0, Qt::UserRole, set.id);
        item->setData(0, Qt::UserRole + 1, kind);
        item->setIcon(0, AppIcon(kImages[kind]));
        items.append(item);
    }
    // The list keeps its rows sorted by name as they are inserted.
    m_list->addTopLevelItems(items);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_list->setUpdatesEnabled(true);
}

bool CMyVelmoraDlg::takeSelection()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        g_selectedSetId = 0;
        return false;
    }
    g_selectedSetId = selected.first()->data(0, Qt::UserRole).toUInt();
    return true;
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
    if (busy) {
        m_progress->SendMessage(PBM_SETMARQUEE, 1, 10);
        m_progress->setText(LoadStringById(StringId::Working));
    } else {
        m_progress->setText(LoadStringById(StringId::Ready));
        m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
        m_progress->SendMessage(PBM_SETPOS, 0);
    }
}

bool CMyVelmoraDlg::event(QEvent* event)
{
    switch (int(event->type())) {
    case WM_BACKUP_STARTED:
    case WM_BACKUP_FINISHED:
        // A set of a run of several starts or ends: the run goes on, and copying is over.
        if (m_shownBusy)
            m_progress->setText(LoadStringById(StringId::Working));
        return true;
    case WM_BACKUP_COPYING:
        m_progress->setText(LoadStringById(StringId::Copying));
        return true;
    default:
        return QDialog::event(event);
    }
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
    if (PropertiesCommand(this, g_selectedSetId))
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
    RunBackupSet();
    FillSetList();
    QApplication::restoreOverrideCursor();
}

void CMyVelmoraDlg::OnDoubleClick()
{
    // While a job runs the stamp would change the set the job is copying.
    if (g_jobRunning || !takeSelection())
        return;
    RunBackupSet();
}

void CMyVelmoraDlg::OnDelete()
{
    if (g_jobRunning || !takeSelection())
        return;
    BackupSet set;
    if (!GetBackupSet(g_selectedSetId, set))
        return;
    if (!userMessages().askOkCancel(
            LoadFormattedString(StringId::DeleteSetQuestion, set.name), UserMessages::Icon::Question))
        return;
    DeleteBackupSet(g_selectedSetId);
    FillSetList();
}

void CMyVelmoraDlg::OnUpdateAll()
{
    if (g_jobRunning || backupSets.isEmpty())
        return;
    if (!userMessages().askOkCancel(LoadStringById(StringId::UpdateAllQuestion), UserMessages::Icon::Question))
        return;
    StartUpdateAll();
}

void CMyVelmoraDlg::OnViewLog()
{
    CLogDlg dialog(this);
    dialog.m_logKind = 0;
    // The selected set's kept runs; with none selected, the last run's texts.
    takeSelection();
    dialog.m_setId = g_selectedSetId;
    dialog.exec();
}

void CMyVelmoraDlg::OnRemoveOldFiles()
{
    if (g_jobRunning || !takeSelection())
        return;
    BackupSet set;
    if (!GetBackupSet(g_selectedSetId, set))
        return;
    // "Old files" does not tell that the current backup goes too: the question lists what it deletes.
    const OldFiles files = FindOldFiles(set);
    QString detail;
    if (files.isEmpty())
        detail = LoadStringById(273).arg(set.target);
    else if (!files.fullArchive.isEmpty())
        detail = LoadStringById(271).arg(
            files.fullArchive, QString::number(files.updateArchives.size()), FormatByteSize(files.bytes));
    else
        detail = LoadStringById(272).arg(QString::number(files.updateArchives.size()), FormatByteSize(files.bytes));
    const QString question
        = LoadFormattedString(StringId::DeleteOldFilesQuestion, set.name) + QStringLiteral("\n\n") + detail;
    if (!userMessages().askOkCancel(question, UserMessages::Icon::Question))
        return;
    if (const QStringList failed = DeleteOldFiles(files); !failed.isEmpty())
        userMessages().showMessage(LoadStringById(274).arg(failed.join(QLatin1Char('\n'))), UserMessages::Icon::Error);
}

void CMyVelmoraDlg::OnOpenLocation()
{
    if (!takeSelection())
        return;
    BackupSet set;
    if (GetBackupSet(g_selectedSetId, set))
        OpenLocalPath(set.target);
}

void CMyVelmoraDlg::OnRussian()
{
    ShowStringMessage(StringId::RestartProgram);
    langID = 1;
    updateLanguageChecks();
}

void CMyVelmoraDlg::OnEnglish()
{
    ShowStringMessage(StringId::RestartProgram);
    langID = 0;
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

void CMyVelmoraDlg::closeEvent(QCloseEvent* event)
{
    // A running job still uses the store and sends its events here: the window waits for it to end.
    if (IsJobRunning()) {
        userMessages().showMessage(
            tr("A backup is running. Velmora can be closed when it has finished."), UserMessages::Icon::Warning);
        event->ignore();
        return;
    }
    WaitForJobThread();
    SaveAllAndFreeStore();
    SetJobEventReceiver(nullptr);
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
