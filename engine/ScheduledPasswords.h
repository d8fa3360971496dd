#pragma once

// Whether the timer's runs of an encrypted set can get its password, asked when the schedule is saved, when the
// window starts and by velmora-run --check, so that a set whose every scheduled run would fail is named at once.

#include "BackupSet.h"

#include <QString>

// Why a timer's run of the set would find no password, in words; empty when it would find one, and for a set
// that is not both scheduled and encrypted. A set with a password file is judged by that file alone, as its
// timer's run takes only that; any other by the keyring, which may put up its unlock prompt.
QString ScheduledPasswordProblem(const BackupSet& set);
