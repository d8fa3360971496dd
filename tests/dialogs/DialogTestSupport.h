#pragma once

// Scripted folder picker and file chooser, a store fixture with known settings, and a way to act on a
// modal dialog once its exec() has started.

#include "FileChooser.h"
#include "FolderPicker.h"
#include "StoreFixture.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <functional>

// Each answer is the next queued path; with none left the user cancelled. Installed for its lifetime.
class ScriptedFolderPicker : public FolderPicker
{
public:
    ScriptedFolderPicker() { setFolderPicker(this); }
    ~ScriptedFolderPicker() override { setFolderPicker(nullptr); }
    QString pickFolder(QWidget*, const QString& title, const QString& startFolder) override
    {
        titles.append(title);
        startFolders.append(startFolder);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList answers;
    QStringList titles;
    QStringList startFolders;
};

class ScriptedFileChooser : public FileChooser
{
public:
    ScriptedFileChooser() { setFileChooser(this); }
    ~ScriptedFileChooser() override { setFileChooser(nullptr); }
    QString chooseFile(QWidget*, const QString& filter) override
    {
        filters.append(filter);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList answers;
    QStringList filters;
};

class DialogFixture : public StoreFixture
{
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        MutableSettings().languageId = 0;
        MutableSettings().newSetArchiveType = 0;
        MutableSettings().newSetCompressionLevel = 3;
        MutableSettings().rsyncPath = kDefaultRoboPathXP;
        resetRetentionDefaults();
    }
    void TearDown() override
    {
        // Tests of other fixtures make sets too, with the policy new sets take.
        resetRetentionDefaults();
        StoreFixture::TearDown();
    }
    static void resetRetentionDefaults()
    {
        MutableSettings().newSetKeepLast = 10;
        MutableSettings().newSetKeepHourly = 24;
        MutableSettings().newSetKeepDaily = 14;
        MutableSettings().newSetKeepWeekly = 8;
        MutableSettings().newSetKeepMonthly = 12;
        MutableSettings().newSetKeepYearly = 3;
    }

    // A set in the collection and in its file, as the main window would have it.
    quint32 storeSet(const QString& name, const QString& target = QStringLiteral("/backups"))
    {
        BackupSet set;
        set.name = set.arcName = name;
        set.source = QStringLiteral("/data/") + name;
        set.target = target;
        const quint32 id = AddBackupSet(set);
        SaveBackupSet(id);
        return id;
    }

    ScriptedFolderPicker picker;
    ScriptedFileChooser chooser;
};

// Queues an action on the Dialog that the next exec() opens; the action must end it. Should another
// window be modal instead, it is closed so that the test cannot hang.
template<class Dialog> void whenModal(std::function<void(Dialog&)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal))
            return action(*dialog);
        ADD_FAILURE() << "the expected dialog is not open";
        if (modal)
            modal->close();
    });
}

// The same for a Dialog opened later than at the next turn of the event loop, as after a read on another thread:
// the action waits for it, handling events, and fails after timeoutMs, closing whatever is modal then.
template<class Dialog> void whenModalOpens(std::function<void(Dialog&)> action, int timeoutMs = 60000)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action, deadline = QDeadlineTimer(timeoutMs)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            poll->deleteLater();
            poll->stop();
            return action(*dialog);
        }
        if (!deadline.hasExpired())
            return;
        poll->deleteLater();
        poll->stop();
        ADD_FAILURE() << "the expected dialog did not open";
        if (modal)
            modal->close();
    });
    poll->start();
}
