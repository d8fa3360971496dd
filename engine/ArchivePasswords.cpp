#include "ArchivePasswords.h"

#include <QHash>
#include <QMutex>

namespace {

struct Entry
{
    std::optional<QString> password;
    QString problem;
};

QMutex passwordsMutex;
QHash<quint32, Entry>& passwords()
{
    static QHash<quint32, Entry> table;
    return table;
}

// Overwrites the text's characters before it is let go, so that a forgotten password does not linger in freed
// memory for a core dump to show.
void wipe(std::optional<QString>& text)
{
    if (text) {
        text->fill(QChar(u'\0'));
        text.reset();
    }
}

} // namespace

void SetArchivePassword(quint32 setId, const QString& password)
{
    QMutexLocker lock(&passwordsMutex);
    Entry& entry = passwords()[setId];
    wipe(entry.password);
    entry.password = password;
    entry.problem.clear();
}

void SetArchivePasswordProblem(quint32 setId, const QString& problem)
{
    QMutexLocker lock(&passwordsMutex);
    Entry& entry = passwords()[setId];
    wipe(entry.password);
    entry.problem = problem;
}

std::optional<QString> ArchivePasswordOf(quint32 setId, QString* problem)
{
    QMutexLocker lock(&passwordsMutex);
    const auto found = passwords().constFind(setId);
    if (problem)
        *problem = found == passwords().cend() ? QString() : found->problem;
    if (found == passwords().cend())
        return std::nullopt;
    return found->password;
}

void ForgetArchivePassword(quint32 setId)
{
    QMutexLocker lock(&passwordsMutex);
    const auto found = passwords().find(setId);
    if (found != passwords().end()) {
        wipe(found->password);
        passwords().erase(found);
    }
}

void ForgetArchivePasswords()
{
    QMutexLocker lock(&passwordsMutex);
    for (Entry& entry : passwords())
        wipe(entry.password);
    passwords().clear();
}
