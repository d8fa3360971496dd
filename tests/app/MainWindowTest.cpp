#include "CLogDlg.h"
#include "CMyListCtrl.h"
#include "CMyVelmoraDlg.h"
#include "CTextProgressCtrl.h"
#include "DialogTestSupport.h"
#include "InterfaceLanguage.h"
#include "JobProgress.h"
#include "JobRunner.h"
#include "JobSignals.h"
#include "JobSlot.h"
#include "Jobs.h"
#include "MessageBoxes.h"
#include "ReadableFigures.h"
#include "ResourceIds.h"
#include "StoreFixture.h"
#include "StringTable.h"
#include "ToolTestSupport.h"
#include "UserMessages.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTranslator>

#include <sys/stat.h>

#include <functional>

class MainWindowTest : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        MutableSettings().languageId = 0;
    }
    void TearDown() override
    {
        WaitForJobThread();
        window.reset();
        StoreFixture::TearDown();
    }
    void addSet(const QString& name, qint32 arcType, qint32 backupType)
    {
        BackupSet set;
        set.name = name;
        set.arcName = name.toLower();
        set.source = "/data/" + name;
        set.target = home.filePath("dest");
        set.arcType = arcType;
        set.backupType = backupType;
        SaveBackupSet(AddBackupSet(set));
    }
    void open()
    {
        window = std::make_unique<CMyVelmoraDlg>();
        window->show();
    }
    // Update All from the window, its question answered with Yes, until the run has ended and the window has
    // handled every signal of it.
    void updateAllAndWait()
    {
        QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
        messages.setNextAnswer(true);
        window->OnUpdateAll();
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_TRUE(WaitForJobThread(5000));
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    }
    // Backs up a small real set "Docs" once from the window, answering its question with Yes.
    void runDocsOnce()
    {
        addArchiveSet("Docs");
        open();
        runSet("Docs");
    }
    // Runs the set from the window, answering its question with Yes, and lets the window take the result.
    void runSet(const QString& name)
    {
        select(name);
        messages.setNextAnswer(true);
        QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
        window->OnRun();
        ASSERT_TRUE(finished.wait(60000));
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    }
    void select(const QString& name)
    {
        const auto items = window->list()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        window->list()->setCurrentItem(items.first());
    }
    // A set whose job archives a small real tree into home/dest.
    void addArchiveSet(const QString& name)
    {
        const QString source = home.filePath("src/" + name);
        makeTree(source, {{"a.txt", "alpha"}, {"sub/b.txt", "beta"}});
        QDir().mkpath(home.filePath("dest"));
        BackupSet set;
        set.name = name;
        set.arcName = name.toLower();
        set.source = source;
        set.target = home.filePath("dest");
        SaveBackupSet(AddBackupSet(set));
    }
    // A set whose run takes long enough to be stopped half-way: 100 MB that 7-Zip cannot shrink.
    void addSlowArchiveSet(const QString& name)
    {
        addArchiveSet(name);
        for (int part = 0; part < 2; ++part)
            writeIncompressible(home.filePath(QStringLiteral("src/%1/big%2.bin").arg(name).arg(part)), 50 << 20);
    }
    struct Shown
    {
        QString text;
        bool busy = false;
        bool marquee = false;
        qsizetype enabledControls = 0;
    };
    Shown showing() const
    {
        Shown now {window->progress()->text(), bool(g_jobRunning), window->progress()->isMarquee(), 0};
        for (QWidget* button : jobButtons())
            now.enabledControls += button->isEnabled() ? 1 : 0;
        for (QAction* action : jobActions())
            now.enabledControls += action->isEnabled() ? 1 : 0;
        return now;
    }
    QList<QWidget*> jobButtons() const
    {
        QList<QWidget*> buttons;
        for (int id : {ControlId::RunButton, ControlId::UpdateAllButton, ControlId::ViewLogButton, ControlId::NewButton,
                 ControlId::DeleteButton, ControlId::PropertiesButton})
            buttons.append(window->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(id)));
        return buttons;
    }
    QList<QAction*> jobActions() const
    {
        QList<QAction*> actions;
        for (int id : {CommandId::Run, CommandId::RemoveOldFiles, CommandId::New, CommandId::Delete,
                 CommandId::Properties, CommandId::Options})
            actions.append(window->findChild<QAction*>(QStringLiteral("action%1").arg(id)));
        return actions;
    }

    std::unique_ptr<CMyVelmoraDlg> window;
};

TEST_F(MainWindowTest, CommandsWithoutASelectionDoNothing)
{
    addSet("Docs", 0, 0);
    open();
    window->OnRun();
    window->OnDelete();
    window->OnRemoveOldFiles();
    window->OnDoubleClick();
    EXPECT_TRUE(messages.questions().isEmpty());
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(window->selectedSetId(), 0u);
    EXPECT_EQ(backupSets.size(), 1);
}

