#pragma once

// Points HOME and the XDG folders at a fresh temporary folder for the lifetime of the object.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }
    // Where the store keeps its files below this home.
    QString settingsFile() const { return filePath(QStringLiteral(".config/Quorvane/Velmora/Velmora.ini")); }
    QString setFolder() const { return filePath(QStringLiteral("Documents/Quorvane/Velmora")); }

private:
    QTemporaryDir m_dir;
    QMap<QByteArray, QByteArray> m_saved;
};

QByteArray readFile(const QString& path);
// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '"' << list.join("\" \"").toStdString() << '"';
}
void writeFile(const QString& path, const QByteArray& bytes);
