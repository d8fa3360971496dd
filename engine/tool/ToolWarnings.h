#pragma once

// Reads what 7-Zip says it could not read from its output, line by line, so that a run that left files
// out says which ones instead of passing for a clean success.

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

// The files a tool named as not read or not copied, each once.
class WarnedNames
{
public:
    int count() const { return m_count; }
    // The first of them, at most kKeptNames, in the order the tool named them.
    const QStringList& names() const { return m_names; }

    static constexpr int kKeptNames = 10;

protected:
    void addName(const QString& name);
    // Each line of the text without its line end ("\n" or "\r\n").
    static QList<QStringView> linesOf(const QString& text);

private:
    int m_count = 0;
    QStringList m_names;
    QSet<QString> m_seen;
};

class SevenZipWarnings : public WarnedNames
{
public:
    // Takes one line of 7-Zip's standard output, without its line end.
    void addLine(QStringView line);
    void addText(const QString& text);

private:
    bool m_inList = false;
};

// Reads the files rsync says it could not copy ("rsync: [sender] send_files failed to open \"PATH\": ...")
// or that vanished ("file has vanished: \"PATH\""), line by line.
class RsyncWarnings : public WarnedNames
{
public:
    void addLine(QStringView line);
    void addText(const QString& text);
};