TEST_F(MainWindowTest, RunAsksAtTheWindowAndStartsNothingWhenRefusedOrCancelled)
{
    addArchiveSet("Docs");
    open();
    select("Docs");
    QSignalSpy started(&JobRunner::shared(), &JobRunner::started);
    // Another job of this program holds the slot: refused before any question, so nobody confirms in vain.
    JobRunner other;
    ASSERT_TRUE(JobSlot::tryTake(&other));
    window->OnRun();
    JobSlot::release(&other);
    EXPECT_TRUE(messages.questions().isEmpty()) << messages.questions().join('|').toStdString();
    EXPECT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().value(0).contains(LoadStringById(StringId::AlreadyRunning)))
        << messages.messages().join('|').toStdString();

    // The list is filled anew after each command, which clears the selection.
    select("Docs");
    messages.setNextAnswer(false);
    window->OnRun();
    EXPECT_EQ(window->selectedSetId(), backupSets.first().id);
    EXPECT_EQ(messages.questions(), QStringList({"Run this backup set: 'Docs'?"}));
    EXPECT_TRUE(started.isEmpty());
    EXPECT_FALSE(g_jobRunning);
    EXPECT_FALSE(QFileInfo::exists(home.filePath("dest/docs.7z")));

    // Yes runs the set the question named.
    runSet("Docs");
    EXPECT_EQ(messages.questions().size(), 2);
    EXPECT_EQ(started.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(home.filePath("dest/docs.7z")));
}

// The window's question on the real message box, in both languages: it names the set, and Cancel runs nothing.
// With VELMORA_SHOTS_DIR set, the box is drawn over the window and saved as a picture.
TEST_F(MainWindowTest, TheRealRunQuestionNamesTheSetAndCancelRunsNothing)
{
    addArchiveSet("Docs");
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    auto languageBack = qScopeGuard([] {
        for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
        ApplyInterfaceLanguage(0, {});
    });
    for (const int language : {0, 1}) {
        ASSERT_TRUE(language == 0 || ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
        window.reset();
        open();
        select("Docs");
        MessageBoxes boxes;
        boxes.setOwner(window.get());
        setUserMessages(&boxes);
        auto recordingBack = qScopeGuard([this] { setUserMessages(&messages); });
        QString asked;
        whenModal<QMessageBox>([&](QMessageBox& box) {
            asked = box.text();
            if (!shots.isEmpty()) {
                QImage picture = window->grab().toImage();
                const QPixmap boxPicture = box.grab();
                QPainter painter(&picture);
                painter.drawPixmap((picture.width() - boxPicture.width()) / 2,
                    (picture.height() - boxPicture.height()) / 2, boxPicture);
                painter.end();
                picture.save(QStringLiteral("%1/run-question-%2.png").arg(shots, language == 0 ? "en" : "ru"));
            }
            box.button(QMessageBox::Cancel)->click();
        });
        window->OnRun();
        EXPECT_EQ(asked, LoadFormattedString(StringId::RunSetQuestion, "Docs"));
        EXPECT_FALSE(g_jobRunning);
        EXPECT_FALSE(QFileInfo::exists(home.filePath("dest/docs.7z")));
    }
}

TEST_F(MainWindowTest, ARunOfAllSetsKeepsTheWindowBusyFromTheFirstSetToTheLast)
{
    addArchiveSet("Docs");
    addArchiveSet("Photos");
    open();
    for (QWidget* button : jobButtons())
        ASSERT_NE(button, nullptr);
    for (QAction* action : jobActions())
        ASSERT_NE(action, nullptr);
    EXPECT_EQ(window->progress()->text(), "READY.");

    // What the window shows once it has taken each of the runner's signals: a test's connection made after the
    // window's is called after it, on the window's thread.
    QList<Shown> shown;
    QStringList signalNames;
    JobRunner& runner = JobRunner::shared();
    const auto record = [&](const QString& name) {
        signalNames.append(name);
        shown.append(showing());
    };
    QObject::connect(&runner, &JobRunner::started, window.get(), [&] { record("started"); });
    QObject::connect(&runner, &JobRunner::setStarted, window.get(),
        [&](int setIndex, int setCount) { record(QStringLiteral("set %1 of %2").arg(setIndex).arg(setCount)); });
    QObject::connect(&runner, &JobRunner::copying, window.get(), [&] { record("copying"); });

    ASSERT_NO_FATAL_FAILURE(updateAllAndWait());

    // The run's own pair encloses each set's start and copy, and the window says which set it is at.
    ASSERT_EQ(signalNames, QStringList({"started", "set 1 of 2", "copying", "set 2 of 2", "copying"}));
    const QStringList texts {
        "WORKING.", "WORKING. set 1 of 2", "COPYING. set 1 of 2", "WORKING. set 2 of 2", "COPYING. set 2 of 2"};
    for (qsizetype index = 0; index < shown.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(shown.at(index).text, texts.at(index));
        EXPECT_TRUE(shown.at(index).busy);
        EXPECT_EQ(shown.at(index).enabledControls, 0);
    }
    EXPECT_TRUE(shown.at(0).marquee) << "nothing is known before the first tool speaks";

    EXPECT_FALSE(g_jobRunning);
    const Shown after = showing();
    EXPECT_EQ(after.enabledControls, jobButtons().size() + jobActions().size());
    EXPECT_FALSE(after.marquee);
    EXPECT_EQ(window->progress()->pos(), 0);
    EXPECT_EQ(after.text, "READY.");
    EXPECT_TRUE(QFileInfo::exists(home.filePath("dest/docs.7z")));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("dest/photos.7z")));
}

