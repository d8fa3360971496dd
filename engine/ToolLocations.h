#pragma once

// Where the program itself, the outside tools and the user's special folders are.

#include <QString>

// Folder of the running program, ending in "/".
QString ModuleFolder();
