#include "OffsiteTransports.h"

#include "OffsiteStep.h"
#include "RcloneTransport.h"
#include "SshTransport.h"

std::unique_ptr<OffsiteTransport> MakeOffsiteTransport(OffsiteStep& step)
{
    if (step.isSsh())
        return std::make_unique<SshTransport>(step);
    return std::make_unique<RcloneTransport>(step);
}