// Sets whose source is gone fail in their checks, before any tool starts: the run's pair still reaches the window
// in order, and the window is ready again at once.
TEST_F(MainWindowTest, AJobThatFailsBeforeItsToolStartsLeavesTheWindowReady)
{
    addSet("Gone", 0, 0);
    addSet("Lost", 0, 0);
    open();
    QStringList order;
    JobRunner& runner = JobRunner::shared();
    QObject::connect(&runner, &JobRunner::started, window.get(), [&] { order.append("started"); });
    QObject::connect(&runner, &JobRunner::finished, window.get(),
        [&](const JobResult&) { order.append(showing().busy ? "finished, still busy" : "finished"); });
    auto* stop = window->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(ControlId::StopButton));
    ASSERT_NE(stop, nullptr);
    const auto expectReady = [&] {
        const Shown now = showing();
        EXPECT_FALSE(now.busy);
        EXPECT_FALSE(now.marquee);
        EXPECT_EQ(now.enabledControls, jobButtons().size() + jobActions().size());
        EXPECT_FALSE(stop->isEnabled());
    };

    runSet("Gone");
    EXPECT_EQ(order, QStringList({"started", "finished"}));
    expectReady();
    EXPECT_TRUE(showing().text.startsWith("READY. ")) << "the set's failure is said in the bar";
    EXPECT_EQ(messages.messages().size(), 1);

    order.clear();
    ASSERT_NO_FATAL_FAILURE(updateAllAndWait());
    EXPECT_EQ(order, QStringList({"started", "finished"}));
    expectReady();
    // Each set's failure is in its row and in the run's one message, not one set's in the bar.
    EXPECT_EQ(showing().text, "READY.");
    EXPECT_EQ(messages.messages().size(), 2);
}

TEST_F(MainWindowTest, WhileBusyADoubleClickRunsNothingAndClosingAsksWhetherToStop)
{
    addArchiveSet("Docs");
    open();
    select("Docs");
    messages.setNextAnswer(true);
    JobGate gate(JobRunner::shared());
    window->OnRun();
    // The gate holds the job at its set's start until the window has been tried.
    ASSERT_TRUE(g_jobRunning);
    EXPECT_FALSE(window->findChild<QPushButton*>(QStringLiteral("ctl1003"))->isEnabled());
    window->OnDoubleClick();
    window->OnRun();
    EXPECT_EQ(messages.questions().size(), 1) << "only the first run asked";
    EXPECT_EQ(FindBackupSet(backupSets.first().id)->lastRun, "0");
    // Cancel keeps the window and the job.
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(messages.questions().size(), 2);
    EXPECT_TRUE(messages.questions().last().startsWith("A backup is running. Stop it and close Velmora?"));
    EXPECT_EQ(messages.defaultButtons().last(), UserMessages::DefaultButton::Cancel) << "Enter would stop the backup";
    EXPECT_NE(g_profileStore, nullptr);
    gate.open();
    ASSERT_TRUE(WaitForJobThread(60000));
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    EXPECT_FALSE(g_jobRunning);
    EXPECT_TRUE(window->findChild<QPushButton*>(QStringLiteral("ctl1003"))->isEnabled());
}

TEST_F(MainWindowTest, TheResultColumnsTakeWhatTheyNeedAndNameAndPathSplitTheRestInThirds)
{
    addSet("Warned", 0, 0);
    writeFile(setFile("Warned"), readFile(setFile("Warned")).replace("LastResult=\n", "LastResult=warnings\n"));
    LoadAllBackupSets();
    open();
    const QSize small = window->size();
    const QRect list = window->list()->geometry();
    window->list()->resize(
        400 + window->list()->width() - window->list()->viewport()->width(), window->list()->height());
    ASSERT_EQ(window->list()->viewport()->width(), 400);
    window->applyColumnWidths();
    QHeaderView* header = window->list()->header();
    const int rest = 400 - header->sectionSize(2) - header->sectionSize(3);
    EXPECT_GT(header->sectionSize(3), 0);
    EXPECT_LE(header->sectionSize(3), 400 / 4) << "a long result is cut before the names are";
    EXPECT_EQ(header->sectionSize(0), rest / 3);
    EXPECT_EQ(header->sectionSize(1), rest / 3 * 2);

    // A larger window gives the room to the list; the buttons keep to their edges.
    auto* run = window->findChild<QPushButton*>(QStringLiteral("ctl1003"));
    auto* newSet = window->findChild<QPushButton*>(QStringLiteral("ctl1001"));
    const int runToBottom = window->height() - run->geometry().top();
    const int newSetToRight = window->width() - newSet->geometry().left();
    window->resize(1200, 800);
    QCoreApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(1200, 800));
    EXPECT_EQ(window->list()->width(), list.width() + 1200 - small.width());
    EXPECT_EQ(window->list()->height(), list.height() + 800 - small.height());
    EXPECT_EQ(window->height() - run->geometry().top(), runToBottom);
    EXPECT_EQ(window->width() - newSet->geometry().left(), newSetToRight);
    EXPECT_GT(newSet->geometry().left(), window->list()->geometry().right());
    EXPECT_GT(window->list()->header()->sectionSize(1), 2 * (rest / 3 * 2));
    window->resize(100, 100);
    EXPECT_EQ(window->size(), small) << "never smaller than its template";
}

TEST_F(MainWindowTest, EscLeavesTheWindowOpen)
{
    open();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWindowTest, RowsAreSortedByNameAndShowTheirKind)
{
    addSet("b mirror", 1, 2);
    addSet("a zip incremental", 1, 1);
    addSet("c odd", 5, 0);
    open();
    auto kindOf = [&](const QString& name) {
        return window->list()->findItems(name, Qt::MatchExactly).first()->data(0, Qt::UserRole + 1).toInt();
    };
    EXPECT_EQ(window->list()->topLevelItem(0)->text(0), "a zip incremental");
    EXPECT_EQ(window->list()->topLevelItem(0)->text(1), "/data/a zip incremental");
    EXPECT_EQ(kindOf("b mirror"), 4);
    EXPECT_EQ(kindOf("a zip incremental"), 3);
    // A set that fits no kind takes the kind of the set before it in the collection, which loads in name order.
    EXPECT_EQ(kindOf("c odd"), 4);
    EXPECT_TRUE(window->list()->selectedItems().isEmpty());
    EXPECT_EQ(CMyVelmoraDlg::RowKind(0, 1, 0), 2);
    EXPECT_EQ(CMyVelmoraDlg::RowKind(7, 7, 1), 1);
}

