#pragma once

// The program's only top-level window: the list of backup sets, the command buttons, the menus and
// the progress bar that shows what the running job is doing.

#include <QDialog>
#include <QFont>

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
    // Column 0 takes a third of the list's client width, column 1 twice that.
    void applyColumnWidths();
    // The kind of row (the image index) of a set, given the kind of the row before it.
    static int RowKind(qint32 arcType, qint32 backupType, int previousKind);

    CMyListCtrl* list() const { return m_list; }
    CTextProgressCtrl* progress() const { return m_progress; }
    QMenu* taskMenu() const { return m_taskMenu; }

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
    void OnRussian();
    void OnEnglish();
    void OnHelp();
    void OnAbout();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Esc never closes the window.
    void reject() override { }

private:
    void createMenus();
    void createControls();
    void updateLanguageChecks();
    // Takes the first selected row's set id into g_selectedSetId; false when no row is selected.
    bool takeSelection();
    // Shows the runner's state: buttons and commands off, marquee and "working" while its job runs.
    void updateBusy();
    QAction* addCommand(QMenu* menu, int id, const QString& text, void (CMyVelmoraDlg::*handler)());

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
};

// Saves every set and the settings, then frees the profile store: the last thing the window does.
void SaveAllAndFreeStore();
