#include "CMyVelmoraDlg.h"

#include "ProfileStore.h"
#include "SetCollection.h"
#include "Settings.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QVBoxLayout>

CMyVelmoraDlg::CMyVelmoraDlg(QWidget* parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Velmora"));
    m_list->setObjectName(QStringLiteral("ctl1000"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    resize(480, 320);
    LoadAllBackupSets();
    FillSetList();
}

void CMyVelmoraDlg::FillSetList()
{
    m_list->clear();
    for (const BackupSet& set : backupSets)
        m_list->addItem(set.name);
    m_list->sortItems();
}

void CMyVelmoraDlg::closeEvent(QCloseEvent* event)
{
    SaveAllAndFreeStore();
    event->accept();
    done(QDialog::Rejected);
}

void SaveAllAndFreeStore()
{
    if (!g_profileStore)
        return;
    SaveAllBackupSets();
    SaveSettings();
    delete g_profileStore;
    g_profileStore = nullptr;
}
