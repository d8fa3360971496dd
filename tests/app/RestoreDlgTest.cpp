// The restore dialog with the real 7zz: a set backed up twice, its points, the tree of each, the versions of
// a file, a restore of chosen files, and a set made again from its archives alone.

#include "ArchivePasswords.h"
#include "CMyListCtrl.h"
#include "CMyVelmoraDlg.h"
#include "CPasswordDlg.h"
#include "CRestoreDlg.h"
#include "CTextProgressCtrl.h"
#include "DialogTestSupport.h"
#include "InterfaceLanguage.h"
#include "JobFixture.h"
#include "JobRunner.h"
#include "MessageBoxes.h"
#include "ResourceIds.h"
#include "SetCollection.h"
#include "Settings.h"
#include "StringTable.h"
#include "ToolTestSupport.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Answers the password questions that come next, one answer each (an empty one cancels), and records what each
// said above the question about the password before.
void answerPasswords(const QStringList& answers, QStringList* problems)
{
    if (answers.isEmpty())
        return;
    // The question comes once the points have been read, on a thread of the dialog's.
    whenModalOpens<CPasswordDlg>([answers, problems](CPasswordDlg& dialog) {
        const auto* why = dialog.findChild<QLabel*>(QStringLiteral("ctl1130"));
        problems->append(why && !why->isHidden() ? why->text() : QString());
        answerPasswords(answers.mid(1), problems);
        if (answers.first().isEmpty())
            return dialog.reject();
        dialog.findChild<QLineEdit*>(QStringLiteral("ctl1095"))->setText(answers.first());
        dialog.OnOK();
    });
}

QStringList column(const QTreeWidget* list, int index)
{
    QStringList texts;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        texts.append(list->topLevelItem(row)->text(index));
    return texts;
}

class RestoreDlgTest : public JobFixture
{
protected:
    // An incremental 7z set backed up, then changed (a.txt rewritten, sub/b.txt deleted) and backed up again.
    quint32 backedUpTwice()
    {
        const quint32 id = addSet(IncrementalArchiving);
        EXPECT_TRUE(RunSetJob(id).succeeded());
        waitForNextSecond();
        makeTree(source, {{"a.txt", "alpha, longer now"}});
        QFile::remove(source + "/sub/b.txt");
        EXPECT_TRUE(RunSetJob(id).succeeded());
        EXPECT_EQ(updateArchives().size(), 1);
        return id;
    }

    // Waits, handling events, until the dialog has read its points (at once when it reads none); false when they
    // are not read within a minute.
    static bool waitUntilRead(CRestoreDlg& dialog)
    {
        QSignalSpy read(&dialog, &CRestoreDlg::loadingFinished);
        return !dialog.isReading() || read.wait(60000);
    }

    void choosePoint(CRestoreDlg& dialog, int row)
    {
        dialog.pointList()->setCurrentItem(dialog.pointList()->topLevelItem(row));
    }

    // Restores what is ticked and waits for the dialog to show the result.
    void restore(CRestoreDlg& dialog)
    {
        QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
        dialog.OnRestore();
        ASSERT_TRUE(dialog.isRestoring());
        ASSERT_TRUE(finished.wait(60000));
        ASSERT_TRUE(WaitForJobThread(5000));
        QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
        EXPECT_FALSE(dialog.isRestoring());
    }

    // An encrypted incremental 7z set backed up once with the password "right", which hides its names; the
    // password kept for it is then "wrong".
    BackupSet encryptedSetWithWrongPassword()
    {
        BackupSet set = docsSet(IncrementalArchiving);
        set.encrypt = true;
        const quint32 id = AddBackupSet(set);
        SaveBackupSet(id);
        SetArchivePassword(id, "right");
        const JobResult made = RunSetJob(id);
        EXPECT_TRUE(made.succeeded()) << made.reason.toStdString();
        EXPECT_TRUE(GetBackupSet(id, set));
        SetArchivePassword(id, "wrong");
        return set;
    }

    ScriptedFolderPicker picker;
    ScriptedFileChooser chooser;
};

} // namespace

TEST_F(RestoreDlgTest, ListsThePointsNewestFirstWithTheTreeAndTheVersionsOfEach)
{
    const quint32 id = backedUpTwice();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));

    ASSERT_EQ(dialog.pointList()->topLevelItemCount(), 2);
    EXPECT_EQ(column(dialog.pointList(), 1), QStringList({"Update", "Full"}));
    EXPECT_EQ(column(dialog.pointList(), 3), QStringList({"2", "3"}));
    EXPECT_TRUE(dialog.pointList()->topLevelItem(0)->toolTip(0).contains("docs_upd_"));

    // The newest point shows first: the deleted file is gone from it, and its folder stays.
    EXPECT_EQ(dialog.itemOf("sub/b.txt"), nullptr);
    ASSERT_NE(dialog.itemOf("sub"), nullptr);
    ASSERT_NE(dialog.itemOf("a.txt"), nullptr);
    EXPECT_NE(dialog.itemOf("Новый файл.txt"), nullptr);

    choosePoint(dialog, 1);
    QTreeWidgetItem* deleted = dialog.itemOf("sub/b.txt");
    ASSERT_NE(deleted, nullptr);
    EXPECT_EQ(deleted->parent(), dialog.itemOf("sub"));

    // Versions, newest first: the deleted file's last one says so; a file that never changed has one.
    dialog.fileTree()->setCurrentItem(deleted);
    EXPECT_EQ(column(dialog.versionList(), 1), QStringList({"deleted", "4 bytes"}));
    dialog.fileTree()->setCurrentItem(dialog.itemOf("a.txt"));
    EXPECT_EQ(column(dialog.versionList(), 1), QStringList({"17 bytes", "5 bytes"}));
    dialog.fileTree()->setCurrentItem(dialog.itemOf("Новый файл.txt"));
    EXPECT_EQ(dialog.versionList()->topLevelItemCount(), 1);
    dialog.fileTree()->setCurrentItem(dialog.itemOf("sub"));
    EXPECT_EQ(dialog.versionList()->topLevelItemCount(), 0);

    // The default target is a new folder beside the source, and a zip note only for zip chains.
    EXPECT_EQ(
        dialog.targetEdit()->text(), home.filePath("Docs restored " + QDate::currentDate().toString("yyyy-MM-dd")));
    EXPECT_NE(dialog.note()->text(), LoadStringById(StringId::RestoreZipNoDeletions));
    EXPECT_TRUE(dialog.importButton()->isHidden());
}

