// What every in-process benchmark shares: a clock, medians, and the program's main window.
#pragma once

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "appState.h"
#include "startup.h"

inline double now()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Creates the program's main window in this process, as start-up does; false when it cannot.
inline bool createBenchmarkWindow()
{
    resetAppState();
    if (createMainWindow(GetModuleHandleA(nullptr), nullptr) == nullptr) {
        printf("no window\n");
        return false;
    }
    return true;
}
