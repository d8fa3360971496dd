#include "CRestoreDlg.h"

#include "ArchivePasswords.h"
#include "CMyListCtrl.h"
#include "CTextProgressCtrl.h"
#include "DialogTemplate.h"
#include "EncryptedArchives.h"
#include "FolderPicker.h"
#include "JobOutcome.h"
#include "JobProgress.h"
#include "JobRunner.h"
#include "Keyring.h"
#include "MainWindowCommands.h"
#include "OffsitePhase.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "Retention.h"
#include "SetCollection.h"
#include "SetHistory.h"
#include "SetPasswords.h"
#include "Settings.h"
#include "StringTable.h"
#include "ToolLocations.h"
#include "UserMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPromise>
#include <QPushButton>
#include <QStyle>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <functional>
#include <utility>

namespace {

// The reads of points on threads of their own, also those of dialogs closed meanwhile.
std::atomic<int> readsRunning {0};

// The points list's column that says why the retention policy keeps each point.
constexpr int kReasonColumn = 4;

constexpr int kPathRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;

QString shownTime(const QDateTime& time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

bool holdsSomething(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    return !info.isDir() || !QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool isWithin(const QString& path, const QStringList& roots)
{
    if (roots.isEmpty())
        return true;
    for (const QString& root : roots) {
        if (path == root || (path.startsWith(root) && path.at(root.size()) == QLatin1Char('/')))
            return true;
    }
    return false;
}

void collectChosen(const QTreeWidgetItem* item, QStringList& chosen)
{
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        switch (child->checkState(0)) {
        case Qt::Checked:
            chosen.append(child->data(0, kPathRole).toString());
            break;
        case Qt::PartiallyChecked:
            collectChosen(child, chosen);
            break;
        case Qt::Unchecked:
            break;
        }
    }
}

} // namespace

CRestoreDlg::CRestoreDlg(QWidget* parent)
    : QDialog(parent)
{
    using C = ControlTemplate;
    BuildDialogTemplate(this, QT_TRANSLATE_NOOP("CRestoreDlg", "Restore"), QSize(560, 280),
        {
            {C::Label, ControlId::RestorePoints, QT_TRANSLATE_NOOP("CRestoreDlg", "Restore &points:"), 7, 7, 280, 8},
            {C::TreeList, ControlId::RestorePoints, nullptr, 7, 18, 290, 112},
            {C::CheckBox, ControlId::KeepForever, QT_TRANSLATE_NOOP("CRestoreDlg", "&Keep this point for ever"), 7, 133,
                290, 10},
            {C::Label, ControlId::RestoreTree, QT_TRANSLATE_NOOP("CRestoreDlg", "&Files and folders:"), 304, 7, 249, 8},
            {C::TreeList, ControlId::RestoreTree, nullptr, 304, 18, 249, 180},
            {C::Label, ControlId::FileVersions, QT_TRANSLATE_NOOP("CRestoreDlg", "&Versions of this file:"), 7, 149,
                290, 8},
            {C::TreeList, ControlId::FileVersions, nullptr, 7, 160, 290, 38},
            {C::StaticText, ControlId::RestoreNote, nullptr, 7, 202, 546, 16},
            {C::Label, ControlId::RestoreTarget, QT_TRANSLATE_NOOP("CRestoreDlg", "Restore &to:"), 7, 224, 60, 8},
            {C::Edit, ControlId::RestoreTarget, nullptr, 70, 222, 459, 14},
            {C::PushButton, ControlId::BrowseRestoreTarget, QT_TRANSLATE_NOOP("CRestoreDlg", "..."), 533, 222, 20, 14},
            {C::CheckBox, ControlId::RestoreOriginal,
                QT_TRANSLATE_NOOP("CRestoreDlg", "Restore to the &original location"), 70, 240, 250, 10},
            {C::TextProgress, ControlId::RestoreProgress, nullptr, 7, 259, 286, 14},
            {C::PushButton, ControlId::ImportSet, QT_TRANSLATE_NOOP("CRestoreDlg", "&Import set"), 297, 259, 86, 14},
            {C::PushButton, ControlId::RestoreStop, QT_TRANSLATE_NOOP("CRestoreDlg", "&Stop"), 387, 259, 50, 14},
            {C::DefaultButton, ControlId::RestoreButton, QT_TRANSLATE_NOOP("CRestoreDlg", "&Restore"), 441, 259, 60,
                14},
            {C::PushButton, ControlId::Cancel, QT_TRANSLATE_NOOP("CRestoreDlg", "Close"), 505, 259, 48, 14, "ctl2"},
        });
    m_points = FindControl<CMyListCtrl>(this, ControlId::RestorePoints);
    m_tree = FindControl<CMyListCtrl>(this, ControlId::RestoreTree);
    m_versions = FindControl<CMyListCtrl>(this, ControlId::FileVersions);
    m_note = FindControl<QLabel>(this, ControlId::RestoreNote);
    m_target = FindControl<QLineEdit>(this, ControlId::RestoreTarget);
    m_original = FindControl<QCheckBox>(this, ControlId::RestoreOriginal);
    m_progress = FindControl<CTextProgressCtrl>(this, ControlId::RestoreProgress);
    m_import = FindControl<QPushButton>(this, ControlId::ImportSet);
    m_stop = FindControl<QPushButton>(this, ControlId::RestoreStop);
    m_restore = FindControl<QPushButton>(this, ControlId::RestoreButton);
    m_close = FindControl<QPushButton>(this, "ctl2");

    // The lists keep the order they are filled in: points newest first, the tree by path.
    for (CMyListCtrl* list : {m_points, m_tree, m_versions})
        list->setSortingEnabled(false);
    m_points->setHeaderLabels({tr("Date"), tr("Kind"), tr("Size"), tr("Files"), tr("Kept because")});
    m_tree->setHeaderLabels({tr("Name"), tr("Size"), tr("Modified")});
    m_tree->setRootIsDecorated(true);
    m_tree->setUniformRowHeights(true);
    m_versions->setHeaderLabels({tr("Date"), tr("Size"), tr("Modified")});
    m_versions->setSelectionMode(QAbstractItemView::NoSelection);

    m_browse = FindControl<QPushButton>(this, ControlId::BrowseRestoreTarget);
    m_note->setText(tr("Tick the files and folders to restore, or none for everything."));
    // Only a set knows its source; an archive found on disk turns it on in loadSet.
    m_original->setEnabled(false);
    m_original->setToolTip(LoadStringById(StringId::OriginalNeedsSet));
    connect(m_original, &QCheckBox::toggled, this, &CRestoreDlg::OnOriginalToggled);
    m_import->hide();
    m_stop->setEnabled(false);
    m_progress->setText(LoadStringById(StringId::Ready));
    m_progress->SendMessage(PBX_SHOWPERCENT, 0);

    connect(m_points, &QTreeWidget::itemSelectionChanged, this, &CRestoreDlg::OnPointChosen);
    m_keepForever = FindControl<QCheckBox>(this, ControlId::KeepForever);
    m_keepForever->setToolTip(
        tr("The retention policy never removes a point kept for ever. Saved in the set at once."));
    m_keepForever->setEnabled(false);
    connect(m_points, &QTreeWidget::itemSelectionChanged, this, &CRestoreDlg::showPointPinned);
    connect(m_keepForever, &QCheckBox::clicked, this, &CRestoreDlg::OnKeepForever);
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CRestoreDlg::OnFileChosen);
    ConnectButtons(this,
        {
            {ControlId::BrowseRestoreTarget, &CRestoreDlg::OnBrowseTarget},
            {ControlId::ImportSet, &CRestoreDlg::OnImportSet},
            {ControlId::RestoreStop, &CRestoreDlg::OnStop},
            {ControlId::RestoreButton, &CRestoreDlg::OnRestore},
        });
    connect(m_close, &QPushButton::clicked, this, &CRestoreDlg::reject);