TEST_F(RestoreDlgTest, RestoresTheTickedFilesIntoANewFolderAndRefusesOneWithContent)
{
    const quint32 id = backedUpTwice();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    choosePoint(dialog, 1);
    dialog.itemOf("sub")->setCheckState(0, Qt::Checked);
    dialog.itemOf("a.txt")->setCheckState(0, Qt::Checked);
    EXPECT_EQ(dialog.chosenPaths(), QStringList({"a.txt", "sub"}));

    // A folder that holds something is refused before anything runs, and keeps what it holds.
    const QString full = home.filePath("full");
    makeTree(full, {{"mine.txt", "mine"}});
    dialog.targetEdit()->setText(full);
    dialog.OnRestore();
    EXPECT_FALSE(dialog.isRestoring());
    EXPECT_EQ(messages.messages(), QStringList({LoadStringById(StringId::RestoreTargetNotEmpty).arg(full)}));
    EXPECT_EQ(treeFiles(full), QStringList({"mine.txt"}));

    const QString target = home.filePath("restored/as of the full");
    dialog.targetEdit()->setText(target);
    restore(dialog);
    EXPECT_EQ(treeFiles(target), QStringList({"a.txt", "sub/b.txt"}));
    QFile first(target + "/a.txt");
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), "alpha");
    EXPECT_EQ(dialog.progress()->text(), LoadStringById(StringId::RestoredFiles).arg(2).arg(target));
    // The next restore would go into another new folder.
    EXPECT_NE(dialog.targetEdit()->text(), target);
}

TEST_F(RestoreDlgTest, RestoreFromAFolderWithoutSetFilesImportsTheSetAgain)
{
    backedUpTwice();
    // A new computer: the archives are all there is.
    QDir(home.setFolder()).removeRecursively();
    backupSets.clear();

    CMyVelmoraDlg window;
    ASSERT_EQ(window.list()->topLevelItemCount(), 0);
    chooser.answers = {fullArchive()};
    const QString newSource = home.filePath("new source");
    QDir().mkpath(newSource);
    picker.answers = {newSource};
    int points = 0;
    whenModal<CRestoreDlg>([&](CRestoreDlg& dialog) {
        // It opens reading the points.
        EXPECT_TRUE(dialog.isReading());
        EXPECT_TRUE(waitUntilRead(dialog));
        points = dialog.pointList()->topLevelItemCount();
        EXPECT_FALSE(dialog.importButton()->isHidden());
        EXPECT_EQ(
            dialog.targetEdit()->text(), home.filePath("docs restored " + QDate::currentDate().toString("yyyy-MM-dd")));
        dialog.OnImportSet();
        dialog.close();
    });
    window.OnRestoreFromFolder();
    EXPECT_EQ(points, 2);

    ASSERT_EQ(window.list()->topLevelItemCount(), 1);
    const quint32 id = window.list()->topLevelItem(0)->data(0, Qt::UserRole).toUInt();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    EXPECT_EQ(set.name, "docs");
    EXPECT_EQ(set.arcName, "docs");
    EXPECT_EQ(set.source, newSource);
    EXPECT_EQ(set.target, destination);
    EXPECT_EQ(set.arcType, 0);
    EXPECT_EQ(set.backupType, IncrementalArchiving);
    EXPECT_TRUE(QFileInfo::exists(home.setFolder() + "/docs.ini"));
    // The set made again finds the same points.
    CRestoreDlg again;
    ASSERT_TRUE(again.loadSet(set));
    EXPECT_EQ(again.pointList()->topLevelItemCount(), 2);
}

TEST_F(RestoreDlgTest, AnArchiveThatIsNoneOrASetWithoutBackupsOpensNoDialog)
{
    const quint32 id = addSet(IncrementalArchiving);
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    CRestoreDlg dialog;
    EXPECT_FALSE(dialog.loadSet(set));
    EXPECT_FALSE(dialog.loadArchive(home.filePath("nothing.7z")));
    EXPECT_EQ(messages.messages().size(), 2);
}

// How fast it fills is a benchmark's question; a timed check here would fail on a busy machine.
TEST_F(RestoreDlgTest, ATreeOfAHundredThousandFilesFillsInWithTheFoldersItDoesNotList)
{
    QList<StateEntry> state;
    for (int folder = 0; folder < 100; ++folder) {
        const QString name = QStringLiteral("folder %1").arg(folder, 3, 10, QLatin1Char('0'));
        state.append({name, true, false, 0, {}, {}});
        for (int file = 0; file < 1000; ++file)
            state.append({name + QStringLiteral("/deep/file %1.txt").arg(file, 4, 10, QLatin1Char('0')), false, false,
                qint64(file), QDateTime::currentDateTime(), {}});
    }
    CRestoreDlg dialog;
    dialog.fillTree(state);
    EXPECT_EQ(dialog.fileTree()->topLevelItemCount(), 100);
    // The folders the state does not list are made; ticking one takes in every file below it.
    QTreeWidgetItem* deep = dialog.itemOf("folder 007/deep");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->childCount(), 1000);
    deep->setCheckState(0, Qt::Checked);
    EXPECT_EQ(dialog.chosenPaths(), QStringList({"folder 007"}));
    EXPECT_EQ(dialog.filesWithin(dialog.chosenPaths()), 1000);
    EXPECT_EQ(dialog.filesWithin({}), 100000);
}

