#include "InterfaceLanguage.h"

#include "UserFolders.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>

namespace {

void setProcessLocale(const char* preferred)
{
    if (!std::setlocale(LC_ALL, preferred))
        std::setlocale(LC_ALL, "C.UTF-8");
}

bool installTranslator(const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace

bool ApplyInterfaceLanguage(int languageId, const QString& translationsFolder)
{
    if (languageId != 1) {
        setProcessLocale("en_US.UTF-8");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return false;
    }
    setProcessLocale("ru_RU.UTF-8");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Qt's own texts: the standard buttons of message boxes.
    installTranslator(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return installTranslator(QStringLiteral("velmora_ru"), translationsFolder);
}

QString TranslationsFolder()
{
    return DataFolder() + QStringLiteral("translations");
}
