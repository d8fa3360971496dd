#include "ArchivePasswords.h"

#include <QHash>
#include <QMutex>

namespace {

struct Entry
{
    std::optional<QString> password;
    QString problem;
    // By the full archive of the chain they open.
    QHash<QString, QString> chains;
    QStringList earlier;
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

void wipe(QString& text)
{
    text.fill(QChar(u'\0'));
}

void wipeAll(Entry& entry)
{
    wipe(entry.password);
    for (QString& password : entry.chains)
        wipe(password);
    entry.chains.clear();
    for (QString& password : entry.earlier)
        wipe(password);
    entry.earlier.clear();
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

void SetChainPassword(quint32 setId, const QString& fullArchive, const QString& password)
{
    QMutexLocker lock(&passwordsMutex);
    QString& kept = passwords()[setId].chains[fullArchive];
    wipe(kept);
    kept = password;
}

void ForgetChainPassword(quint32 setId, const QString& fullArchive)
{
    QMutexLocker lock(&passwordsMutex);
    const auto found = passwords().find(setId);
    if (found == passwords().end())
        return;
    const auto chain = found->chains.find(fullArchive);
    if (chain != found->chains.end()) {
        wipe(*chain);
        found->chains.erase(chain);
    }
}

std::optional<QString> ChainPasswordOf(quint32 setId, const QString& fullArchive, QString* problem)
{
    {
        QMutexLocker lock(&passwordsMutex);
        const auto found = passwords().constFind(setId);
        if (found != passwords().cend()) {
            const auto chain = found->chains.constFind(fullArchive);
            if (chain != found->chains.cend()) {
                if (problem)
                    problem->clear();
                return *chain;
            }
        }
    }
    return ArchivePasswordOf(setId, problem);
}

void SetEarlierPasswords(quint32 setId, const QStringList& earlier)
{
    QMutexLocker lock(&passwordsMutex);
    Entry& entry = passwords()[setId];
    for (QString& password : entry.earlier)
        wipe(password);
    entry.earlier = earlier;
}

QStringList EarlierPasswordsOf(quint32 setId)
{
    QMutexLocker lock(&passwordsMutex);
    const auto found = passwords().constFind(setId);
    return found == passwords().cend() ? QStringList() : found->earlier;
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
        wipeAll(*found);
        passwords().erase(found);
    }
}

void ForgetArchivePasswords()
{
    QMutexLocker lock(&passwordsMutex);
    for (Entry& entry : passwords())
        wipeAll(entry);
    passwords().clear();
}
