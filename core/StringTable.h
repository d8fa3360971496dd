#pragma once

// Every text the program shows by number, in the interface language chosen at start-up.

#include <QString>

// The English text of an id (the translation source); empty for an id the table does not hold.
QString EnglishStringById(int id);
// The text of an id in the language whose translation was installed at start-up; empty for an unknown id.
QString LoadStringById(int id);
// Shows the text of an id in a message box with only an OK button.
void ShowStringMessage(int id);

// Fills the first "%s" or "%d" of a table text with the argument.
QString FormatString(const QString& format, const QString& argument);
QString LoadFormattedString(int id, const QString& argument);

// All ids of the table, in ascending order.
QList<int> StringTableIds();
