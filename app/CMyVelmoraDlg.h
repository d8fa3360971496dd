#pragma once

// The program's only top-level window: the list of backup sets, the command buttons, the menus and
// the progress bar that shows what the running job is doing.

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QRect>

struct JobProgress;
struct JobResult;
class CMyListCtrl;
class CTextProgressCtrl;
class QAction;
class QMenu;
class QMenuBar;
class QPushButton;

// True while a job of the program's runner runs: read from the runner each time, so it never disagrees with it.
struct JobRunningState
{
    explicit operator bool() const;
};
extern const JobRunningState g_jobRunning;

class CMyVelmoraDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CMyVelmoraDlg(QWidget* parent = nullptr);
    ~CMyVelmoraDlg() override;

    void FillSetList();
    // The last-success and result columns take what their texts need; of the rest of the list's client
    // width the name takes a third and the path two thirds.
    void applyColumnWidths();
    // The bar's text while a job runs: "WORKING. 41 % · about 2 min left · set 3 of 7", the figures only
    // where they are known.
    static QString ProgressText(const QString& status, const JobProgress& progress);
    // "Backup sets overdue: 2, failed: 1." for the loaded sets, as of OverdueClock(); empty when none is either.
    static QString AlarmStatusText();
    // Selects the set of that name (letter case does not matter) and opens the log viewer on its kept runs;
    // false, with nothing opened, when no set has the name.
    bool ShowLogOf(const QString& setName);
    // The kind of row (the image index) of a set, given the kind of the row before it.
    static int RowKind(qint32 arcType, qint32 backupType, int previousKind);

    CMyListCtrl* list() const { return m_list; }
    CTextProgressCtrl* progress() const { return m_progress; }
    QMenu* taskMenu() const { return m_taskMenu; }
    // The set the last command took from the list; 0 when no row was selected.
    quint32 selectedSetId() const { return m_selectedSetId; }

public slots:
    void OnNew();
    void OnProperties();
    void OnRun();
    void OnDoubleClick();
    void OnDelete();
    void OnUpdateAll();
    void OnViewLog();
    void OnOptions();
    void OnRemoveOldFiles();
    void OnOpenLocation();
    // The restore dialog for the selected set, or for a full archive the user chooses on disk.
    void OnRestore();
    void OnRestoreFromFolder();
    // Tests every archive of the selected set on the job runner; the result comes as a backup's does.
    void OnVerify();
    void OnRussian();
    void OnEnglish();
    void OnHelp();
    void OnAbout();
    // Ends the running job (its tool, then what it half wrote); the previous backup stays.
    void OnStop();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Esc never closes the window; while a job runs it asks whether to stop the job (No is the default, so a
    // stray Esc costs nothing).
    void reject() override;

private:
    void createMenus();
    void createControls();
    void updateLanguageChecks();
    // Takes the first selected row's set id into m_selectedSetId; false when no row is selected.
    bool takeSelection();
    // Run and double-click: the selected set's password first when it is encrypted, then the question whether to
    // run it, then its job.
    bool runSelectedSet();
    // Shows the runner's state: buttons and commands off, marquee and "working" while its job runs.
    void updateBusy();
    // Remove Old Files is for a set with archives: off for a mirror set, whose folder is no chain, and while busy.
    void updateSetCommands();
    // A set of the run starts: "working" again, with which set of how many.
    void showSetStarted(int setIndex, int setCount);
    // The tool is done and the job puts its output in place.
    void showCopying();
    void showProgress(const JobProgress& progress);
    void showResult(const JobResult& result);
    QAction* addCommand(QMenu* menu, int id, const QString& text, void (CMyVelmoraDlg::*handler)());

    // The set the window's commands work on; 0 when there is none.
    quint32 m_selectedSetId = 0;
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_taskMenu = nullptr;
    CMyListCtrl* m_list = nullptr;
    QFont m_boldFont;
    // The command buttons: all off while a job runs.
    QList<QPushButton*> m_buttons;
    CTextProgressCtrl* m_progress = nullptr;
    QAction* m_russian = nullptr;
    QAction* m_english = nullptr;
    // Commands that start a job or change the collection: refused while a job runs.
    QList<QAction*> m_busyActions;
    bool m_shownBusy = false;
    QPushButton* m_stop = nullptr;
    QAction* m_stopAction = nullptr;
    QAction* m_removeOldAction = nullptr;
    // The job's own figures show in the bar once the tool gives them; the marquee runs until then.
    bool m_showsPosition = false;
    bool m_copying = false;
    // Which set of how many the running job is at: a run of every set ends with no one set's result.
    int m_runSetIndex = 1;
    int m_runSetCount = 1;
    // While the restore dialog is open, the passwords given for it stay through its jobs.
    bool m_restoreOpen = false;
    // The running job is a verification, which Esc's question names as such.
    bool m_verifying = false;
    // The controls as the template placed them in the smallest window, which a larger window moves or
    // stretches: the list grows, the buttons keep to the right and the bottom row to the bottom.
    QSize m_templateSize;
    QHash<QWidget*, QRect> m_templateGeometry;
};

// Saves every set and the settings, then frees the profile store: the last thing the window does.
void SaveAllAndFreeStore();
