#pragma once

// The two off-site transports, one picked by the kind of the step's destination.

#include "OffsiteTransport.h"

#include <memory>

// The transport the step's destination needs: rsync over ssh for ssh://USER@HOST/PATH, rclone for REMOTE:PATH.
std::unique_ptr<OffsiteTransport> MakeOffsiteTransport(OffsiteStep& step);