TEST_F(MainWindowTest, KeyboardContextMenuOpensInsideTheListWithRunAsDefault)
{
    addSet("Docs", 0, 0);
    open();
    QPoint shownAt;
    QObject::connect(window->list(), &CMyListCtrl::contextMenuAboutToShow, window->list(), [&](const QPoint& at) {
        shownAt = at;
        QTimer::singleShot(0, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        });
    });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
    QCoreApplication::sendEvent(window->list(), &event);
    EXPECT_EQ(shownAt, window->list()->viewport()->mapToGlobal(QPoint(5, 5)));
    ASSERT_NE(window->taskMenu()->defaultAction(), nullptr);
    EXPECT_EQ(window->taskMenu()->defaultAction()->objectName(), "action32778");
}

TEST_F(MainWindowTest, DeleteAsksFirstAndRefillsTheList)
{
    addSet("Docs", 0, 0);
    addSet("Photos", 0, 0);
    open();
    select("Docs");
    window->OnDelete();
    EXPECT_EQ(messages.questions(), QStringList({"Delete this backup set: 'Docs'?"}));
    EXPECT_EQ(backupSets.size(), 2);
    select("Docs");
    messages.setNextAnswer(true);
    window->OnDelete();
    EXPECT_EQ(backupSets.size(), 1);
    EXPECT_EQ(window->list()->topLevelItemCount(), 1);
    EXPECT_FALSE(QFileInfo::exists(setFile("Docs")));
}

TEST_F(MainWindowTest, RemoveOldFilesNamesTheRestorePointsItEndsAndWhatStaysWithCancelAsDefault)
{
    // A real chain: a full archive and one update archive, made by the window's Run.
    addArchiveSet("Docs");
    FindBackupSet(backupSets.first().id)->backupType = IncrementalArchiving;
    SaveBackupSet(backupSets.first().id);
    open();
    for (int run = 0; run < 2; ++run) {
        writeFile(home.filePath("src/Docs/a.txt"), QByteArray("alpha ") + QByteArray::number(run));
        runSet("Docs");
    }
    const QString dest = home.filePath("dest");
    const QStringList chain = destinationFiles(dest);
    ASSERT_EQ(chain.size(), 2) << chain.join(' ').toStdString();
    ASSERT_TRUE(archiveEntries(dest + "/docs.7z").contains("a.txt"));
    const QString update = chain.at(0) == "docs.7z" ? chain.at(1) : chain.at(0);
    const QString stamp = update.mid(QStringLiteral("docs_upd_").size()).chopped(3);
    const QString oldest = QFileInfo(dest + "/docs.7z").lastModified().toString("yyyy-MM-dd HH:mm");
    const QString newest = QDateTime::fromString(stamp, "yyyy-MM-dd_HH'h'mm'm'ss's'").toString("yyyy-MM-dd HH:mm");
    const qint64 bytes = QFileInfo(dest + "/docs.7z").size() + QFileInfo(dest + "/" + update).size();
    // Another set's archive and a file of the user's beside them.
    for (const char* file : {"docs", "docs.zip", "docs2_upd_x.7z"})
        writeFile(dest + "/" + file, "x");
    const int questionsBefore = int(messages.questions().size());

    select("Docs");
    window->OnRemoveOldFiles();
    ASSERT_EQ(messages.questions().size(), questionsBefore + 1);
    EXPECT_EQ(messages.questions().last(),
        "Delete every backup of 'Docs'? This cannot be undone.\n\nAll 2 restore points, from " + oldest + " to "
            + newest + ", are deleted with the full archive '" + dest + "/docs.7z' and its 1 update archives ("
            + FormatByteSize(bytes) + " in all).\n\nNo restore point of this set will be left.");
    EXPECT_EQ(messages.defaultButtons().last(), UserMessages::DefaultButton::Cancel) << "Enter must not delete";
    EXPECT_EQ(destinationFiles(dest).size(), 5) << "Cancel deletes nothing";

    // Older chains kept beside the current one stay, and the question says so instead of "nothing is left".
    for (const char* kept : {"2026-01-01_10h00m00s", "2026-02-01_10h00m00s"})
        writeFile(dest + "/docs.history/" + kept + "/docs.7z", "kept");
    window->OnRemoveOldFiles();
    EXPECT_TRUE(messages.questions().last().endsWith(
        "No restore point of this set will be left but those of the 2 older chains kept in '" + dest
        + "/docs.history', which Restore does not list; Restore from a Folder reaches them."))
        << messages.questions().last().toStdString();

    messages.setNextAnswer(true);
    window->OnRemoveOldFiles();
    EXPECT_EQ(destinationFiles(dest), QStringList({"docs", "docs.zip", "docs2_upd_x.7z"}));
    EXPECT_EQ(treeFiles(dest + "/docs.history"),
        QStringList({"2026-01-01_10h00m00s/docs.7z", "2026-02-01_10h00m00s/docs.7z"}));
    // With nothing left to delete there is nothing to ask.
    const int asked = int(messages.questions().size());
    window->OnRemoveOldFiles();
    EXPECT_EQ(messages.questions().size(), asked);
    ASSERT_FALSE(messages.messages().isEmpty());
    EXPECT_EQ(messages.messages().last(), "There is no archive of this set in '" + dest + "'.");
}

