#include "CMyVelmoraDlg.h"

#include "AppIcons.h"
#include "ArchiveCommand.h"
#include "CAboutDlg.h"
#include "CLogDlg.h"
#include "CMyListCtrl.h"
#include "CTextProgressCtrl.h"
#include "DialogUnits.h"
#include "JobEvents.h"
#include "JobRunner.h"
#include "Jobs.h"
#include "MainWindowCommands.h"
#include "ProfileStore.h"
#include "ReadableFigures.h"
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

namespace {

// Template of the window, in dialog units: the client area below the menu bar.
constexpr int kTemplateWidth = 323;
constexpr int kTemplateHeight = 224;

struct ButtonTemplate
{
    int id;
    const char* text;
    int left, top, width, height;
};

} // namespace

CMyVelmoraDlg::CMyVelmoraDlg(QWidget* parent)
    : QDialog(parent,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("CMyVelmoraDlg"));
    setWindowTitle(QStringLiteral("Velmora"));
    setWindowIcon(AppIcon(128));
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
    m_progress->setText(LoadStringById(122));
    m_progress->SendMessage(PBX_SHOWPERCENT, 0);
}

CMyVelmoraDlg::~CMyVelmoraDlg()
{
    if (JobEventReceiver() == this)
        SetJobEventReceiver(nullptr);
}

