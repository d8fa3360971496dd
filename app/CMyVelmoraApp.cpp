#include "CMyVelmoraApp.h"

#include "CMyVelmoraDlg.h"
#include "InterfaceLanguage.h"
#include "MessageBoxes.h"
#include "ProfileStore.h"
#include "Settings.h"

void CMyVelmoraApp::InitStoreAndLanguage(const QString& settingsBase, const QString& setBase)
{
    g_profileStore = new ProfileStore(QStringLiteral("Velmora"), settingsBase, setBase);
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    ApplyInterfaceLanguage(langID, TranslationsFolder());
}

bool CMyVelmoraApp::InitInstance()
{
    InitStoreAndLanguage();
    MessageBoxes messageBoxes;
    setUserMessages(&messageBoxes);
    {
        CMyVelmoraDlg dialog;
        messageBoxes.setOwner(&dialog);
        dialog.exec();
    }
    setUserMessages(nullptr);
    return false;
}
