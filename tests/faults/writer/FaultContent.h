#pragma once

// The two versions fault_writer writes by turns, so that a test can tell the old file from the new
// one and either from a torn one.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Both versions have one size: a file overwritten in place would show both letters.
inline QByteArray faultArchiveBytes(int version)
{
    return QByteArray(3 << 20, char('A' + version % 2));
}

// Enough entries that the set file takes several writes.
inline QStringList faultExclusionTypes(int version)
{
    QStringList types;
    for (int i = 0; i < 400; ++i)
        types.append(QStringLiteral("*.v%1_%2").arg(version % 2).arg(i));
    return types;
}

inline const QString kFaultSetName = QStringLiteral("Docs");
