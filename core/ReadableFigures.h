#pragma once

// Sizes and times as a user reads them, in the interface language.

#include <QString>

// "512 bytes", "1.2 GB", in the interface language's locale.
QString FormatByteSize(qint64 bytes);
// An exact duration: "45 s", "2 min 14 s", "1 h 3 min".
QString FormatDuration(qint64 seconds);
// An estimate, rounded so that it does not flicker from one second to the next: "about 40 s left",
// "about 2 min left", "about 1 h 20 min left". Empty for a negative (unknown) estimate.
QString FormatTimeLeft(qint64 seconds);
