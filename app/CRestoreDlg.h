#pragma once

// The restore dialog: a set's restore points (or those of a full archive found on disk), the tree of files
// and folders as of the chosen point with boxes to tick, the versions of the selected file, the folder to
// restore into, and the restore itself on the program's job runner with its progress, Stop and result.

#include "BackupSet.h"
#include "RestoreJob.h"
#include "RestorePoints.h"

#include <QDate>
#include <QDialog>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

struct JobProgress;
struct JobResult;
class CMyListCtrl;
class CTextProgressCtrl;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;

class CRestoreDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CRestoreDlg(QWidget* parent = nullptr);

    // Starts reading the points of the set, or of the full archive and its update archives beside it, on a
    // thread of its own: the dialog says it is reading and stays responsive (a disk that does not answer must not
    // freeze it), then shows the points, the newest chosen. Without any it says why and closes. A set with none
    // here but an off-site copy offers to fetch its archives from there: the dialog then fetches, and shows the
    // points when they are in. loadingFinished says how it ended.
    void startLoadingSet(const BackupSet& set);
    void startLoadingArchive(const QString& fullArchive);
    // The same, waiting for the points: false, after saying why, when there is nothing to restore.
    bool loadSet(const BackupSet& set);
    bool loadArchive(const QString& fullArchive);
    // Whether the points are being read.
    bool isReading() const { return m_reading; }
    // How many reads of points run now in the program, also of dialogs closed before theirs ended (which go on to
    // the listing's end, touching nothing of the dialog's).
    static int ReadsRunning();

    // "NAME restored YYYY-MM-DD" in the folder, or with " (2)", " (3)"... when that name holds something.
    static QString DefaultTarget(const QString& folder, const QString& name, const QDate& date);
    // Fills the tree from a state sorted by path, in one pass; folders missing from it are made as needed.
    void fillTree(const QList<StateEntry>& state);
    // The ticked files and folders (a ticked folder stands for all it holds); empty when nothing is ticked,
    // which restores everything.
    QStringList chosenPaths() const;
    // How many files (not folders) of the shown state the paths take in; empty paths take in all.
    qint64 filesWithin(const QStringList& paths) const;
    // The set Import set made, or 0.
    quint32 importedSetId() const { return m_importedSetId; }
    bool isRestoring() const { return m_restoring; }
    bool isFetching() const { return m_fetching; }

    CMyListCtrl* pointList() const { return m_points; }
    CMyListCtrl* fileTree() const { return m_tree; }
    CMyListCtrl* versionList() const { return m_versions; }
    QLineEdit* targetEdit() const { return m_target; }
    QCheckBox* originalBox() const { return m_original; }
    CTextProgressCtrl* progress() const { return m_progress; }
    QLabel* note() const { return m_note; }
    QPushButton* importButton() const { return m_import; }
    QCheckBox* keepForeverBox() const { return m_keepForever; }
    // The tree's item for a path, or nullptr.
    QTreeWidgetItem* itemOf(const QString& path) const;

public slots:
    void OnPointChosen();
    void OnFileChosen();
    void OnBrowseTarget();
    // Shows the set's source as the target, read-only, while restoring over it is ticked.
    void OnOriginalToggled(bool over);
    // Starts the restore of the ticked files (or everything) into the target folder.
    void OnRestore();
    void OnStop();
    // Makes a set of the archive shown again: its source is asked for with the folder picker.
    void OnImportSet();
    // Adds the selected point to the set's pinned points, or takes it out, in the set's file at once.
    void OnKeepForever(bool keep);

signals:
    // The points are shown (or the fetch from off site started), or there are none to show (shown false); again
    // once the archives fetched from off site have been read.
    void loadingFinished(bool shown);

