#pragma once

// The program's own icons, drawn in code: the program itself and one image per kind of set row.

#include <QIcon>

// Icon ids: 128 the program; 141 7z full, 142 zip full, 144 7z incremental, 143 zip incremental, 150 mirror.
// An unknown id gives a null icon.
QIcon AppIcon(int resourceId);

// The program's icon: the one of the desktop's icon theme, as the menu entry shows it, where it is installed, else
// the drawn one.
QIcon ProgramIcon();
