// The watch's Win32 side. Every exchange with the provider and the address-check service
// runs on one worker thread, one at a time, so that the window never waits for them; the
// worker touches no window and reports to MainDialog by posted messages. The schedule of
// checks lives on the window's thread.
#ifndef KIVO_WATCH_WIN_H
#define KIVO_WATCH_WIN_H

#include <windows.h>

#include "watch/watch_rules.h"

// Posted by the worker: a status text, or the end of a run (the user's outcome, the tray's
// last result, a balloon), to show; lParam owns it.
constexpr UINT WatchReportMessage = WM_APP + 1;
// Posted when the PC's own addresses changed (wParam TRUE: its IPv6 addresses, reported on a
// thread of the system's).
constexpr UINT AddressesChangedMessage = WM_APP + 2;
constexpr UINT_PTR WatchTimerId = 500;

// Once the window is up: starts the worker and the schedule, and with "自动更新" ticked
// hands it the start-up run.
void StartWatch(HWND mainDialog);

// F3, "更 新" and the tray menu: the fields are checked here, with the warning boxes, and
// the update goes out after any exchange still running, unless another user's update
// already waits or runs.
void RunUpdate(HWND mainDialog, RunTrigger trigger);

// The password is no part of the fields' fingerprint: its edit lifts a pause instead.
void OnPasswordEdited();
// The provider or the check service was chosen anew in "服务商设置": runs still waiting take
// the choice, and a new provider is a change of the fields, so the next run sends.
void OnChoicesMade(bool providerChanged);

// " 关 ": no run starts from now on, and whenStopped is called (on the worker's thread, or
// at once) as soon as none runs, its end saved. Ending Kivo never waits for it.
void StopWatch(void (*whenStopped)());

// With "自动更新" ticked, an unattended run now, as if a check were due.
void CheckNow(HWND mainDialog, RunTrigger trigger);

// WM_TIMER of WatchTimerId: a check is due when "自动更新" is ticked at that moment.
void OnWatchTimer(HWND mainDialog);
// Windows resumed from sleep, or the PC's addresses changed: a check comes soon.
void OnResumed(HWND mainDialog);
void OnAddressesChanged(HWND mainDialog, bool ipv6);

void OnWatchReport(HWND mainDialog, LPARAM report);

#endif
