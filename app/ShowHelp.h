#pragma once

// Opens the help page of the interface language in the user's browser.

#include <QString>
#include <QUrl>

#include <functional>

// The page for the current languageId below the data folder (ending in "/"): help/help_ru.html for 1,
// help/help_en.html for any other value.
QString HelpPagePath(const QString& dataFolder);
// The page in the running program's data folder (DataFolder()).
QString HelpPagePath();

// Opens the page below the data folder; a missing page does nothing, a desktop that cannot open it says so.
void ShowHelp(const QString& dataFolder);
// Opens the page of the running program's data folder.
void ShowHelp();

using UrlOpener = std::function<bool(const QUrl&)>;
// Replaces the way pages are opened (tests record the address instead); an empty opener restores the desktop's.
void setUrlOpener(UrlOpener opener);
// Opens an address with the opener in use.
bool OpenUrl(const QUrl& url);
// Opens a local file or folder with the desktop's program for it; where there is none, tells the user and
// names the path, so they can open it themselves.
bool OpenLocalPath(const QString& path);
