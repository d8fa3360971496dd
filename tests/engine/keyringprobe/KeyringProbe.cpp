// Drives engine/Keyring against whatever keyring the session bus offers, for the test that runs it under a
// Secret Service of its own: "write ID PASSWORD", "read ID" and "delete ID", in the order given, one line each
// on standard output ("read Ok PASSWORD", "read NotFound", ...).

#include "Keyring.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

QString statusWord(KeyringStatus status)
{
    switch (status) {
    case KeyringStatus::Ok:
        return QStringLiteral("Ok");
    case KeyringStatus::NotFound:
        return QStringLiteral("NotFound");
    case KeyringStatus::Unavailable:
        return QStringLiteral("Unavailable");
    case KeyringStatus::Failed:
        return QStringLiteral("Failed");
    }
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList steps = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    for (qsizetype at = 0; at < steps.size();) {
        const QString& verb = steps.at(at);
        const bool isWrite = verb == QLatin1String("write");
        if (at + (isWrite ? 2 : 1) >= steps.size()) {
            err << "usage: keyring_probe (write ID PASSWORD | read ID | delete ID)...\n";
            return 2;
        }
        const quint32 id = steps.at(at + 1).toUInt();
        KeyringAnswer answer;
        if (isWrite)
            answer = WriteSetPassword(id, steps.at(at + 2));
        else if (verb == QLatin1String("read"))
            answer = ReadSetPassword(id);
        else if (verb == QLatin1String("delete"))
            answer = DeleteSetPassword(id);
        else {
            err << "unknown step " << verb << '\n';
            return 2;
        }
        at += isWrite ? 3 : 2;
        out << verb << ' ' << statusWord(answer.status);
        if (!answer.password.isEmpty())
            out << ' ' << answer.password;
        out << '\n';
        if (!answer.detail.isEmpty())
            err << verb << ": " << answer.detail << '\n';
        out.flush();
    }
    return 0;
}
