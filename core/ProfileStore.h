#pragma once

// Maps the settings file and the one-file-per-set store onto INI files, with a current-file protocol:
// select a set file, read or write its keys, then select the settings file again.

#include "IniFile.h"

#include <QString>
#include <QStringList>

class ProfileStore
{
public:
    // Empty base folders mean the user's configuration and documents folders.
    explicit ProfileStore(const QString& storeName, const QString& settingsBase = {}, const QString& setBase = {});

    void SelectSettingsFile();
    void SelectSetFile(const QString& name);

    QString ReadProfileString(const QString& key, const QString& defaultValue) const;
    qint32 ReadProfileInt(const QString& key, qint32 defaultValue) const;
    bool WriteProfileString(const QString& key, const QString& value);
    bool WriteProfileInt(const QString& key, qint32 value);
    // Writes several keys of the current file in one replacement of the file. With freshFile the file
    // is written anew holding only these keys; it is left untouched when it already holds exactly that.
    bool WriteProfileValues(const IniValues& values, bool freshFile = false);

    int ListSetNames(QStringList& list) const;
    // Deletes the temporary copies that saves killed before their final rename left beside the
    // settings file and the set files.
    void RemoveSaveLeftovers() const;
    bool DeleteSetFile(const QString& name);
    void EnsureSettingsFile();

    // Path of the current file; empty for a set name that cannot be a file name.
    QString currentFilePath() const;
    QString settingsFolder() const;
    QString setFolder() const;
    QString sectionName() const;

    // A set name is a file name: these would reach outside the set folder or name no file at all.
    static bool isValidSetName(const QString& name);

    bool useSetFile = false;
    qint32 location = 0;
    QString storeName;
    QString setFileName;

private:
    bool writeDocument(const QString& path, const IniDocument& doc);

    QString m_settingsBase;
    QString m_setBase;
};

extern ProfileStore* g_profileStore;

// Decimal text to integer the way atoi reads it: leading blanks, a sign, digits up to the first other character.
qint32 ParseProfileInt(const QString& text);