TEST_F(RestoreDlgTest, TheDefaultTargetIsNeverAFolderWithContent)
{
    const QDate date(2026, 12, 7);
    const QString base = home.filePath("Docs restored 2026-12-07");
    EXPECT_EQ(CRestoreDlg::DefaultTarget(QFileInfo(base).path(), "Docs", date), base);
    QDir().mkpath(base);
    // An empty folder takes a restore.
    EXPECT_EQ(CRestoreDlg::DefaultTarget(QFileInfo(base).path(), "Docs", date), base);
    makeTree(base, {{"x", "x"}});
    EXPECT_EQ(CRestoreDlg::DefaultTarget(QFileInfo(base).path(), "Docs", date), base + " (2)");
}

// Restoring over the source asks first with what the preview counted, does nothing on No, and on Yes
// changes only the ticked paths; an archive found on disk has no source to offer.
TEST_F(RestoreDlgTest, RestoringOverTheSourceAsksWithThePreviewAndDoesNothingOnNo)
{
    const quint32 id = backedUpTwice();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    const QString newFolder = dialog.targetEdit()->text();
    ASSERT_TRUE(dialog.originalBox()->isEnabled());
    dialog.originalBox()->setChecked(true);
    EXPECT_EQ(dialog.targetEdit()->text(), source);
    EXPECT_TRUE(dialog.targetEdit()->isReadOnly());

    // As of the full archive, sub/b.txt comes back; a.txt is changed on disk and outside the choice.
    choosePoint(dialog, 1);
    dialog.itemOf("sub")->setCheckState(0, Qt::Checked);
    makeTree(source, {{"a.txt", "mine now"}, {"sub/extra.txt", "extra"}});
    const QString asOf = dialog.pointList()->topLevelItem(1)->text(0);
    // Replaced 0, unchanged 0, added 1 (sub/b.txt), not in the backup 1 (sub/extra.txt, named), left 2.
    const QString question
        = LoadStringById(StringId::RestoreOverTrashQuestion).arg(source, asOf).arg(0).arg(0).arg(1).arg(1).arg(2);
    dialog.OnRestore();
    EXPECT_FALSE(dialog.isRestoring());
    EXPECT_EQ(messages.questions(), QStringList {question});
    EXPECT_EQ(messages.choices(), QStringList {LoadStringById(StringId::RestoreRemoveOthersChoice).arg(1)});
    const QString named = LoadStringById(StringId::RestoreOverOthersHeading) + "\nsub/extra.txt";
    EXPECT_EQ(messages.names(), QStringList {named});
    EXPECT_EQ(messages.allNames(), QStringList {named});
    EXPECT_EQ(treeFiles(source), QStringList({"a.txt", "sub/extra.txt", "Новый файл.txt"}));

    // Yes, the box unticked: the file the backup does not hold stays.
    messages.setNextAnswer(true);
    restore(dialog);
    EXPECT_EQ(messages.questions().size(), 2);
    EXPECT_EQ(treeFiles(source), QStringList({"a.txt", "sub/b.txt", "sub/extra.txt", "Новый файл.txt"}));
    QFile kept(source + "/a.txt");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "mine now");
    EXPECT_EQ(
        dialog.progress()->text(), LoadStringById(StringId::RestoredOverTrash).arg(source, asOf).arg(0).arg(1).arg(0));

    // Sixty more such files: fifty are named in the question, all in its details; ticked, they go to the trash.
    QMap<QString, QByteArray> more;
    for (int i = 0; i < 60; ++i)
        more.insert(QString("sub/more %1.txt").arg(i, 2, 10, QChar('0')), "more");
    makeTree(source, more);
    messages.setNextAnswer(true);
    messages.setNextChoice(true);
    restore(dialog);
    ASSERT_EQ(messages.questions().size(), 3);
    const QStringList named2 = messages.names().constLast().split('\n');
    // sub/b.txt is as in the backup now: it stays, and is not named.
    EXPECT_EQ(named2.mid(0, 2), QStringList({LoadStringById(StringId::RestoreOverOthersHeading), "sub/extra.txt"}));
    // The fifty first, then how many more.
    EXPECT_EQ(named2.size(), 1 + 50 + 1);
    EXPECT_EQ(named2.at(50), "sub/more 48.txt");
    EXPECT_EQ(named2.constLast(), LoadStringById(StringId::RestoreNamesMore).arg(11));
    const QStringList all = messages.allNames().constLast().split('\n');
    EXPECT_EQ(all.size(), 1 + 61);
    EXPECT_EQ(all.constLast(), "sub/more 59.txt");
    EXPECT_EQ(treeFiles(source), QStringList({"a.txt", "sub/b.txt", "Новый файл.txt"}));
    const QStringList inTrash
        = QDir(qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/info").entryList({"*.trashinfo"}, QDir::Files);
    EXPECT_EQ(inTrash.size(), 61);
    EXPECT_EQ(dialog.progress()->text(),
        LoadStringById(StringId::RestoredOverTrash).arg(source, asOf).arg(0).arg(0).arg(61) + " "
            + LoadStringById(StringId::RestoreTrashedNote).arg(61));
    EXPECT_EQ(dialog.targetEdit()->text(), source);

    // Unticked, the new folder is back.
    dialog.originalBox()->setChecked(false);
    EXPECT_EQ(dialog.targetEdit()->text(), newFolder);
    EXPECT_FALSE(dialog.targetEdit()->isReadOnly());

    CRestoreDlg found;
    ASSERT_TRUE(found.loadArchive(fullArchive()));
    EXPECT_FALSE(found.originalBox()->isEnabled());
    EXPECT_EQ(found.originalBox()->toolTip(), LoadStringById(StringId::OriginalNeedsSet));
}