TEST_F(MainWindowTest, RemoveOldFilesIsNotOfferedForAMirrorSet)
{
    addSet("Docs", 0, IncrementalArchiving);
    addSet("Mirror", 0, MirrorCopying);
    writeFile(home.filePath("dest/Mirror/kept.txt"), "mine");
    open();
    auto* removeOld = window->findChild<QAction*>(QStringLiteral("action%1").arg(CommandId::RemoveOldFiles));
    select("Mirror");
    EXPECT_FALSE(removeOld->isEnabled());
    window->OnRemoveOldFiles();
    EXPECT_TRUE(messages.questions().isEmpty());
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(home.filePath("dest/Mirror/kept.txt")));
    select("Docs");
    EXPECT_TRUE(removeOld->isEnabled());
}

TEST_F(MainWindowTest, ASettingReadAsItsDefaultIsNamedOnceTheWindowIsUp)
{
    // Reading the file sets every setting: the ones the other tests rely on come back afterwards.
    const qint32 overdueDays = Settings().manualOverdueDays;
    const qint32 arcType = Settings().newSetArchiveType;
    const qint32 compLevel = Settings().newSetCompressionLevel;
    const QString rsync = Settings().rsyncPath;
    const QString sevenZip = Settings().sevenZipPath.value();
    const auto restore = qScopeGuard([&] {
        MutableSettings().manualOverdueDays = overdueDays;
        MutableSettings().newSetArchiveType = arcType;
        MutableSettings().newSetCompressionLevel = compLevel;
        MutableSettings().rsyncPath = rsync;
        MutableSettings().sevenZipPath.setValue(sevenZip);
    });
    writeFile(home.settingsFile(), "[Velmora Project file]\nMinorUpdatedNumber=-3\n");
    LoadSettings();
    open();
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages().first(),
        "The settings file '" + home.settingsFile()
            + "' holds MinorUpdatedNumber=-3, which is not allowed; 10 is used instead.");
    window.reset();
    open();
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.messages().size(), 1) << "named once";
}

TEST_F(MainWindowTest, LanguageSwitchTellsToRestartAndMovesTheCheckMark)
{
    open();
    auto* russian = window->findChild<QAction*>("action32783");
    auto* english = window->findChild<QAction*>("action32784");
    EXPECT_TRUE(english->isChecked());
    EXPECT_FALSE(russian->isChecked());
    window->OnRussian();
    EXPECT_EQ(messages.messages(), QStringList({"Please, restart the program!"}));
    EXPECT_EQ(Settings().languageId, 1);
    EXPECT_TRUE(russian->isChecked());
    EXPECT_FALSE(english->isChecked());
    EXPECT_EQ(window->progress()->text(), "READY.");
}

TEST_F(MainWindowTest, ClosingSavesEverythingAndFreesTheStore)
{
    addSet("Docs", 0, 0);
    open();
    FindBackupSet(backupSets.first().id)->lastRun = "2026-12-07";
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(g_profileStore, nullptr);
    EXPECT_TRUE(readFile(setFile("Docs")).contains("\nlastrun=2026-12-07\n"));
    EXPECT_TRUE(readFile(home.settingsFile()).contains("\nLangID=0\n"));
    g_profileStore = new ProfileStore(QStringLiteral("Velmora"));
}

TEST_F(MainWindowTest, AFileOfTheSetFolderThatIsNoSetIsNamedOnceTheWindowIsUp)
{
    addSet("Docs", 0, 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(home.setFolder() + "/Pipe.ini").constData(), 0600), 0);
    open();
    EXPECT_TRUE(messages.messages().isEmpty()) << "no box before the window shows";
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages().first().contains(home.setFolder() + "/Pipe.ini"));
    EXPECT_EQ(window->list()->topLevelItemCount(), 1);
}

TEST(MainWindowProgressText, TheWordsFirstThenWhatIsKnown)
{
    JobProgress progress;
    EXPECT_EQ(CMyVelmoraDlg::ProgressText("WORKING.", progress), "WORKING.");
    progress.percent = 41;
    EXPECT_EQ(CMyVelmoraDlg::ProgressText("WORKING.", progress), "WORKING. 41 %");
    progress.secondsLeft = 118;
    EXPECT_EQ(CMyVelmoraDlg::ProgressText("WORKING.", progress), "WORKING. 41 % \u00b7 about 2 min left");
    progress.setIndex = 3;
    progress.setCount = 7;
    EXPECT_EQ(
        CMyVelmoraDlg::ProgressText("COPYING.", progress), "COPYING. 41 % \u00b7 about 2 min left \u00b7 set 3 of 7");
    // Nothing is left once the tool is through.
    progress.percent = 100;
    progress.setCount = 1;
    EXPECT_EQ(CMyVelmoraDlg::ProgressText("WORKING.", progress), "WORKING. 100 %");
}

