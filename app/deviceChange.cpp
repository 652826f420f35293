// Device arrivals and removals: one port list refresh after a burst of them.
//
// Top floor (app/, the window): may include every floor below it.
#include "deviceChange.h"

#include <dbt.h>

#include "controlStates.h"
#include "portListControl.h"

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
