#pragma once

// One desktop notification through the freedesktop notification service on the user's session bus: how a run
// that no one watches (a timer's, cron's) reaches the user when a set fails.

#include <QString>

struct DesktopNotice
{
    QString summary;
    QString body;
    // The set whose log a click on the notification should open; empty for none.
    QString setName;
    // A failure stays until dismissed where the desktop honours urgency; warnings pass like other news.
    bool critical = true;
};

// Sends the notice; false when there is no session bus or no notification service, or it refused the notice,
// after one line on standard error saying so. Never waits for more than a few seconds.
//
// A click on the notification: the notice names Velmora's desktop entry, so desktops that open the program of a
// notification on a click open the window, whose list marks the set; where the service offers actions there is
// also a default action. velmora-run does not stay to wait for it (a timer's run must end, and systemd ends what
// a finished run leaves behind): a click that comes while it still runs opens the window on the set's log
// (velmora --show-log NAME), one that comes later is the desktop's to handle.
bool SendDesktopNotice(const DesktopNotice& notice);