TEST_F(MainWindowTest, TheBarFollowsARealRunAndStopLeavesThePreviousArchive)
{
    ASSERT_NO_FATAL_FAILURE(runDocsOnce());
    const QString archive = home.filePath("dest/docs.7z");
    const QByteArray previous = readFile(archive);
    ASSERT_FALSE(previous.isEmpty());
    EXPECT_TRUE(window->progress()->text().startsWith("READY. Done in ")) << window->progress()->text().toStdString();
    auto resultOf = [&](int column) { return window->list()->topLevelItem(0)->text(column); };
    EXPECT_EQ(resultOf(3), "Done");
    EXPECT_EQ(resultOf(2), QDate::currentDate().toString("yyyy-MM-dd"));

    // 150 MB that 7-Zip cannot shrink: long enough to see figures and to stop it half-way.
    for (int part = 0; part < 3; ++part)
        writeIncompressible(home.filePath(QStringLiteral("src/Docs/big%1.bin").arg(part)), 50 << 20);
    QSignalSpy progress(&JobRunner::shared(), &JobRunner::progress);
    select("Docs");
    messages.setNextAnswer(true);
    window->OnRun();
    QDeadlineTimer deadline(60000);
    auto knownPercent = [&] {
        for (const QList<QVariant>& signal : progress) {
            if (signal.at(0).value<JobProgress>().percent > 0)
                return true;
        }
        return false;
    };
    while (!knownPercent() && !deadline.hasExpired() && g_jobRunning)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(knownPercent());
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    ASSERT_TRUE(g_jobRunning) << "the run ended before it could be stopped";
    EXPECT_FALSE(window->progress()->isMarquee());
    EXPECT_GT(window->progress()->pos(), 0);
    EXPECT_TRUE(window->progress()->text().startsWith("WORKING. ")) << window->progress()->text().toStdString();
    EXPECT_TRUE(window->progress()->text().contains(" %"));
    EXPECT_TRUE(window->findChild<QPushButton*>(QStringLiteral("ctl1047"))->isEnabled());

    // Esc while busy asks whether to stop; No, the default, lets the run go on.
    const qsizetype asked = messages.questions().size();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_EQ(messages.questions().size(), asked + 1);
    EXPECT_EQ(messages.questions().last(),
        "A backup is running. Stop it? What it has written so far is removed; backups made before are not touched.");
    EXPECT_TRUE(g_jobRunning) << "a stray Esc stopped the backup";
    // Yes stops it.
    messages.setNextAnswer(true);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForJobThread(10000));
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    EXPECT_EQ(window->progress()->text(), "STOPPED.");
    EXPECT_EQ(window->progress()->toolTip(), "Stopped");
    EXPECT_EQ(readFile(archive), previous);
    EXPECT_EQ(destinationFiles(home.filePath("dest")), QStringList({"docs.7z"}));
    EXPECT_EQ(resultOf(3), "Stopped");
    EXPECT_TRUE(window->list()->topLevelItem(0)->icon(3).isNull()) << "a stop the user asked for is no fault";
    EXPECT_EQ(resultOf(2), QDate::currentDate().toString("yyyy-MM-dd")) << "the last success stays";
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.messages().join('\n').toStdString();
    EXPECT_FALSE(window->findChild<QPushButton*>(QStringLiteral("ctl1047"))->isEnabled());
    EXPECT_TRUE(window->isVisible());
}

// Esc during a verification asks with its own question; a stopped verification is no failure and changes
// nothing the set remembers.
TEST_F(MainWindowTest, EscDuringAVerificationAsksAndAStoppedOneIsNoFailure)
{
    addArchiveSet("Docs");
    writeIncompressible(home.filePath("src/Docs/big.bin"), 20 << 20);
    open();
    runSet("Docs");
    ASSERT_TRUE(WaitForJobThread(5000));
    ASSERT_EQ(window->list()->topLevelItem(0)->text(3), "Done");
    const qsizetype asked = messages.questions().size();

    select("Docs");
    window->OnVerify();
    ASSERT_TRUE(g_jobRunning);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_EQ(messages.questions().size(), asked + 1);
    EXPECT_EQ(messages.questions().last(), "A verification is running. Stop it? It changes no archive.");
    EXPECT_TRUE(g_jobRunning) << "a stray Esc stopped the verification";
    // Closing names the verification too; Cancel keeps both.
    window->close();
    EXPECT_EQ(
        messages.questions().last(), "A verification is running. Stop it and close Velmora? It changes no archive.");
    EXPECT_TRUE(window->isVisible());
    messages.setNextAnswer(true);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForJobThread(10000));
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    EXPECT_EQ(window->progress()->text(), "STOPPED.");
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.messages().join('\n').toStdString();
    EXPECT_EQ(window->list()->topLevelItem(0)->text(3), "Done") << "a verification records no run";
    EXPECT_TRUE(window->list()->topLevelItem(0)->icon(3).isNull());
}

// A first run stopped by its time limit: it reads as stopped, never as failed, and claims no earlier backup.
TEST_F(MainWindowTest, AFirstRunPastItsTimeLimitIsStoppedAndClaimsNoPreviousBackup)
{
    addSlowArchiveSet("Docs");
    open();
    select("Docs");
    JobRunner::shared().setTimeLimit(std::chrono::seconds(1));
    messages.setNextAnswer(true);
    window->OnRun();
    const bool ended = WaitForJobThread(30000);
    JobRunner::shared().setTimeLimit(std::chrono::seconds(0));
    ASSERT_TRUE(ended);
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    EXPECT_EQ(window->progress()->text(), "STOPPED.");
    EXPECT_EQ(window->list()->topLevelItem(0)->text(3), "Stopped");
    EXPECT_FALSE(window->list()->topLevelItem(0)->icon(3).isNull()) << "a time limit, not the user, ended it";
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages().constFirst(),
        "The backup set 'Docs' was stopped: the run took longer than its time limit of 1 seconds and was stopped. "
        "What it had written was removed.");
    EXPECT_EQ(destinationFiles(home.filePath("dest")), QStringList());
}

