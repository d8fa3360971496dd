#pragma once

// Files a killed process leaves behind while it replaces one: a temporary copy named by the file it was
// to replace and a random suffix.

#include <QString>

#include <functional>

// Whether name is prefix followed by exactly suffixLength letters or digits, the way mkstemp and
// QSaveFile name their temporary copies. Names are compared as they are, letter case included.
bool IsTemporaryCopyName(const QString& name, const QString& prefix, int suffixLength);

// Deletes the regular files in folder whose names isLeftover accepts. Links, folders, pipes and devices are
// left alone: such a name is nobody's temporary copy.
void RemoveLeftoverFiles(const QString& folder, const std::function<bool(const QString& name)>& isLeftover);
