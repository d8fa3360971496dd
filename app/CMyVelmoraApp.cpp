#include "CMyVelmoraApp.h"

#include "CMyVelmoraDlg.h"
#include "InterfaceLanguage.h"
#include "MessageBoxes.h"
#include "ProfileStore.h"
#include "Settings.h"

#include <QTimer>

void CMyVelmoraApp::InitStoreAndLanguage(const QString& settingsBase, const QString& setBase)
{
    g_profileStore = new ProfileStore(QStringLiteral("Velmora"), settingsBase, setBase);
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    ApplyInterfaceLanguage(langID, TranslationsFolder());
}

bool CMyVelmoraApp::InitInstance(const QString& showLogOf)
{
    InitStoreAndLanguage();
    MessageBoxes messageBoxes;
    setUserMessages(&messageBoxes);
    {
        CMyVelmoraDlg dialog;
        messageBoxes.setOwner(&dialog);
        if (!showLogOf.isEmpty())
            QTimer::singleShot(0, &dialog, [&dialog, showLogOf] { dialog.ShowLogOf(showLogOf); });
        dialog.exec();
    }
    setUserMessages(nullptr);
    return false;
}
