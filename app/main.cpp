// Program entry: the command line is ignored, everything happens in the main window.
#include <windows.h>

#include "appState.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand)
{
    resetAppState();
    return runApplication(instance, previousInstance, showCommand);
}