// The window's own question with a list: however long the paths, it fits on the screen, "Show all" puts the whole
// list in, No is the default, and the box to tick is read back.
TEST_F(RestoreDlgTest, TheQuestionWithAListFitsOnTheScreenAndShowsAllOnRequest)
{
    QStringList first;
    QStringList all;
    for (int i = 0; i < 60; ++i) {
        const QString path = QString("Documents/%1/letter %2.odt").arg(QString(120, QChar('x'))).arg(i);
        all.append(path);
        if (i < 50)
            first.append(path);
    }
    const QString names = first.join('\n') + "\nand 10 more";
    MessageBoxes boxes;
    for (const bool answer : {true, false}) {
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            EXPECT_LE(box->frameGeometry().height(), box->screen()->availableGeometry().height());
            auto* list = box->findChild<QPlainTextEdit*>("names");
            ASSERT_TRUE(list);
            EXPECT_EQ(list->toPlainText(), names);
            box->findChild<QPushButton*>("showAll")->click();
            EXPECT_EQ(list->toPlainText(), all.join('\n'));
            box->findChild<QCheckBox*>()->setChecked(true);
            checked = true;
            if (answer)
                box->accept();
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        bool ticked = false;
        EXPECT_EQ(boxes.askYesNoWithList("Restore?", names, all.join('\n'), "Also these", &ticked), answer);
        EXPECT_TRUE(checked);
        EXPECT_TRUE(ticked);
    }
}

// The disk with the archives is gone, and a remote of the test's own rclone configuration holds the off-site copy.
TEST_F(RestoreDlgTest, ASetWhoseArchivesAreGoneHereIsRestoredFromItsOffsiteCopy)
{
    if (!LocalRcloneRemote::available())
        GTEST_SKIP() << LocalRcloneRemote::kMissing;
    const LocalRcloneRemote remote(home.path());
    BackupSet set = docsSet(IncrementalArchiving);
    set.offsite = remote.destination();
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    const JobResult made = RunSetJob(id);
    ASSERT_TRUE(made.offsiteCopied) << made.offsiteFailure.toStdString();
    ASSERT_TRUE(GetBackupSet(id, set));
    const QStringList backedUp = treeFiles(source);
    ASSERT_TRUE(QDir(destination).removeRecursively());

    // No is no fetch and no dialog.
    {
        CRestoreDlg dialog;
        EXPECT_FALSE(dialog.loadSet(set));
        ASSERT_EQ(messages.questions().size(), 1);
        EXPECT_TRUE(messages.questions().constFirst().contains("Fetch the set's archives from its off-site copy"));
    }
    CRestoreDlg dialog;
    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    messages.setNextAnswer(true);
    ASSERT_TRUE(dialog.loadSet(set));
    EXPECT_TRUE(dialog.isFetching());
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(WaitForJobThread(5000));
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
    EXPECT_FALSE(dialog.isFetching());
    // The fetched archives are read as the set's own are.
    ASSERT_TRUE(waitUntilRead(dialog));
    ASSERT_EQ(dialog.pointList()->topLevelItemCount(), 1) << dialog.progress()->text().toStdString();
    EXPECT_EQ(dialog.progress()->text(), "The points as the off-site copy at '" + set.offsite + "' has them.");

    const QString target = home.filePath("restored/from off site");
    dialog.targetEdit()->setText(target);
    restore(dialog);
    EXPECT_EQ(treeFiles(target), backedUp);
    for (const QString& file : backedUp)
        EXPECT_EQ(readFile(target + "/" + file), readFile(source + "/" + file)) << file.toStdString();
}

// An archive whose entries name paths out of the restored folder: the tree shows each named as refused, never a
// folder called "..", and none of them can be ticked.
TEST_F(RestoreDlgTest, AHostileEntryIsNamedAsRefusedAndNeverShownAsAFolder)
{
    const QString craft = home.filePath("craft");
    makeTree(craft, {{"plain.txt", "plain"}, {"other.txt", "other"}});
    ASSERT_EQ(::symlink("/etc/hostname", QFile::encodeName(craft + "/evil").constData()), 0);
    for (const QStringList& arguments : {QStringList {"a", "-snl", "hostile.7z", "plain.txt", "other.txt", "evil"},
             QStringList {"rn", "hostile.7z", "evil", "../Documents", "other.txt", "../../etc/passwd"}}) {
        QProcess tool;
        tool.setWorkingDirectory(craft);
        tool.start("/usr/bin/7zz", arguments);
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0);
    }
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadArchive(craft + "/hostile.7z"));
    choosePoint(dialog, 0);
    const QTreeWidget* tree = dialog.fileTree();
    QStringList shown = column(tree, 0);
    shown.sort();
    EXPECT_EQ(shown,
        (QStringList {"../../etc/passwd (refused: unsafe path)", "../Documents (refused: unsafe path)", "plain.txt"}));
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = tree->topLevelItem(row);
        EXPECT_EQ(item->childCount(), 0);
        if (item->text(0) != "plain.txt") {
            EXPECT_FALSE(item->flags() & Qt::ItemIsUserCheckable) << item->text(0).toStdString();
        }
    }
    EXPECT_EQ(dialog.itemOf(".."), nullptr);
}

