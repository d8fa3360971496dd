#pragma once

// Chooses the interface language and the process locale from the LangID setting, once at start-up.

#include <QString>

// 1 selects Russian, every other value English. A missing translation file leaves the English texts.
// Returns whether the Russian translation was installed.
bool ApplyInterfaceLanguage(int languageId, const QString& translationsFolder);
// Folder of the translation files beside the program.
QString TranslationsFolder();