    JobRunner& runner = JobRunner::shared();
    connect(&runner, &JobRunner::finished, this, &CRestoreDlg::showResult);
    connect(&runner, &JobRunner::progress, this, &CRestoreDlg::showProgress, Qt::QueuedConnection);
    fitColumns();
}

namespace {

// A zip archive lists its names without the password: one file of each chain's full archive tells whether the
// chain's password is right, before a restore finds out. Marks the points of each chain it does not open.
void markZipChainsLocked(const BackupSet& set, QList<RestorePoint>& points)
{
    if (points.isEmpty() || !IsEncryptedSet(set) || ArcTypeName(set) != QLatin1String("zip"))
        return;
    const QString program = Locate7Zip() ? Settings().sevenZipPath.value() : QString();
    QHash<QString, bool> wrong;
    for (RestorePoint& point : points) {
        if (point.unopened != ListFailure::None)
            continue;
        auto found = wrong.constFind(point.fullArchive);
        if (found == wrong.cend()) {
            const std::optional<QString> password = ChainPasswordOf(set.id, point.fullArchive);
            found = wrong.insert(point.fullArchive,
                password && CheckArchivePassword(program, point.fullArchive, *password) == PasswordCheck::Wrong);
        }
        if (*found) {
            point.unopened = ListFailure::WrongPassword;
            point.problem = WrongPasswordText(point.fullArchive);
            point.fileCount = -1;
        }
    }
}

} // namespace

int CRestoreDlg::ReadsRunning()
{
    return readsRunning.load();
}

