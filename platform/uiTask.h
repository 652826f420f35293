// Work that must not hold the window's thread (a file on a share that may not answer), run on a
// thread of its own, with its result handed back to the window's thread: the window procedure
// passes kUiTaskDoneMessage to finishUiTask, which runs the task's done part there.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#pragma once

#include <windows.h>

#include <functional>

constexpr UINT kUiTaskDoneMessage = WM_APP + 2;

// Runs work on a new thread, then done on the thread of window, once work has returned. When the
// window is gone by then, done is not run.
void runOffWindowThread(HWND window, std::function<void()> work, std::function<void()> done);

// For the window procedure: the message's task has worked; runs its done part.
void finishUiTask(LPARAM task);
