// Off-site copies through rsync over ssh and rclone: the test of a destination here; the chain's copy in
// OffsiteCopy.cpp, the mirror in OffsiteMirror.cpp, fetching back in OffsiteFetch.cpp, each through the
// destination's OffsiteTransport.

#include "Offsite.h"

#include "OffsiteInternal.h"
#include "OffsiteStep.h"
#include "OffsiteTools.h"
#include "OffsiteTransports.h"
#include "ResourceIds.h"
#include "StringTable.h"
#include "TempFolder.h"

#include <QFile>
#include <QRandomGenerator>

using namespace OffsiteInternal;

OffsiteOutcome TestOffsite(const OffsiteTarget& target, std::chrono::seconds limit)
{
    RunControl control;
    control.setDeadline(QDeadlineTimer(std::chrono::duration_cast<std::chrono::milliseconds>(limit)));
    OffsiteOutcome outcome;
    OffsiteStep step(target, nullptr, &control, limit);
    const std::unique_ptr<OffsiteTransport> transport = MakeOffsiteTransport(step);
    if (!transport->findTools(outcome))
        return outcome;
    if (!transport->makeFolder(outcome))
        return outcome;
    QString error;
    const QString local = MakeTempFileName(QStringLiteral("velmora-test"), &error);
    if (local.isEmpty())
        return OffsiteFailure(OffsiteCause::Other, error);
    {
        QFile file(local);
        if (file.open(QIODevice::WriteOnly))
            file.write("Velmora wrote this file to see that the folder can be written, and removes it.\n");
    }
    const QString name
        = QStringLiteral(".velmora-test-%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    const Command copy = transport->copyCommand(local, name);
    const RunResult copied = step.run(copy);
    RemoveTempFile(local);
    if (!succeeded(copied)) {
        outcome = step.failed(copy, copied);
        if (outcome.cause == OffsiteCause::Other && step.isSsh() && copied.exitCode == 23)
            outcome = OffsiteFailure(OffsiteCause::NotWritable,
                LoadStringById(StringId::OffsiteNotWritable).arg(step.where(), LastToolLine(copied)));
        return outcome;
    }
    transport->remove({name}, outcome);
    return outcome;
}