protected:
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What one reading of the points gave.
    struct Listed
    {
        QList<RestorePoint> points;
        QString error;
        ListFailure failure = ListFailure::None;
    };
    using ListedThen = std::function<void(std::optional<Listed>)>;
    // The points of a full archive found on disk, read with the password given (see RestorePointsOfArchive).
    static Listed readArchive(const QString& fullArchive, const std::optional<QString>& password);
    // Runs work on a thread of its own and hands its result to then on the dialog's thread; when the dialog is
    // gone by then, the result is dropped. work must own everything it reads.
    void readInBackground(std::function<Listed()> work, std::function<void(Listed)> then);
    // Says in the list and the bar that the points are being read.
    void showReading();
    void endReading(bool shown);
    void finishLoadingSet(const BackupSet& set, const std::optional<Listed>& listed);
    void finishLoadingArchive(const QString& fullArchive, const Listed& listed);
    void askArchivePassword(const QString& fullArchive, const Listed& listed);
    // Waits, handling events, for the loading started last to finish.
    bool waitForLoading();
    bool showPoints(const QList<RestorePoint>& points, const QString& error, const QString& name);
    // Shows the set's points, read from where its archives are now.
    bool showSetPoints(const BackupSet& set, const QList<RestorePoint>& points, const QString& error);
    // The set's points from where its archives are; a password that does not open them is asked again, with the
    // reason, until one does or the user cancels (nothing then).
    // then gets them, or nothing when the user gave up.
    void setPointsAsking(const BackupSet& set, const ListedThen& then);
    // Asks for the password of each chain that the set's did not open, and lists the points again with it (relist,
    // run in the background); a chain the user gives up on stays in the list, its files unknown.
    void askChainPasswords(const Listed& listed, const std::function<Listed()>& relist,
        const std::function<void(Listed)>& then, QStringList declined = {}, QStringList asked = {});
    // Starts fetching the set's off-site archives into a private folder; false, after saying why, when it cannot.
    bool fetchOffsite(const BackupSet& set);
    void fitColumns();
    // Says beside each point why the set's retention policy keeps it (nothing for an archive found on disk).
    void showKeepReasons();
    // Ticks the box when the selected point is kept for ever; only a set's own archives can be.
    void showPointPinned();
    void start(const RestoreRequest& request);
    void setBusy(bool busy);
    void showProgress(const JobProgress& progress);
    void showResult(const JobResult& result);
    // The fetch from off site ended: shows the points it brought, or why there are none.
    void showFetched(const JobResult& result);
    void showFetchedPoints(const JobResult& result, const QList<RestorePoint>& points, const QString& error);

    CMyListCtrl* m_points = nullptr;
    CMyListCtrl* m_tree = nullptr;
    CMyListCtrl* m_versions = nullptr;
    QLabel* m_note = nullptr;
    QLineEdit* m_target = nullptr;
    QCheckBox* m_original = nullptr;
    CTextProgressCtrl* m_progress = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_close = nullptr;
    QCheckBox* m_keepForever = nullptr;

    QList<RestorePoint> m_pointsShown;
    QList<StateEntry> m_state;
    QHash<QString, QTreeWidgetItem*> m_items;
    // The set's name, or the archive's name without its extension.
    QString m_name;
    // The full archive when the dialog shows one found on disk; empty for a set.
    QString m_archive;
    // The set's source folder; empty for an archive found on disk.
    QString m_source;
    // The new folder the target field held before restoring over the source was ticked.
    QString m_newTarget;
    quint32 m_importedSetId = 0;
    // The set whose destination the points shown are from, and its id; 0 for an archive found on disk or archives
    // fetched from off site.
    quint32 m_historySetId = 0;
    BackupSet m_historySet;
    bool m_restoring = false;
    bool m_showsPosition = false;
    // What the running restore was asked for, for its result.
    QString m_restoringTo;
    qint64 m_restoringFiles = 0;
    // For a restore over the source: the point's date and what the preview said it would change.
    std::optional<OriginalRestorePreview> m_restoringOver;
    QString m_restoringAsOf;
    // The set whose off-site archives are being fetched, or were, and the private folder that holds them while
    // the dialog is open.
    BackupSet m_fetchedSet;
    std::unique_ptr<QTemporaryDir> m_fetched;
    bool m_fetching = false;
    bool m_reading = false;
    std::optional<bool> m_loaded;
};
