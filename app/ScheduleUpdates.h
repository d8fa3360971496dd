#pragma once

// The window keeps the sets' systemd timers in step with the sets, on a thread of its own: writing the unit
// files and waiting for systemctl never hold up the window.

// Takes a copy of the sets now and brings their timers in line with it in the background; updates run one
// after the other, in the order asked. What went wrong is said on the window's thread once the update ends;
// that there is no systemd user instance, with the crontab lines to use instead, only once per start.
void UpdateSchedulesInBackground();
// Waits until every update asked for has ended (at the window's end, and in tests).
void WaitForScheduleUpdates();
