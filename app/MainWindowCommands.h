#pragma once

// The main window's commands that open a dialog. Each returns true when the sets may have changed, so
// that the window refills its list.

#include <QString>
#include <QtGlobal>

class QWidget;

// Asks for a new set and stores it in the collection and in its own file.
bool NewSetCommand(QWidget* owner);
// Edits the set with this id; on OK its file is rewritten under the possibly new name.
bool PropertiesCommand(QWidget* owner, quint32 setId);
// Changes the settings; they reach the settings file when the window closes.
bool OptionsCommand(QWidget* owner);
// Keeps the set's point with this stamp for ever, or gives it back to the retention policy: its stamp is added to
// or taken from the set's Pinned, written into the set file at once (only that key). False, after telling the
// user, when the file could not be written.
bool SetPointPinned(quint32 setId, const QString& stamp, bool pinned);
