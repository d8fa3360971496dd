#pragma once

// Where the program itself and the user's special folders are.

#include <QString>

// The special folders the task properties dialog offers as sources, by their classic numbers.
enum SpecialFolder : int
{
    CSIDL_PERSONAL = 5,
    CSIDL_FAVORITES = 6,
    CSIDL_MYMUSIC = 13,
    CSIDL_DESKTOPDIRECTORY = 16,
    CSIDL_APPDATA = 26,
    CSIDL_MYPICTURES = 39,
};

// Path of a special folder (Favourites stands for the home folder); empty for an unknown number.
QString SpecialFolderPath(int csidl);
// Folder of the first Firefox profile, or empty.
QString FirefoxProfileFolder();
// Folder of the running program, ending in "/".
QString ModuleFolder();
// The folder of the help pages and translations, ending in "/": share/velmora beside the installed program's
// bin folder, else the program's own folder (the build folder's layout).
QString DataFolder();
QString DataFolder(const QString& programFolder);
// The program's version, as --version and the package give it.
QString ProgramVersion();
// The reverse-DNS name of the desktop file, the icon and the metainfo.
QString ApplicationId();
// The program's folder for what it keeps about its own work (the logs of its runs), below the user's state
// folder: $XDG_STATE_HOME, else ~/.local/state, then Quorvane/Velmora as its other folders.
QString UserStateFolder();