// A wrong password is asked again, saying why, until the archives open or the user cancels; the off-site copy,
// locked by the same password, is never offered for it.
TEST_F(RestoreDlgTest, AWrongPasswordIsAskedAgainWithTheReasonAndNeverFetchesTheOffsiteCopy)
{
    BackupSet set = encryptedSetWithWrongPassword();
    set.offsite = "backups:docs";
    UpdateBackupSet(set);
    const QString problem
        = "Not accepted: wrong password for the archive " + fullArchive() + ". Type it again, or Cancel.";

    QStringList problems;
    answerPasswords({"still wrong", "right"}, &problems);
    {
        CRestoreDlg dialog;
        ASSERT_TRUE(dialog.loadSet(set));
        EXPECT_EQ(problems, QStringList({problem, problem}));
        EXPECT_EQ(dialog.pointList()->topLevelItemCount(), 1);
        EXPECT_NE(dialog.itemOf("a.txt"), nullptr);
        EXPECT_EQ(ArchivePasswordOf(set.id), "right");
    }
    EXPECT_TRUE(messages.questions().isEmpty()) << messages.questions().join('\n').toStdString();

    // Cancel ends it: no dialog, no fetch, and the wrong password is not kept to fail again.
    SetArchivePassword(set.id, "wrong");
    problems.clear();
    answerPasswords({QString()}, &problems);
    {
        CRestoreDlg dialog;
        EXPECT_FALSE(dialog.loadSet(set));
    }
    EXPECT_EQ(problems, QStringList({problem}));
    EXPECT_TRUE(messages.questions().isEmpty()) << messages.questions().join('\n').toStdString();
    EXPECT_FALSE(ArchivePasswordOf(set.id));

    // The same archive opened from its folder: asked without a reason first, with one after a wrong answer.
    problems.clear();
    answerPasswords({"bad", "right"}, &problems);
    CRestoreDlg found;
    ASSERT_TRUE(found.loadArchive(fullArchive()));
    EXPECT_EQ(problems, QStringList({QString(), problem}));
    EXPECT_EQ(found.pointList()->topLevelItemCount(), 1);
}

// Archives here that are damaged, not locked: the off-site copy is what is left, and it is offered.
TEST_F(RestoreDlgTest, ADamagedArchiveHereOffersTheOffsiteCopy)
{
    BackupSet set = docsSet(IncrementalArchiving);
    set.offsite = "backups:docs";
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    ASSERT_TRUE(GetBackupSet(id, set));
    writeFile(fullArchive(), "not an archive at all");
    CRestoreDlg dialog;
    EXPECT_FALSE(dialog.loadSet(set)) << "No: nothing fetched, no dialog";
    ASSERT_EQ(messages.questions().size(), 1);
    EXPECT_TRUE(messages.questions().constFirst().contains("could not be listed"))
        << messages.questions().constFirst().toStdString();
    EXPECT_TRUE(messages.questions().constFirst().contains("Fetch the set's archives from its off-site copy"));
}

// Esc during a restore asks first, No being the default; a stopped restore reads as stopped, and no failure is
// reported.
TEST_F(RestoreDlgTest, EscDuringARestoreAsksAndAStoppedRestoreIsNoFailure)
{
    writeIncompressible(source + "/big.bin", 20 << 20);
    const quint32 id = addSet(FullArchiving);
    ASSERT_TRUE(RunSetJob(id).succeeded());
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    dialog.show();
    const QString target = home.filePath("restored/stopped");
    dialog.targetEdit()->setText(target);
    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    dialog.OnRestore();
    ASSERT_TRUE(dialog.isRestoring());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_EQ(messages.questions().size(), 1);
    EXPECT_EQ(messages.questions().constFirst(),
        "A restore is running. Stop it? What it has restored so far is removed; the folder '" + target
            + "' is left as it was.");
    EXPECT_TRUE(dialog.isRestoring()) << "a stray Esc stopped the restore";
    messages.setNextAnswer(true);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(WaitForJobThread(5000));
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
    EXPECT_FALSE(dialog.isRestoring());
    EXPECT_EQ(dialog.progress()->text(), "STOPPED.");
    EXPECT_EQ(dialog.progress()->toolTip(), "the restore was stopped. The folder '" + target + "' was left as it was.");
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.messages().join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(dialog.isVisible()) << "Esc stopped the restore, it did not close the dialog";
}

// Archives gone here, and the password kept is wrong: the copy fetched from off site asks for it again, with the
// reason, and then shows its points, never an empty dialog.
TEST_F(RestoreDlgTest, TheOffsiteCopyFetchedWithAWrongPasswordAsksAgainAndShowsItsPoints)
{
    if (!LocalRcloneRemote::available())
        GTEST_SKIP() << LocalRcloneRemote::kMissing;
    const LocalRcloneRemote remote(home.path());
    BackupSet set = docsSet(IncrementalArchiving);
    set.encrypt = true;
    set.offsite = remote.destination();
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    SetArchivePassword(id, "right");
    const JobResult made = RunSetJob(id);
    ASSERT_TRUE(made.offsiteCopied) << made.offsiteFailure.toStdString();
    ASSERT_TRUE(GetBackupSet(id, set));
    ASSERT_TRUE(QDir(destination).removeRecursively());
    SetArchivePassword(id, "wrong");

    CRestoreDlg dialog;
    QSignalSpy finished(&JobRunner::shared(), &JobRunner::finished);
    messages.setNextAnswer(true);
    ASSERT_TRUE(dialog.loadSet(set));
    ASSERT_EQ(messages.questions().size(), 1) << "the archives here are gone: the copy there is offered";
    // The question comes when the fetched archives have been read.
    QStringList problems;
    answerPasswords({"right"}, &problems);
    ASSERT_TRUE(finished.wait(60000));
    ASSERT_TRUE(WaitForJobThread(5000));
    QCoreApplication::sendPostedEvents(&dialog, QEvent::MetaCall);
    ASSERT_TRUE(waitUntilRead(dialog));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems.constFirst().startsWith("Not accepted: wrong password for the archive "))
        << problems.constFirst().toStdString();
    ASSERT_EQ(dialog.pointList()->topLevelItemCount(), 1) << dialog.progress()->text().toStdString();
    EXPECT_NE(dialog.itemOf("a.txt"), nullptr);
    EXPECT_EQ(dialog.progress()->text(), "The points as the off-site copy at '" + set.offsite + "' has them.");
}

