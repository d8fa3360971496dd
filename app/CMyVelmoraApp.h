#pragma once

// The program's start-up: profile store, settings and language, then the main window run modally.

#include <QString>

class CMyVelmoraApp
{
public:
    // Creates g_profileStore, ensures and loads the settings and applies the language from them.
    // Empty base folders mean the user's own configuration and documents folders.
    static void InitStoreAndLanguage(const QString& settingsBase = {}, const QString& setBase = {});
    // Runs the main window until it closes; returns false, after which the program ends. With a set's name the
    // window opens on that set's log (a click on velmora-run's notification of it).
    bool InitInstance(const QString& showLogOf = {});
};
