#pragma once

// Files a killed process leaves behind while it replaces one: a temporary copy named by the file it was
// to replace and a random suffix.

#include <QString>

// Deletes the files in folder named prefix followed by exactly suffixLength letters or digits. Links and
// folders are left alone: such a name is nobody's temporary copy.
void RemoveLeftoverFiles(const QString& folder, const QString& prefix, int suffixLength);