// Update All stopped by the user names no set as failed; the sets that did fail before the stop still are.
TEST_F(MainWindowTest, StoppingUpdateAllReportsOnlyTheSetsThatFailed)
{
    addSet("Broken", 0, 0);
    addSlowArchiveSet("Docs");
    open();
    QSignalSpy progress(&JobRunner::shared(), &JobRunner::progress);
    messages.setNextAnswer(true);
    window->OnUpdateAll();
    QDeadlineTimer deadline(60000);
    // Broken fails at once; Docs runs next.
    while (progress.isEmpty() && !deadline.hasExpired() && g_jobRunning)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(g_jobRunning);
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    messages.setNextAnswer(true);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    ASSERT_TRUE(WaitForJobThread(10000));
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    ASSERT_EQ(messages.messages().size(), 1);
    const QString said = messages.messages().constFirst();
    EXPECT_TRUE(said.startsWith("These backup sets failed:\nBroken: ")) << said.toStdString();
    EXPECT_FALSE(said.contains("Docs")) << said.toStdString();
    EXPECT_EQ(window->progress()->text(), "STOPPED.");
}

TEST_F(MainWindowTest, ClosingDuringARunStopsItWhenTheUserSaysSo)
{
    addSlowArchiveSet("Docs");
    open();
    select("Docs");
    messages.setNextAnswer(true);
    window->OnRun();
    ASSERT_TRUE(g_jobRunning);
    messages.setNextAnswer(true);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(g_jobRunning);
    EXPECT_EQ(g_profileStore, nullptr) << "the window closed as it always does";
    EXPECT_EQ(destinationFiles(home.filePath("dest")), QStringList());
}

TEST_F(MainWindowTest, TheResultColumnsTellNeverRunDoneWithWarningsAndFailed)
{
    addSet("Never", 0, 0);
    addSet("Warned", 0, 0);
    addSet("Broken", 0, 0);
    writeFile(setFile("Warned"),
        readFile(setFile("Warned"))
            .replace("lastrun=0\n", "lastrun=2026-12-01\n")
            .replace("LastResult=\n", "LastResult=warnings\n"));
    LoadAllBackupSets();
    open();
    // A set whose source is missing fails, and is marked.
    select("Broken");
    messages.setNextAnswer(true);
    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    window->OnRun();
    ASSERT_TRUE(finished.wait(30000));
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    auto row = [&](const QString& name) { return window->list()->findItems(name, Qt::MatchExactly).first(); };
    EXPECT_EQ(row("Never")->text(2), "");
    EXPECT_EQ(row("Never")->text(3), "Never run");
    EXPECT_EQ(row("Warned")->text(2), "2026-12-01");
    EXPECT_EQ(row("Warned")->text(3), "Done with warnings");
    EXPECT_EQ(row("Broken")->text(2), "Never");
    EXPECT_EQ(row("Broken")->text(3), "Failed");
    EXPECT_FALSE(row("Broken")->icon(3).isNull());
    EXPECT_TRUE(row("Broken")->toolTip(3).startsWith("Failed: ")) << row("Broken")->toolTip(3).toStdString();
    EXPECT_TRUE(row("Warned")->icon(3).isNull());
}

TEST_F(MainWindowTest, VerifyInTheTaskMenuTestsTheArchivesAndTheResultTipTellsWhen)
{
    ASSERT_NO_FATAL_FAILURE(runDocsOnce());
    auto tip = [&] { return window->list()->topLevelItem(0)->toolTip(3); };
    EXPECT_TRUE(tip().endsWith("\nNever verified")) << tip().toStdString();

    select("Docs");
    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    QAction* verify = window->findChild<QAction*>(QStringLiteral("action%1").arg(CommandId::Verify));
    ASSERT_NE(verify, nullptr);
    verify->trigger();
    ASSERT_TRUE(finished.wait(60000));
    QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    const JobResult result = finished.last().first().value<JobResult>();
    EXPECT_EQ(result.outcome, JobOutcome::Done) << result.reason.toStdString();
    EXPECT_TRUE(window->progress()->text().contains("Archives tested good: 1."))
        << window->progress()->text().toStdString();
    EXPECT_TRUE(tip().contains("\nLast verified: " + QDate::currentDate().toString("yyyy-MM-dd")))
        << tip().toStdString();
    // A verification is no backup: the run's own result stays in the row.
    EXPECT_TRUE(tip().startsWith("Done in ")) << tip().toStdString();
}

