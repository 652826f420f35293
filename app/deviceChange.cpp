#include "deviceChange.h"

#include <dbt.h>

#include "controlStates.h"
#include "serial/portScan.h"

namespace {

constexpr UINT kRefreshDelayMs = 500;

} // namespace

void noteDeviceChange(HWND window, WPARAM event)
{
    if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE ||
        event == DBT_DEVNODES_CHANGED) {
        SetTimer(window, kPortRefreshTimer, kRefreshDelayMs, nullptr); // a later change restarts it
    }
}

void refreshPortsWhenFree(HWND window)
{
    ProgramState state = programState();
    if (state.flashing || state.logging) {
        return;
    }
    KillTimer(window, kPortRefreshTimer);
    refreshPorts(window);
}
