// Program entry: without options the main window opens; with options (--flash FILE --port COMn,
// --help) the program flashes from the command line without showing a window.
//
// Top floor (app/, the window): may include every floor below it.
#include <windows.h>

#include "appState.h"
#include "programming/flashCommandLine.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand)
{
    resetAppState();
    CommandLine options = parseProgramCommandLine();
    if (options.given) {
        return runCommandLine(options);
    }
    return runApplication(instance, previousInstance, showCommand, options.openFile);
}
