#pragma once

// Reads what 7-Zip says it could not read from its output, line by line, so that a run that left files
// out says which ones instead of passing for a clean success.

#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

class SevenZipWarnings
{
public:
    // Takes one line of 7-Zip's standard output, without its line end.
    void addLine(QStringView line);
    void addText(const QString& text);

    // Files and folders 7-Zip named as not read, each once.
    int count() const { return m_count; }
    // The first of them, at most kKeptNames, in the order 7-Zip named them.
    const QStringList& names() const { return m_names; }

    static constexpr int kKeptNames = 10;

private:
    bool m_inList = false;
    int m_count = 0;
    QStringList m_names;
    QSet<QString> m_seen;
};

// Reads the files rsync says it could not copy ("rsync: [sender] send_files failed to open \"PATH\": ...")
// or that vanished ("file has vanished: \"PATH\""), line by line.
class RsyncWarnings
{
public:
    void addLine(QStringView line);
    void addText(const QString& text);

    int count() const { return m_count; }
    const QStringList& names() const { return m_names; }

private:
    int m_count = 0;
    QStringList m_names;
    QSet<QString> m_seen;
};
