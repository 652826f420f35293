// The upload workflow: read the port and the path afresh, build the line, test the port, run
// the programmer and report. A path that cannot be passed on safely is refused before the port
// is touched.
#include "upload.h"

#include <windows.h>

#include "app/appState.h"
#include "app/trace.h"
#include "app/ui.h"
#include "programmer.h"
#include "resource.h"
#include "serial/portScan.h"

namespace {

void report(const char* text, const char* caption, const char* traceLine)
{
    MessageBoxA(app.mainWindow, text, caption, MB_OK);
    trace("%s", traceLine);
}

void refusePath(int reason)
{
    if (reason == PARAMS_PATH_HAS_QUOTE) {
        report("Programming failed, the firmware path contains a double quote (\").\n"
               "Rename the file or its folder and select it again.",
               "Error", "Programming Arduino failed, path contains a double quote\n");
    } else {
        report("Programming failed, the firmware path is too long.\n"
               "Move the file to a folder with a shorter path and select it again.",
               "Error", "Programming Arduino failed, path too long\n");
    }
}

void flash()
{
    trace("param: %s\n", app.programmerParams);
    if (runProgrammer(app.mainWindow) != 0) {
        report("Programming failed", "Error", "Programming Arduino failed\n");
    } else {
        report("Programming successful", "Success", "Programming Arduino Success\n");
    }
}

} // namespace

void uploadFirmware()
{
    readSelectedPortName("Programming Arduino:\n");
    trace("Port %s\n", app.portName);
    GetDlgItemTextA(app.mainWindow, IDC_PATH_FIELD, app.firmwarePath, 1023);
    app.firmwarePath[1023] = '\0';
    trace("Filename %s\n", app.firmwarePath);

    int params = buildProgrammerParams();
    if (params != PARAMS_READY) {
        refusePath(params);
    } else {
        switch (probePort(app.mainWindow, app.portName)) {
        case PORT_IN_USE:
            report("Programming failed, Serial port is in use", "Error",
                   "Programming Arduino failed, serial port in use\n");
            break;
        case PORT_NOT_FOUND:
            report("Programming failed, Serial port is not found", "Error",
                   "Programming Arduino failed, serial port not found\n");
            break;
        default:
            flash();
            break;
        }
    }
    setStatusLine("OK");
    trace("Programming Arduino done\n");
}