// A zip archive shows its names to anyone: its wrong password is caught while loading, not by a failed restore.
TEST_F(RestoreDlgTest, AZipSetsWrongPasswordIsAskedAgainBeforeAnyRestore)
{
    BackupSet set = docsSet(FullArchiving, 1);
    set.encrypt = true;
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    SetArchivePassword(id, "right");
    const JobResult made = RunSetJob(id);
    ASSERT_TRUE(made.succeeded()) << made.reason.toStdString();
    ASSERT_TRUE(GetBackupSet(id, set));
    SetArchivePassword(id, "wrong");

    QStringList problems;
    answerPasswords({"right"}, &problems);
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    EXPECT_EQ(problems,
        QStringList(
            {"Not accepted: wrong password for the archive " + destination + "/docs.zip. Type it again, or Cancel."}));
    EXPECT_EQ(ArchivePasswordOf(id), "right");
    const QString target = home.filePath("restored/zip");
    dialog.targetEdit()->setText(target);
    restore(dialog);
    EXPECT_EQ(readFile(target + "/a.txt"), "alpha");
}

TEST_F(RestoreDlgTest, EachPointSaysWhyThePolicyKeepsItAndTheBoxKeepsOneForEverInTheSetFile)
{
    const quint32 id = backedUpTwice();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    {
        // The newest point is kept by every rule, whatever the hour the runs fell in.
        CRestoreDlg dialog;
        ASSERT_TRUE(dialog.loadSet(set));
        EXPECT_EQ(dialog.pointList()->topLevelItem(0)->text(4), "newest, last, hourly, daily, weekly, monthly, yearly");
    }
    set.keepLast = 1;
    set.keepHourly = set.keepDaily = set.keepWeekly = set.keepMonthly = set.keepYearly = 0;
    ASSERT_TRUE(UpdateBackupSet(set));
    // velmora-run pinned a point of its own meanwhile: the file, not the record read before, is what changes.
    const QString file = setFile("Docs");
    ASSERT_TRUE(readFile(file).contains("\nPinned=\n"));
    writeFile(file, readFile(file).replace("\nPinned=\n", "\nPinned=2020-01-01_00h00m00s\n"));

    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    ASSERT_EQ(dialog.pointList()->topLevelItemCount(), 2);
    EXPECT_EQ(column(dialog.pointList(), 4), QStringList({"newest, last", "its chain needs it"}));
    QCheckBox* keep = dialog.keepForeverBox();
    EXPECT_TRUE(keep->isEnabled());
    EXPECT_FALSE(keep->isChecked());

    choosePoint(dialog, 1);
    const QString fullStamp = QFileInfo(fullArchive()).lastModified().toString("yyyy-MM-dd_HH'h'mm'm'ss's'");
    keep->click();
    EXPECT_TRUE(readFile(file).contains("\nPinned=" + fullStamp.toUtf8() + ";2020-01-01_00h00m00s\n")
        || readFile(file).contains("\nPinned=2020-01-01_00h00m00s;" + fullStamp.toUtf8() + "\n"))
        << readFile(file).toStdString();
    EXPECT_EQ(column(dialog.pointList(), 4), QStringList({"newest, last", "kept for ever, its chain needs it"}));
    choosePoint(dialog, 0);
    EXPECT_FALSE(keep->isChecked());
    choosePoint(dialog, 1);
    EXPECT_TRUE(keep->isChecked());

    keep->click();
    EXPECT_TRUE(readFile(file).contains("\nPinned=2020-01-01_00h00m00s\n")) << readFile(file).toStdString();
    BackupSet stored;
    ASSERT_TRUE(GetBackupSet(id, stored));
    EXPECT_EQ(stored.pinned, QStringList({"2020-01-01_00h00m00s"}));
    EXPECT_TRUE(messages.messages().isEmpty());

    // A set file gone meanwhile is not made again, and the box says the point is not kept for ever.
    ASSERT_TRUE(QFile::remove(file));
    keep->click();
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(keep->isChecked());
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages().first(),
        "The set's file '" + file + "' could not be written; the point is kept as before.");
}

TEST_F(RestoreDlgTest, AnArchiveFoundOnDiskShowsNoReasonsAndCannotBeKeptForEver)
{
    backedUpTwice();
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadArchive(fullArchive()));
    EXPECT_EQ(column(dialog.pointList(), 4), QStringList({"", ""}));
    EXPECT_FALSE(dialog.keepForeverBox()->isEnabled());
}