QAction* CMyVelmoraDlg::addCommand(QMenu* menu, int id, const QString& text, void (CMyVelmoraDlg::*handler)())
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QStringLiteral("action%1").arg(id));
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void CMyVelmoraDlg::createMenus()
{
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menu134"));

    QMenu* file = m_menuBar->addMenu(tr("&File"));
    QAction* options = addCommand(file, 32777, tr("&Options..."), &CMyVelmoraDlg::OnOptions);
    QMenu* language = file->addMenu(tr("&Language"));
    m_russian = addCommand(language, 32783, tr("&Russian"), &CMyVelmoraDlg::OnRussian);
    m_english = addCommand(language, 32784, tr("&English"), &CMyVelmoraDlg::OnEnglish);
    m_russian->setCheckable(true);
    m_english->setCheckable(true);
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"));
    exit->setObjectName(QStringLiteral("action32772"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    m_taskMenu = m_menuBar->addMenu(tr("&Task"));
    QAction* run = addCommand(m_taskMenu, 32778, tr("&Run"), &CMyVelmoraDlg::OnRun);
    QAction* removeOld = addCommand(m_taskMenu, 32789, tr("Remove Old &Files"), &CMyVelmoraDlg::OnRemoveOldFiles);
    addCommand(m_taskMenu, 32790, tr("&Open Location"), &CMyVelmoraDlg::OnOpenLocation);
    m_taskMenu->addSeparator();
    QAction* newSet = addCommand(m_taskMenu, 32771, tr("&New..."), &CMyVelmoraDlg::OnNew);
    QAction* deleteSet = addCommand(m_taskMenu, 32776, tr("&Delete"), &CMyVelmoraDlg::OnDelete);
    m_taskMenu->addSeparator();
    QAction* properties = addCommand(m_taskMenu, 32775, tr("&Properties..."), &CMyVelmoraDlg::OnProperties);
    m_taskMenu->setDefaultAction(run);

    QMenu* help = m_menuBar->addMenu(tr("&Help"));
    addCommand(help, 32804, tr("&Help"), &CMyVelmoraDlg::OnHelp);
    help->addSeparator();
    addCommand(help, 32774, tr("&About..."), &CMyVelmoraDlg::OnAbout);

    m_busyActions = {run, removeOld, newSet, deleteSet, properties, options};
    updateLanguageChecks();
}

void CMyVelmoraDlg::createControls()
{
    const DialogUnits units(font());
    const int menuHeight = m_menuBar->sizeHint().height();
    auto place = [&](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(units.rect(left, top, width, height).translated(0, menuHeight));
    };

    m_list = new CMyListCtrl(this);
    m_list->setObjectName(QStringLiteral("ctl1000"));
    m_list->setHeaderLabels({LoadStringById(110), LoadStringById(111)});
    m_list->setIconSize(QSize(16, 16));
    m_list->setContextTaskMenu(m_taskMenu);
    place(m_list, 7, 7, 251, 192);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CMyVelmoraDlg::OnDoubleClick);

    const ButtonTemplate buttons[] = {
        {1001, QT_TR_NOOP("New..."), 266, 7, 50, 14},
        {1014, QT_TR_NOOP("&Delete"), 266, 24, 50, 14},
        {1002, QT_TR_NOOP("Properties..."), 266, 42, 50, 14},
        {1004, QT_TR_NOOP("Update &All"), 266, 105, 50, 14},
        {1003, QT_TR_NOOP("&Run"), 266, 187, 50, 14},
        {1039, QT_TR_NOOP("View &Log..."), 266, 203, 50, 14},
    };
    for (const ButtonTemplate& b : buttons) {
        auto* button = new QPushButton(tr(b.text), this);
        button->setObjectName(QStringLiteral("ctl%1").arg(b.id));
        button->setAutoDefault(false);
        place(button, b.left, b.top, b.width, b.height);
        switch (b.id) {
        case 1001:
            m_new = button;
            connect(button, &QPushButton::clicked, this, &CMyVelmoraDlg::OnNew);
            break;
        case 1014:
            m_delete = button;
            connect(button, &QPushButton::clicked, this, &CMyVelmoraDlg::OnDelete);
            break;
        case 1002:
            m_properties = button;
            connect(button, &QPushButton::clicked, this, &CMyVelmoraDlg::OnProperties);
            break;
        case 1004:
            m_updateAll = button;
            connect(button, &QPushButton::clicked, this, &CMyVelmoraDlg::OnUpdateAll);
            break;
        case 1003:
            m_run = button;
            connect(button, &QPushButton::clicked, this, &CMyVelmoraDlg::OnRun);
            break;
        case 1039:
            m_viewLog = button;
            connect(button, &QPushButton::clicked, this, &CMyVelmoraDlg::OnViewLog);
            break;
        }
    }
    // Created hidden, as in the window's template.
    m_updateAll->hide();
    m_run->setDefault(true);
    m_boldFont = font();
    m_boldFont.setWeight(QFont::Bold);
    m_run->setFont(m_boldFont);

    m_progress = new CTextProgressCtrl(this);
    m_progress->setObjectName(QStringLiteral("ctl1046"));
    place(m_progress, 7, 203, 252, 14);

    setFixedSize(units.x(kTemplateWidth), units.y(kTemplateHeight) + menuHeight);
    m_menuBar->setGeometry(0, 0, width(), menuHeight);
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
    static const int kImages[] = {141, 142, 144, 143, 150};
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
    for (QPushButton* button : {m_run, m_updateAll, m_viewLog, m_new, m_delete, m_properties})
        button->setEnabled(!busy);
    for (QAction* action : std::as_const(m_busyActions))
        action->setEnabled(!busy);
    if (busy) {
        m_progress->SendMessage(PBM_SETMARQUEE, 1, 10);
        m_progress->setText(LoadStringById(123));
    } else {
        m_progress->setText(LoadStringById(122));
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
            m_progress->setText(LoadStringById(123));
        return true;
    case WM_BACKUP_COPYING:
        m_progress->setText(LoadStringById(124));
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
    if (!userMessages().askOkCancel(LoadFormattedString(106, set.name), UserMessages::Icon::Question))
        return;
    DeleteBackupSet(g_selectedSetId);
    FillSetList();
}

void CMyVelmoraDlg::OnUpdateAll()
{
    if (g_jobRunning || backupSets.isEmpty())
        return;
    if (!userMessages().askOkCancel(LoadStringById(116), UserMessages::Icon::Question))
        return;
    StartUpdateAll();
}

void CMyVelmoraDlg::OnViewLog()
{
    CLogDlg dialog(this);
    dialog.m_logKind = 0;
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
    const QString question = LoadFormattedString(115, set.name) + QStringLiteral("\n\n") + detail;
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
    ShowStringMessage(113);
    langID = 1;
    updateLanguageChecks();
}

void CMyVelmoraDlg::OnEnglish()
{
    ShowStringMessage(113);
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