TEST_F(MainWindowTest, OverdueAndFailedSetsAreMarkedWithAWordAndATintAndCountedOnceAtStart)
{
    addSet("Fresh", 0, 0);
    addSet("Stale", 0, 0);
    addSet("Broken", 0, 0);
    addSet("Unused", 0, 0);
    writeFile(setFile("Fresh"),
        readFile(setFile("Fresh"))
            .replace("LastResult=\n", "LastResult=done\n")
            .replace("LastResultTime=\n", "LastResultTime=2026-12-06T20:00:00\n"));
    writeFile(setFile("Stale"), readFile(setFile("Stale")).replace("lastrun=0\n", "lastrun=2026-11-20\n"));
    writeFile(setFile("Broken"),
        readFile(setFile("Broken"))
            .replace("LastResult=\n", "LastResult=failed\n")
            .replace("LastResultTime=\n", "LastResultTime=2026-12-07T02:00:00\n"));
    MutableSettings().manualOverdueDays = 7;
    qputenv("VELMORA_NOW", "2026-12-07T10:00:00");
    LoadAllBackupSets();
    open();
    qunsetenv("VELMORA_NOW");
    auto row = [&](const QString& name) { return window->list()->findItems(name, Qt::MatchExactly).first(); };
    EXPECT_EQ(row("Stale")->text(3), "Overdue");
    EXPECT_TRUE(row("Stale")->toolTip(3).startsWith("overdue: no success since 2026-11-20 23:59\n"));
    EXPECT_EQ(row("Broken")->text(3), "Failed");
    EXPECT_EQ(row("Fresh")->text(3), "Done");
    EXPECT_EQ(row("Unused")->text(3), "Never run");
    // Tinted: the two that need the user, each its own way; the others as the list draws them.
    const QBrush stale = row("Stale")->background(3);
    const QBrush broken = row("Broken")->background(3);
    EXPECT_NE(stale.style(), Qt::NoBrush);
    EXPECT_NE(broken.style(), Qt::NoBrush);
    EXPECT_NE(stale.color(), broken.color());
    EXPECT_EQ(row("Fresh")->background(3).style(), Qt::NoBrush);
    EXPECT_EQ(row("Unused")->background(3).style(), Qt::NoBrush);
    EXPECT_EQ(window->progress()->text(), "READY. Backup sets overdue: 1, failed: 1.");
}

TEST_F(MainWindowTest, ShowLogOfOpensTheLogViewerOnThatSet)
{
    addSet("Docs", 0, 0);
    addSet("Photos", 0, 0);
    open();
    quint32 shownSet = 0;
    QTimer::singleShot(0, [&] {
        if (auto* log = qobject_cast<CLogDlg*>(QApplication::activeModalWidget())) {
            shownSet = log->m_setId;
            log->reject();
        }
    });
    EXPECT_TRUE(window->ShowLogOf("photos"));
    BackupSet photos;
    ASSERT_TRUE(GetBackupSet(window->list()->currentItem()->data(0, Qt::UserRole).toUInt(), photos));
    EXPECT_EQ(photos.name, "Photos");
    EXPECT_EQ(shownSet, photos.id);
    EXPECT_FALSE(window->ShowLogOf("Music"));
}

TEST_F(MainWindowTest, TheResultTipCountsTheKeptPointsAndNamesTheOldest)
{
    addSet("Copy", 0, MirrorCopying);
    ASSERT_NO_FATAL_FAILURE(runDocsOnce());
    auto tip
        = [&](const QString& name) { return window->list()->findItems(name, Qt::MatchExactly).first()->toolTip(3); };
    const QString full = home.filePath("dest/docs.7z");
    const QString madeAt = QFileInfo(full).lastModified().toString("yyyy-MM-dd HH:mm");
    EXPECT_TRUE(tip("Docs").contains("\nRestore points: 1, the oldest from " + madeAt + "\n"))
        << tip("Docs").toStdString();
    EXPECT_TRUE(tip("Docs").endsWith("\nNever verified")) << tip("Docs").toStdString();
    EXPECT_TRUE(tip("Copy").endsWith("\nKept versions: none yet")) << tip("Copy").toStdString();

    // A chain kept from before, with an update archive, counts too; its full archive is the oldest point.
    const QString kept = home.filePath("dest/docs.history/2025-03-01_08h00m00s");
    ASSERT_TRUE(QDir().mkpath(kept));
    ASSERT_TRUE(QFile::copy(full, kept + "/docs.7z"));
    QFile old(kept + "/docs.7z");
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime({2025, 3, 1}, {8, 0}), QFileDevice::FileModificationTime));
    old.close();
    ASSERT_TRUE(QFile::copy(full, kept + "/docs_upd_2025-04-01_09h30m00s.7z"));
    // Someone else's file of the same look in the destination is no point.
    writeFile(home.filePath("dest/docs_upd_yesterday.7z"), "x");
    window->FillSetList();
    EXPECT_TRUE(tip("Docs").contains("\nRestore points: 3, the oldest from 2025-03-01 08:00\n"))
        << tip("Docs").toStdString();

    // With VELMORA_SHOTS_DIR set, the tip is drawn over the window in both languages and saved as a picture.
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    if (shots.isEmpty())
        return;
    for (const int language : {0, 1}) {
        ASSERT_TRUE(language == 0 || ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
        window.reset();
        open();
        QTreeWidgetItem* docs = window->list()->findItems("Docs", Qt::MatchExactly).first();
        QLabel tipLabel(docs->toolTip(3));
        tipLabel.setPalette(QToolTip::palette());
        tipLabel.setAutoFillBackground(true);
        tipLabel.setFrameStyle(QFrame::Box);
        tipLabel.setMargin(4);
        tipLabel.adjustSize();
        QImage picture = window->grab().toImage();
        QPainter painter(&picture);
        const QRect cell = window->list()->visualItemRect(docs);
        const QPoint below = window->list()->viewport()->mapTo(window.get(), cell.center());
        painter.drawPixmap(
            std::max(0, std::min(below.x(), picture.width() - tipLabel.width())), below.y() + 8, tipLabel.grab());
        painter.end();
        picture.save(QStringLiteral("%1/result-tip-%2.png").arg(shots, language == 0 ? "en" : "ru"));
    }
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
    ApplyInterfaceLanguage(0, {});
}
