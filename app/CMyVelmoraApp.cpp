#include "CMyVelmoraApp.h"

#include "CMyVelmoraDlg.h"
#include "InterfaceLanguage.h"
#include "MessageBoxes.h"
#include "ProfileStore.h"
#include "Settings.h"
#include "ShowHelp.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

namespace {

// Where the window found what it reads beside the program: QT_LOGGING_RULES="velmora.start.info=true" shows it,
// for an installation that seems to lack its help or its translation.
Q_LOGGING_CATEGORY(startLog, "velmora.start", QtWarningMsg)

} // namespace

void CMyVelmoraApp::InitStoreAndLanguage(const QString& settingsBase, const QString& setBase)
{
    g_profileStore = new ProfileStore(QStringLiteral("Velmora"), settingsBase, setBase);
    g_profileStore->EnsureSettingsFile();
    LoadSettings();
    const bool translated = ApplyInterfaceLanguage(Settings().languageId, TranslationsFolder());
    qCInfo(startLog).noquote() << "translation:" << TranslationsFolder()
                               << (translated                          ? "loaded"
                                          : Settings().languageId == 1 ? "missing"
                                                                       : "not needed");
    qCInfo(startLog).noquote() << "help page:" << HelpPagePath()
                               << (QFileInfo(HelpPagePath()).isFile() ? "found" : "missing");
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
