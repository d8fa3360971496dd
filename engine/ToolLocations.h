#pragma once

// Where the program itself, the outside tools and the user's special folders are.

#include <QString>
#include <QStringList>

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
// Looks for 7zz beside the program, then at /usr/bin/7zz; stores the result (maybe empty) in pathTo7zExe.
bool Locate7Zip();
// The places Locate7Zip tries, in order.
QStringList SevenZipCandidates();
// Lets a test put its own 7-Zip (or a path where there is none) in place of the usual places; an empty
// list brings the usual places back.
void SetSevenZipCandidates(const QStringList& candidates);
// The first candidate that is an executable file, or empty.
QString FirstExecutable(const QStringList& candidates);
// Where rsync is expected (the roboPathXP setting); whether it exists is the mirror job's test.
QString RobocopyPath();