// The reasons and the box read whole in both languages; with VELMORA_SHOTS_DIR set, the dialog is saved there as a
// picture to be looked at.
TEST_F(RestoreDlgTest, TheReasonsAndTheKeepForeverBoxReadWholeInBothLanguages)
{
    const quint32 id = backedUpTwice();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    set.pinned = {QFileInfo(fullArchive()).lastModified().toString("yyyy-MM-dd_HH'h'mm'm'ss's'")};
    ASSERT_TRUE(UpdateBackupSet(set));
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    for (const int language : {0, 1}) {
        ASSERT_TRUE(language == 0 || ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
        CRestoreDlg dialog;
        dialog.show();
        ASSERT_TRUE(dialog.loadSet(set));
        choosePoint(dialog, 1);
        QCoreApplication::processEvents();
        QCheckBox* keep = dialog.keepForeverBox();
        EXPECT_TRUE(keep->isChecked());
        EXPECT_LE(keep->sizeHint().width(), keep->width()) << keep->text().toStdString();
        const QTreeWidget* points = dialog.pointList();
        for (int row = 0; row < points->topLevelItemCount(); ++row) {
            const QString reasons = points->topLevelItem(row)->text(4);
            EXPECT_FALSE(reasons.isEmpty());
            EXPECT_LT(points->fontMetrics().horizontalAdvance(reasons), points->header()->sectionSize(4))
                << reasons.toStdString();
        }
        if (!shots.isEmpty())
            dialog.grab().save(QStringLiteral("%1/restore-%2.png").arg(shots, language == 0 ? "en" : "ru"));
    }
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
    ApplyInterfaceLanguage(0, {});
}

// A chain kept from before the set's password changed: the dialog asks for the password it was made with, saying
// from when, keeps it for that chain alone, and a chain left locked still shows its points, saying why.
TEST_F(RestoreDlgTest, AKeptChainFromAnEarlierPasswordAsksForItAndHidesNoPoint)
{
    const qint32 chainLength = Settings().chainLength;
    MutableSettings().chainLength = 5;
    BackupSet set = docsSet(IncrementalArchiving);
    set.encrypt = true;
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    SetArchivePassword(id, "old one");
    ASSERT_TRUE(RunSetJob(id).succeeded());
    waitForNextSecond();
    makeTree(source, {{"a.txt", "alpha, longer now"}});
    ASSERT_TRUE(RunSetJob(id).succeeded());
    waitForNextSecond();
    SetArchivePassword(id, "new one");
    ASSERT_TRUE(StampSetFileKeys("Docs", {{"PasswordChanged", "1"}}));
    ASSERT_TRUE(GetBackupSet(id, set));
    ASSERT_TRUE(RunSetJob(id).succeeded());
    MutableSettings().chainLength = chainLength;
    ASSERT_TRUE(GetBackupSet(id, set));

    QStringList problems;
    answerPasswords({"not it", "old one"}, &problems);
    {
        CRestoreDlg dialog;
        ASSERT_TRUE(dialog.loadSet(set));
        ASSERT_EQ(problems.size(), 2);
        EXPECT_TRUE(problems.at(0).contains("were made with another password")) << problems.at(0).toStdString();
        EXPECT_TRUE(problems.at(1).contains("wrong password")) << problems.at(1).toStdString();
        EXPECT_EQ(column(dialog.pointList(), 3), QStringList({"3", "3", "3"}));
        EXPECT_EQ(ArchivePasswordOf(id), "new one");
        // The old chain's tree opens with its own password.
        choosePoint(dialog, 1);
        EXPECT_NE(dialog.itemOf("a.txt"), nullptr);
    }

    // Cancelled: the old chain's points are listed, marked, and the newest one opens as before.
    ForgetArchivePasswords();
    ForgetArchiveListings();
    SetArchivePassword(id, "new one");
    const QByteArray shots = qgetenv("VELMORA_SHOTS_DIR");
    QTranslator translator;
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("ru")}) {
        if (language == "ru") {
            if (shots.isEmpty() || !translator.load("velmora_ru", QStringLiteral(VELMORA_TRANSLATIONS_DIR)))
                break;
            QCoreApplication::installTranslator(&translator);
        }
        problems.clear();
        whenModalOpens<CPasswordDlg>([&](CPasswordDlg& question) {
            if (!shots.isEmpty())
                question.grab().save(QString::fromUtf8(shots) + "/chain-password-" + language + ".png");
            question.reject();
        });
        CRestoreDlg dialog;
        ASSERT_TRUE(dialog.loadSet(set));
        const QStringList files = column(dialog.pointList(), 3);
        ASSERT_EQ(files.size(), 3);
        EXPECT_EQ(files.at(0), "3");
        EXPECT_EQ(files.at(1), LoadStringById(StringId::ChainPointLocked));
        EXPECT_EQ(files.at(2), LoadStringById(StringId::ChainPointLocked));
        EXPECT_NE(dialog.itemOf("a.txt"), nullptr);
        if (!shots.isEmpty()) {
            dialog.show();
            QTest::qWait(200);
            dialog.grab().save(QString::fromUtf8(shots) + "/restore-locked-chain-" + language + ".png");
        }
    }
    QCoreApplication::removeTranslator(&translator);
}