void CRestoreDlg::readInBackground(std::function<Listed()> work, std::function<void(Listed)> then)
{
    // The watcher is the dialog's: once the dialog is gone, nothing is told of the result. The thread owns the
    // promise and what work reads, so it may finish long after, touching nothing of the dialog's.
    auto promise = std::make_shared<QPromise<Listed>>();
    auto* watcher = new QFutureWatcher<Listed>(this);
    connect(watcher, &QFutureWatcher<Listed>::finished, this, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        if (watcher->future().resultCount() > 0)
            then(watcher->future().result());
    });
    watcher->setFuture(promise->future());
    readsRunning.fetch_add(1);
    QThread* thread = QThread::create([promise, work = std::move(work)] {
        promise->start();
        promise->addResult(work());
        promise->finish();
        readsRunning.fetch_sub(1);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void CRestoreDlg::showReading()
{
    m_reading = true;
    m_loaded.reset();
    m_pointsShown.clear();
    m_points->clear();
    fillTree({});
    auto* row = new QTreeWidgetItem({LoadStringById(StringId::ReadingRestorePoints)});
    row->setFlags(Qt::ItemIsEnabled);
    m_points->addTopLevelItem(row);
    // Only an item in the list can span it.
    row->setFirstColumnSpanned(true);
    m_note->clear();
    m_restore->setEnabled(false);
    m_import->setEnabled(false);
    m_progress->SendMessage(PBM_SETMARQUEE, 1, 10);
    m_progress->setText(LoadStringById(StringId::ReadingRestorePoints));
}

void CRestoreDlg::endReading(bool shown)
{
    m_reading = false;
    m_loaded = shown;
    if (!m_restoring) {
        m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
        m_progress->SendMessage(PBM_SETPOS, 0);
        m_progress->setText(LoadStringById(StringId::Ready));
        m_restore->setEnabled(shown);
        m_import->setEnabled(true);
    }
    if (!shown) {
        m_points->clear();
        // Nothing to restore: the dialog that opened for it closes.
        if (isVisible())
            QDialog::reject();
    }
    emit loadingFinished(shown);
}

bool CRestoreDlg::waitForLoading()
{
    QEventLoop loop;
    connect(this, &CRestoreDlg::loadingFinished, &loop, &QEventLoop::quit);
    if (!m_loaded)
        loop.exec();
    return m_loaded.value_or(false);
}

void CRestoreDlg::setPointsAsking(const BackupSet& set, const ListedThen& then)
{
    auto listed = [set] {
        Listed read;
        read.points = RestorePointsOf(set, &read.error, &read.failure);
        markZipChainsLocked(set, read.points);
        return read;
    };
    // A typing slip is no reason to give up, nor to fetch the copy off site, which the same password locks.
    readInBackground(listed, [this, set, then, listed](Listed read) {
        // The set's own password is asked again when it opens no chain at all.
        const bool noneOpens = !read.points.isEmpty()
            && std::all_of(read.points.cbegin(), read.points.cend(),
                [](const RestorePoint& point) { return point.unopened == ListFailure::WrongPassword; });
        if (noneOpens) {
            read.failure = ListFailure::WrongPassword;
            read.error = read.points.constFirst().problem;
        }
        if (read.failure != ListFailure::WrongPassword) {
            askChainPasswords(read, listed, [then](const Listed& done) { then(done); });
            return;
        }
        if (!AskSetPasswordAgain(this, set, read.error)) {
            then(std::nullopt);
            return;
        }
        setPointsAsking(set, then);
    });
}

void CRestoreDlg::askChainPasswords(const Listed& listed, const std::function<Listed()>& relist,
    const std::function<void(Listed)>& then, QStringList declined, QStringList asked)
{
    for (;;) {
        const auto locked = std::find_if(
            listed.points.cbegin(), listed.points.cend(), [&declined](const RestorePoint& point) {
                return point.passwordId != 0 && !declined.contains(point.fullArchive)
                    && (point.unopened == ListFailure::WrongPassword || point.unopened == ListFailure::PasswordMissing);
            });
        if (locked == listed.points.cend()) {
            then(listed);
            return;
        }
        // The chain's time is its full archive's, which its history folder is named by.
        const QDateTime chainTime = locked->chain.isEmpty() ? locked->time : RestoreStampTime(locked->chain);
        const bool askedBefore = asked.contains(locked->fullArchive);
        asked.append(locked->fullArchive);
        if (!AskChainPassword(this, *locked, shownTime(chainTime), askedBefore ? locked->problem : QString())) {
            declined.append(locked->fullArchive);
            continue;
        }
        // Listed again: what opened before comes from the kept listings, without 7-Zip.
        showReading();
        readInBackground(relist, [this, listed, relist, then, declined, asked](const Listed& again) {
            if (again.points.isEmpty()) {
                then(listed);
                return;
            }
            askChainPasswords(again, relist, then, declined, asked);
        });
        return;
    }
}

void CRestoreDlg::startLoadingSet(const BackupSet& set)
{
    m_archive.clear();
    setWindowTitle(tr("Restore %1").arg(set.name));
    showReading();
    setPointsAsking(set, [this, set](const std::optional<Listed>& listed) { finishLoadingSet(set, listed); });
}

bool CRestoreDlg::loadSet(const BackupSet& set)
{
    startLoadingSet(set);
    return waitForLoading();
}

void CRestoreDlg::finishLoadingSet(const BackupSet& set, const std::optional<Listed>& listed)
{
    if (!listed) {
        endReading(false);
        return;
    }
    const QList<RestorePoint>& points = listed->points;
    // The disk with the archives is gone, empty or damaged: the copy off site is what is left. Not when the
    // archives here want a password: the copy there wants the same.
    if (points.isEmpty() && listed->failure != ListFailure::PasswordMissing && !set.offsite.trimmed().isEmpty()) {
        const QString why
            = listed->error.isEmpty() ? LoadStringById(StringId::NoRestorePoints).arg(set.name) : listed->error;
        if (!userMessages().askYesNo(LoadStringById(StringId::FetchOffsiteQuestion).arg(why, set.offsite))) {
            endReading(false);
            return;
        }
        endReading(fetchOffsite(set));
        return;
    }
    endReading(showSetPoints(set, points, listed->error));
}

bool CRestoreDlg::fetchOffsite(const BackupSet& set)
{
    m_fetched = NewOffsiteFetchFolder();
    if (!m_fetched->isValid()) {
        userMessages().showMessage(m_fetched->errorString(), UserMessages::Icon::Warning);
        return false;
    }
    m_fetchedSet = set;
    m_name = set.name;
    setWindowTitle(tr("Restore %1").arg(set.name));
    JobRunner& runner = JobRunner::shared();
    // Its failure is said here, in the dialog's own words.
    runner.setReportsResults(false);
    m_fetching = true;
    m_restoring = true;
    setBusy(true);
    if (!runner.startOffsiteFetch(set, m_fetched->path())) {
        m_fetching = false;
        m_restoring = false;
        userMessages().showMessage(LoadStringById(StringId::AlreadyRunning), UserMessages::Icon::Warning);
        return false;
    }
    // Nothing to restore until the archives are in.
    m_restore->setEnabled(false);
    return true;
}

bool CRestoreDlg::showSetPoints(const BackupSet& set, const QList<RestorePoint>& points, const QString& error)
{
    if (!showPoints(points, error, set.name))
        return false;
    const QString cleanSource = QDir::cleanPath(set.source);
    m_original->setChecked(false);
    m_source = cleanSource;
    m_target->setText(DefaultTarget(QFileInfo(cleanSource).path(), set.name, QDate::currentDate()));
    m_original->setEnabled(true);
    m_original->setToolTip(QString());
    m_import->hide();
    // Archives fetched from off site into a private folder are no history of the destination's.
    m_historySetId = m_fetched ? 0 : set.id;
    m_historySet = set;
    showKeepReasons();
    return true;
}

CRestoreDlg::Listed CRestoreDlg::readArchive(const QString& fullArchive, const std::optional<QString>& password)
{
    Listed read;
    read.points = RestorePointsOfArchive(fullArchive, &read.error, password, &read.failure);
    return read;
}

void CRestoreDlg::startLoadingArchive(const QString& fullArchive)
{
    setWindowTitle(tr("Restore %1").arg(QFileInfo(fullArchive).completeBaseName()));
    showReading();
    readInBackground([fullArchive] { return readArchive(fullArchive, std::nullopt); },
        [this, fullArchive](const Listed& read) { askArchivePassword(fullArchive, read); });
}

bool CRestoreDlg::loadArchive(const QString& fullArchive)
{
    startLoadingArchive(fullArchive);
    return waitForLoading();
}

void CRestoreDlg::askArchivePassword(const QString& fullArchive, const Listed& listed)
{
    // An archive that hides its names lists nothing without its password: asked until it opens the archive or
    // the user gives up, saying why after a wrong one.
    if (listed.failure == ListFailure::PasswordMissing || listed.failure == ListFailure::WrongPassword) {
        const std::optional<QString> password = AskArchivePassword(
            this, fullArchive, listed.failure == ListFailure::WrongPassword ? listed.error : QString());
        if (!password) {
            endReading(false);
            return;
        }
        readInBackground([fullArchive, password] { return readArchive(fullArchive, password); },
            [this, fullArchive](const Listed& read) { askArchivePassword(fullArchive, read); });
        return;
    }
    const auto relist = [fullArchive] { return readArchive(fullArchive, ArchivePasswordOf(kFoundArchivePasswordId)); };
    askChainPasswords(
        listed, relist, [this, fullArchive](const Listed& read) { finishLoadingArchive(fullArchive, read); });
}

void CRestoreDlg::finishLoadingArchive(const QString& fullArchive, const Listed& listed)
{
    const QString name = QFileInfo(fullArchive).completeBaseName();
    if (!showPoints(listed.points, listed.error, name)) {
        endReading(false);
        return;
    }
    m_archive = fullArchive;
    m_historySetId = 0;
    showKeepReasons();
    m_original->setChecked(false);
    m_source.clear();
    m_original->setEnabled(false);
    m_original->setToolTip(LoadStringById(StringId::OriginalNeedsSet));
    // On a new computer the old source folder may not exist: the new folder goes into the home folder.
    m_target->setText(DefaultTarget(QDir::homePath(), name, QDate::currentDate()));
    m_import->show();
    endReading(true);
}

bool CRestoreDlg::showPoints(const QList<RestorePoint>& points, const QString& error, const QString& name)
{
    if (points.isEmpty()) {
        userMessages().showMessage(
            error.isEmpty() ? LoadStringById(StringId::NoRestorePoints).arg(name) : error, UserMessages::Icon::Warning);
        return false;
    }
    m_name = name;
    m_pointsShown = points;
    setWindowTitle(tr("Restore %1").arg(name));
    const bool zip = points.constLast().path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive);
    m_note->setText(zip ? LoadStringById(StringId::RestoreZipNoDeletions)
                        : tr("Tick the files and folders to restore, or none for everything."));
    m_points->clear();
    QList<QTreeWidgetItem*> rows;
    for (const RestorePoint& point : points) {
        const QString kind = point.kind == RestorePoint::Kind::Full ? tr("Full")
            : point.kind == RestorePoint::Kind::Update              ? tr("Update")
                                                                    : tr("Mirror");
        // A point whose chain did not open is listed all the same, saying why instead of its files.
        const QString files = point.fileCount >= 0 ? QString::number(point.fileCount)
            : point.unopened == ListFailure::WrongPassword || point.unopened == ListFailure::PasswordMissing
            ? LoadStringById(StringId::ChainPointLocked)
            : point.unopened != ListFailure::None ? LoadStringById(StringId::ChainPointUnreadable)
                                                  : QString();
        auto* row = new QTreeWidgetItem(
            {shownTime(point.time), kind, point.size >= 0 ? FormatByteSize(point.size) : QString(), files});
        row->setToolTip(0, point.path);
        if (point.unopened != ListFailure::None)
            row->setToolTip(3, point.problem);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    m_points->addTopLevelItems(rows);
    m_points->setCurrentItem(rows.constFirst());
    rows.constFirst()->setSelected(true);
    fitColumns();
    return true;
}

QString CRestoreDlg::DefaultTarget(const QString& folder, const QString& name, const QDate& date)
{
    const QString base
        = folder + QLatin1Char('/') + name + QStringLiteral(" restored ") + date.toString(QStringLiteral("yyyy-MM-dd"));
    QString target = base;
    for (int copy = 2; holdsSomething(target) && copy < 1000; ++copy)
        target = base + QStringLiteral(" (%1)").arg(copy);
    return target;
}

void CRestoreDlg::OnPointChosen()
{
    QTreeWidgetItem* current = m_points->currentItem();
    const int index = current ? m_points->indexOfTopLevelItem(current) : -1;
    m_versions->clear();
    if (index < 0 || index >= m_pointsShown.size())
        return;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QList<StateEntry>> state = StateAsOf(m_pointsShown, index, &error);
    QApplication::restoreOverrideCursor();
    if (!state) {
        fillTree({});
        userMessages().showMessage(error, UserMessages::Icon::Warning);
        return;
    }
    fillTree(*state);
}

void CRestoreDlg::fillTree(const QList<StateEntry>& state)
{
    m_state = state;
    m_items.clear();
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    const QIcon linkIcon = style()->standardIcon(QStyle::SP_FileLinkIcon);
    QList<QTreeWidgetItem*> topLevel;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;

    // Items are made and joined before the tree sees any of them: one insertion, whatever the state's size.
    const auto makeItem = [&](const QString& path, bool folder) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        auto* item = new QTreeWidgetItem({slash < 0 ? path : path.mid(slash + 1)});
        item->setFlags(folder ? flags | Qt::ItemIsAutoTristate : flags);
        item->setCheckState(0, Qt::Unchecked);
        item->setData(0, kPathRole, path);
        item->setData(0, kFolderRole, folder);
        item->setIcon(0, folder ? folderIcon : fileIcon);
        return item;
    };
    // The folder item of a path, made (with those above it) when the state does not list it.
    std::function<QTreeWidgetItem*(const QString&)> folderOf = [&](const QString& path) -> QTreeWidgetItem* {
        if (path.isEmpty())
            return nullptr;
        if (QTreeWidgetItem* known = m_items.value(path))
            return known;
        QTreeWidgetItem* item = makeItem(path, true);
        m_items.insert(path, item);
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (QTreeWidgetItem* parent = folderOf(slash < 0 ? QString() : path.left(slash)))
            parent->addChild(item);
        else
            topLevel.append(item);
        return item;
    };

    m_items.reserve(state.size());
    for (const StateEntry& entry : state) {
        // Shown whole at the top and never chosen: a restore writes nothing for it, and its names ("..") must
        // not look like folders of the backup.
        if (entry.refused) {
            auto* item = new QTreeWidgetItem(
                {LoadStringById(StringId::RestoreEntryRefusedShort).arg(ShownEntryPath(entry.path))});
            item->setFlags(Qt::ItemIsEnabled);
            item->setIcon(0, style()->standardIcon(QStyle::SP_MessageBoxWarning));
            item->setText(2, shownTime(entry.modified));
            topLevel.append(item);
            continue;
        }
        if (entry.isFolder) {
            folderOf(entry.path)->setText(2, shownTime(entry.modified));
            continue;
        }
        QTreeWidgetItem* item = makeItem(entry.path, false);
        if (entry.isLink) {
            item->setIcon(0, linkIcon);
            item->setToolTip(0, entry.linkTarget);
        } else {
            item->setText(1, FormatByteSize(entry.size));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setText(2, shownTime(entry.modified));
        m_items.insert(entry.path, item);
        const qsizetype slash = entry.path.lastIndexOf(QLatin1Char('/'));
        if (QTreeWidgetItem* parent = folderOf(slash < 0 ? QString() : entry.path.left(slash)))
            parent->addChild(item);
        else
            topLevel.append(item);
    }
    m_tree->addTopLevelItems(topLevel);
    m_tree->setUpdatesEnabled(true);
    fitColumns();
}

QTreeWidgetItem* CRestoreDlg::itemOf(const QString& path) const
{
    return m_items.value(path);
}

QStringList CRestoreDlg::chosenPaths() const
{
    QStringList chosen;
    collectChosen(m_tree->invisibleRootItem(), chosen);
    return chosen;
}

qint64 CRestoreDlg::filesWithin(const QStringList& paths) const
{
    qint64 count = 0;
    for (const StateEntry& entry : m_state) {
        if (!entry.isFolder && isWithin(entry.path, paths))
            ++count;
    }
    return count;
}

void CRestoreDlg::OnFileChosen()
{
    m_versions->clear();
    const QTreeWidgetItem* current = m_tree->currentItem();
    if (!current || current->data(0, kFolderRole).toBool())
        return;
    QString error;
    const QList<FileVersion> versions = VersionsOf(m_pointsShown, current->data(0, kPathRole).toString(), &error);
    if (!error.isEmpty()) {
        userMessages().showMessage(error, UserMessages::Icon::Warning);
        return;
    }
    QList<QTreeWidgetItem*> rows;
    // Newest first, as the points are listed.
    for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
        auto* row = new QTreeWidgetItem({shownTime(it->point.time),
            it->deleted ? tr("deleted") : FormatByteSize(it->size), it->deleted ? QString() : shownTime(it->modified)});
        row->setToolTip(0, it->point.path);
        rows.append(row);
    }
    m_versions->addTopLevelItems(rows);
    fitColumns();
}

void CRestoreDlg::OnBrowseTarget()
{
    const QString folder = PickFolder(this, m_target->text());
    if (!folder.isEmpty())
        m_target->setText(folder);
}

void CRestoreDlg::OnOriginalToggled(bool over)
{
    if (over) {
        m_newTarget = m_target->text();
        m_target->setText(m_source);
    } else if (m_target->text() == m_source) {
        m_target->setText(m_newTarget);
    }
    m_target->setReadOnly(over);
    m_browse->setEnabled(!over);
}

void CRestoreDlg::OnRestore()
{
    if (m_restoring || m_pointsShown.isEmpty())
        return;
    const int index = m_points->indexOfTopLevelItem(m_points->currentItem());
    if (index < 0)
        return;
    m_restoringOver.reset();
    if (m_original->isChecked() && !m_source.isEmpty()) {
        // Asked each time from the disk as it is now: what was there when the box was ticked may have changed.
        const QStringList paths = chosenPaths();
        QString error;
        const auto preview = PreviewOriginalRestore(m_state, m_source, paths, &error);
        if (!preview) {
            userMessages().showMessage(error, UserMessages::Icon::Warning);
            return;
        }
        const QString asOf = shownTime(m_pointsShown.at(index).time);
        const QString question = LoadStringById(StringId::RestoreOverTrashQuestion)
                                     .arg(m_source, asOf)
                                     .arg(preview->overwritten)
                                     .arg(preview->unchanged)
                                     .arg(preview->added)
                                     .arg(preview->notInBackup)
                                     .arg(preview->left);
        // The first names of each list, and all of them for "Show all", one a line.
        QString names;
        QString allNames;
        for (const auto& [heading, listed] : {std::pair {StringId::RestoreOverReplacedHeading, preview->replacedPaths},
                 std::pair {StringId::RestoreOverOthersHeading, preview->notInBackupPaths}}) {
            if (listed.isEmpty())
                continue;
            const qsizetype shown = 50;
            const QString separator = names.isEmpty() ? QString() : QStringLiteral("\n\n");
            names += separator + LoadStringById(heading) + QLatin1Char('\n')
                + listed.first(std::min(shown, listed.size())).join(QLatin1Char('\n'));
            if (listed.size() > shown)
                names += QLatin1Char('\n') + LoadStringById(StringId::RestoreNamesMore).arg(listed.size() - shown);
            allNames += separator + LoadStringById(heading) + QLatin1Char('\n') + listed.join(QLatin1Char('\n'));
        }
        const QString choice = preview->notInBackup > 0
            ? LoadStringById(StringId::RestoreRemoveOthersChoice).arg(preview->notInBackup)
            : QString();
        bool removeOthers = false;
        if (!userMessages().askYesNoWithList(question, names, allNames, choice, &removeOthers))
            return;
        RestoreRequest request;
        request.points = m_pointsShown;
        request.index = index;
        request.target = m_source;
        request.paths = paths;
        request.overOriginal = true;
        request.removeOthers = removeOthers;
        m_restoringTo = m_source;
        m_restoringFiles = filesWithin(paths);
        m_restoringOver = preview;
        // What the result says went to the trash as not in the backup.
        if (!removeOthers)
            m_restoringOver->notInBackup = 0;
        m_restoringAsOf = asOf;
        start(request);
        return;
    }
    const QString target = QDir::cleanPath(m_target->text().trimmed());
    if (target.isEmpty() || !QDir::isAbsolutePath(target)) {
        userMessages().showMessage(
            LoadStringById(StringId::RestoreTargetNotFull).arg(target), UserMessages::Icon::Warning);
        return;
    }
    // Asked here too, so that a folder with content is refused before anything starts.
    if (const QString problem = RestoreTargetProblem(target); !problem.isEmpty()) {
        userMessages().showMessage(problem, UserMessages::Icon::Warning);
        return;
    }
    RestoreRequest request;
    request.points = m_pointsShown;
    request.index = index;
    request.target = target;
    request.paths = chosenPaths();
    m_restoringTo = target;
    m_restoringFiles = filesWithin(request.paths);
    start(request);
}

void CRestoreDlg::start(const RestoreRequest& request)
{
    JobRunner& runner = JobRunner::shared();
    // A failure comes as a message box from the runner, as a backup's does.
    runner.setReportsResults(true);
    m_restoring = true;
    setBusy(true);
    if (!runner.startRestore(request)) {
        m_restoring = false;
        setBusy(false);
        userMessages().showMessage(LoadStringById(StringId::AlreadyRunning), UserMessages::Icon::Warning);
    }
}

void CRestoreDlg::setBusy(bool busy)
{
    m_restore->setEnabled(!busy);
    m_import->setEnabled(!busy);
    m_original->setEnabled(!busy && !m_source.isEmpty());
    m_browse->setEnabled(!busy && !m_original->isChecked());
    m_close->setEnabled(!busy);
    m_stop->setEnabled(busy);
    m_showsPosition = false;
    m_progress->setToolTip(QString());
    if (busy) {
        m_progress->SendMessage(PBM_SETMARQUEE, 1, 10);
        m_progress->setText(LoadStringById(StringId::Working));
    } else {
        m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
        m_progress->SendMessage(PBM_SETPOS, 0);
    }
}

void CRestoreDlg::showProgress(const JobProgress& progress)
{
    if (!m_restoring)
        return;
    if (progress.percent >= 0 && !m_showsPosition) {
        m_showsPosition = true;
        m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
        m_progress->SendMessage(PBM_SETRANGE32, 0, 100);
    }
    if (m_showsPosition)
        m_progress->SendMessage(PBM_SETPOS, quintptr(std::max(progress.percent, 0)));
    m_progress->setText(LoadStringById(progress.offsite ? StringId::CopyingOffsite : StringId::Working)
        + (progress.percent >= 0 ? QStringLiteral(" %1 %").arg(progress.percent) : QString()));
}

void CRestoreDlg::showResult(const JobResult& result)
{
    if (!m_restoring)
        return;
    m_restoring = false;
    setBusy(false);
    if (m_fetching) {
        m_fetching = false;
        showFetched(result);
        return;
    }
    QString text;
    if (result.succeeded() && m_restoringOver) {
        text = LoadStringById(StringId::RestoredOverTrash)
                   .arg(m_restoringTo, m_restoringAsOf)
                   .arg(m_restoringOver->overwritten)
                   .arg(m_restoringOver->added)
                   .arg(m_restoringOver->notInBackup);
        for (const QString& said : {result.warning, result.note}) {
            if (!said.isEmpty())
                text += QLatin1Char(' ') + said;
        }
        m_progress->SendMessage(PBM_SETPOS, 100);
    } else if (result.succeeded()) {
        text = LoadStringById(StringId::RestoredFiles).arg(m_restoringFiles).arg(m_restoringTo);
        for (const QString& said : {result.warning, result.note}) {
            if (!said.isEmpty())
                text += QLatin1Char(' ') + said;
        }
        m_progress->SendMessage(PBM_SETPOS, 100);
    } else if (ResultKindOf(result) == JobResultKind::Stopped) {
        // The bar is narrow: the word first and whole, what was left as it was in its tooltip.
        m_progress->setText(LoadStringById(StringId::StoppedStatus));
        m_progress->setToolTip(result.reason);
        return;
    } else {
        text = LoadStringById(StringId::RestoreNotDone).arg(JobFailureReason(result));
    }
    m_progress->setText(text);
    m_progress->setToolTip(text);
    // The next restore goes into another new folder.
    if (result.succeeded() && !m_restoringOver)
        m_target->setText(DefaultTarget(QFileInfo(m_restoringTo).path(), m_name, QDate::currentDate()));
}

void CRestoreDlg::showFetched(const JobResult& result)
{
    QString error;
    if (result.succeeded()) {
        BackupSet fetched = m_fetchedSet;
        fetched.target = m_fetched->path();
        showReading();
        setPointsAsking(fetched, [this, result](const std::optional<Listed>& listed) {
            m_reading = false;
            const QList<RestorePoint> points = listed ? listed->points : QList<RestorePoint>();
            showFetchedPoints(result, points, listed ? listed->error : LoadStringById(StringId::NoPasswordGiven));
            emit loadingFinished(!points.isEmpty());
        });
        return;
    }
    if (ResultKindOf(result) == JobResultKind::Stopped) {
        error = LoadStringById(StringId::StoppedStatus);
    } else {
        error = result.reason;
    }
    showFetchedPoints(result, {}, error);
}

void CRestoreDlg::showFetchedPoints(const JobResult& result, const QList<RestorePoint>& points, const QString& error)
{
    m_progress->SendMessage(PBM_SETMARQUEE, 0, 0);
    m_progress->SendMessage(PBM_SETPOS, 0);
    if (points.isEmpty()) {
        m_points->clear();
        const QString text = LoadStringById(StringId::OffsiteNotFetched).arg(error);
        // A stop reads as one, its word whole in the narrow bar.
        m_progress->setText(ResultKindOf(result) == JobResultKind::Stopped ? error : text);
        m_progress->setToolTip(text);
        m_restore->setEnabled(false);
        return;
    }
    showSetPoints(m_fetchedSet, points, error);
    m_restore->setEnabled(true);
    m_progress->setText(LoadStringById(StringId::OffsiteFetched).arg(m_fetchedSet.offsite));
}

void CRestoreDlg::OnStop()
{
    if (!m_restoring)
        return;
    m_stop->setEnabled(false);
    JobRunner::shared().stop();
}

void CRestoreDlg::reject()
{
    // The restore reports here: it ends before the dialog does. Esc asks first, No being its default; the Stop
    // button does not.
    if (m_restoring) {
        if (!m_stop->isEnabled())
            return;
        const QString question = m_fetching ? LoadStringById(StringId::StopFetchQuestion)
                                            : LoadStringById(StringId::StopRestoreQuestion).arg(m_restoringTo);
        if (userMessages().askYesNo(question))
            OnStop();
        return;
    }
    QDialog::reject();
}

void CRestoreDlg::OnImportSet()
{
    if (m_archive.isEmpty() || m_restoring)
        return;
    const QString source = PickFolder(this);
    if (source.isEmpty())
        return;
    const QFileInfo archive(m_archive);
    BackupSet set;
    set.id = NewBackupSetId();
    set.arcName = archive.completeBaseName();
    set.name = set.arcName;
    for (int copy = 2; !IsSetNameFree(set.name) && copy < 1000; ++copy)
        set.name = set.arcName + QStringLiteral(" (%1)").arg(copy);
    set.source = QDir::cleanPath(source);
    set.target = archive.absolutePath();
    set.arcType = archive.suffix().compare(QLatin1String("zip"), Qt::CaseInsensitive) == 0 ? 1 : 0;
    // Update archives beside it make it an incremental set; a lone full archive is taken for a full one.
    const bool hasUpdates = std::any_of(m_pointsShown.cbegin(), m_pointsShown.cend(),
        [](const RestorePoint& point) { return point.kind == RestorePoint::Kind::Update; });
    set.backupType = hasUpdates ? IncrementalArchiving : FullArchiving;
    // An archive opened with a password stays encrypted: the set takes that password, in the keyring where there
    // is one, so that its next run never writes its files unencrypted.
    const std::optional<QString> password = ArchivePasswordOf(kFoundArchivePasswordId);
    set.encrypt = password.has_value();
    m_importedSetId = AddBackupSet(set);
    SaveBackupSet(m_importedSetId);
    if (password) {
        SetArchivePassword(m_importedSetId, *password);
        WriteSetPassword(m_importedSetId, *password);
    }
    m_import->setEnabled(false);
    userMessages().showMessage(LoadStringById(StringId::SetImported).arg(set.name, m_archive));
}

void CRestoreDlg::showKeepReasons()
{
    QHash<QString, KeepReasons> reasons;
    const bool known = m_historySetId != 0 && m_historySet.backupType != MirrorCopying;
    if (known) {
        BackupSet set = m_historySet;
        // The pins as saved now: the box below, or velmora-run, may have changed them.
        GetBackupSet(m_historySetId, set);
        m_historySet.pinned = set.pinned;
        const QList<RetentionVerdict> verdicts
            = ApplyRetention(ReadSetHistory(set), RetentionPolicyOf(set), set.pinned);
        for (const RetentionVerdict& verdict : verdicts)
            reasons.insert(verdict.point.stamp, verdict.reasons);
    }
    for (int row = 0; row < m_points->topLevelItemCount() && row < m_pointsShown.size(); ++row) {
        const auto found = reasons.constFind(m_pointsShown.at(row).stamp);
        const QString text = known && found != reasons.constEnd() ? KeepReasonText(*found) : QString();
        m_points->topLevelItem(row)->setText(kReasonColumn, text);
        m_points->topLevelItem(row)->setToolTip(kReasonColumn, text);
    }
    fitColumns();
    showPointPinned();
}

void CRestoreDlg::showPointPinned()
{
    QTreeWidgetItem* current = m_points->currentItem();
    const int index = current ? m_points->indexOfTopLevelItem(current) : -1;
    const bool pinnable = m_historySetId != 0 && m_historySet.backupType != MirrorCopying && index >= 0
        && index < m_pointsShown.size() && !m_pointsShown.at(index).stamp.isEmpty();
    m_keepForever->setEnabled(pinnable);
    m_keepForever->setChecked(pinnable && m_historySet.pinned.contains(m_pointsShown.at(index).stamp));
}

void CRestoreDlg::OnKeepForever(bool keep)
{
    QTreeWidgetItem* current = m_points->currentItem();
    const int index = current ? m_points->indexOfTopLevelItem(current) : -1;
    if (m_historySetId == 0 || index < 0 || index >= m_pointsShown.size())
        return;
    // A file that could not be written leaves the box as the set is.
    SetPointPinned(m_historySetId, m_pointsShown.at(index).stamp, keep);
    showKeepReasons();
}

void CRestoreDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitColumns();
}

void CRestoreDlg::fitColumns()
{
    for (CMyListCtrl* list : {m_points, m_tree, m_versions}) {
        QHeaderView* header = list->header();
        int others = 0;
        for (int column = 1; column < list->columnCount(); ++column) {
            list->resizeColumnToContents(column);
            others += header->sectionSize(column);
        }
        if (list == m_points) {
            list->resizeColumnToContents(0);
            continue;
        }
        // The first column takes what the others leave, and never less than its own title needs.
        const int title = header->sectionSizeHint(0);
        header->resizeSection(0, std::max(list->viewport()->width() - others, title));
    }
}