// A zip archive lists its names without any password: a kept zip chain's earlier password is found out by one of
// its files, and asked for as a 7z chain's is.
TEST_F(RestoreDlgTest, AKeptZipChainFromAnEarlierPasswordIsAskedForToo)
{
    BackupSet set = docsSet(IncrementalArchiving, 1);
    set.encrypt = true;
    const quint32 id = AddBackupSet(set);
    SaveBackupSet(id);
    SetArchivePassword(id, "old one");
    ASSERT_TRUE(RunSetJob(id).succeeded());
    waitForNextSecond();
    SetArchivePassword(id, "new one");
    ASSERT_TRUE(StampSetFileKeys("Docs", {{"PasswordChanged", "1"}}));
    ASSERT_TRUE(GetBackupSet(id, set));
    ASSERT_TRUE(RunSetJob(id).succeeded());
    ASSERT_TRUE(GetBackupSet(id, set));

    QStringList problems;
    answerPasswords({QString()}, &problems);
    {
        CRestoreDlg dialog;
        ASSERT_TRUE(dialog.loadSet(set));
        EXPECT_EQ(problems.size(), 1);
        EXPECT_EQ(column(dialog.pointList(), 3), QStringList({"3", LoadStringById(StringId::ChainPointLocked)}));
    }
    problems.clear();
    answerPasswords({"old one"}, &problems);
    CRestoreDlg dialog;
    ASSERT_TRUE(dialog.loadSet(set));
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(column(dialog.pointList(), 3), QStringList({"3", "3"}));
}

// A 7-Zip whose listing hangs, as one reading a disk that does not answer would, until the test lets it go on: the
// dialog says that it reads, in the list and in its bar, its window's events go on meanwhile, and the points come
// once the listing is done. A dialog closed while it reads goes at once, its listing still hanging, and the late
// result reaches nobody. With VELMORA_SHOTS_DIR set, the reading dialog is saved there in both languages.
TEST_F(RestoreDlgTest, ThePointsAreReadWhileTheDialogStaysResponsiveAndItClosesCleanlyMeanwhile)
{
    const quint32 id = backedUpTwice();
    BackupSet set;
    ASSERT_TRUE(GetBackupSet(id, set));
    const QString gate = home.filePath("listing");
    const QByteArray quoted = "'" + gate.toUtf8() + "'";
    useFake7Zip(
        "touch " + quoted + ".started\nwhile [ ! -e " + quoted + ".go ]; do sleep 0.02; done\nexec 7zz \"$@\"\n");
    const auto waitUntil = [](const std::function<bool()>& condition) {
        QDeadlineTimer deadline(60000);
        while (!condition() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condition();
    };
    const auto restoreButton = [](CRestoreDlg& dialog) {
        return dialog.findChild<QPushButton*>(QStringLiteral("ctl%1").arg(ControlId::RestoreButton));
    };
    const QString shots = qEnvironmentVariable("VELMORA_SHOTS_DIR");
    for (const int language : {0, 1}) {
        ASSERT_TRUE(language == 0 || ApplyInterfaceLanguage(1, QStringLiteral(VELMORA_TRANSLATIONS_DIR)));
        ForgetArchiveListings();
        QFile::remove(gate + ".started");
        QFile::remove(gate + ".go");
        CRestoreDlg dialog;
        dialog.show();
        QSignalSpy loaded(&dialog, &CRestoreDlg::loadingFinished);
        dialog.startLoadingSet(set);
        // Back here while 7-Zip hangs: events are handled (the wait below turns the loop) and the dialog says why
        // it shows nothing yet.
        ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(gate + ".started"); }));
        EXPECT_TRUE(dialog.isReading());
        const QString reading = LoadStringById(StringId::ReadingRestorePoints);
        EXPECT_EQ(language == 0, reading == "Reading the restore points...");
        ASSERT_EQ(dialog.pointList()->topLevelItemCount(), 1);
        EXPECT_EQ(dialog.pointList()->topLevelItem(0)->text(0), reading);
        EXPECT_EQ(dialog.progress()->text(), reading);
        EXPECT_FALSE(restoreButton(dialog)->isEnabled());
        bool timerRan = false;
        QTimer::singleShot(0, &dialog, [&timerRan] { timerRan = true; });
        EXPECT_TRUE(waitUntil([&] { return timerRan; }));
        EXPECT_TRUE(dialog.isReading()) << "the listing still hangs";
        if (!shots.isEmpty())
            dialog.grab().save(QStringLiteral("%1/restore-reading-%2.png").arg(shots, language == 0 ? "en" : "ru"));

        writeFile(gate + ".go", "");
        ASSERT_TRUE(loaded.wait(60000));
        EXPECT_TRUE(loaded.first().first().toBool());
        EXPECT_FALSE(dialog.isReading());
        EXPECT_EQ(dialog.pointList()->topLevelItemCount(), 2);
        EXPECT_NE(dialog.progress()->text(), reading);
        EXPECT_TRUE(restoreButton(dialog)->isEnabled());
    }
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>())
        QCoreApplication::removeTranslator(translator);
    ApplyInterfaceLanguage(0, {});

    // Closed while it reads, with Close as a user would: it goes while 7-Zip still hangs.
    ForgetArchiveListings();
    QFile::remove(gate + ".started");
    QFile::remove(gate + ".go");
    ASSERT_TRUE(waitUntil([] { return CRestoreDlg::ReadsRunning() == 0; }));
    auto* closing = new CRestoreDlg;
    closing->show();
    closing->startLoadingSet(set);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(gate + ".started"); }));
    closing->findChild<QPushButton*>(QStringLiteral("ctl2"))->click();
    EXPECT_FALSE(closing->isVisible());
    delete closing;
    EXPECT_EQ(CRestoreDlg::ReadsRunning(), 1) << "the dialog went without waiting for its listing";
    // The listing ends after the dialog: its result touches nothing, and a dialog opened then reads its own points.
    writeFile(gate + ".go", "");
    ASSERT_TRUE(waitUntil([] { return CRestoreDlg::ReadsRunning() == 0; }));
    QCoreApplication::sendPostedEvents();
    CRestoreDlg next;
    ASSERT_TRUE(next.loadSet(set));
    EXPECT_EQ(next.pointList()->topLevelItemCount(), 2);
}
