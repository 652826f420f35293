// Start-up to a window that answers: the program, with a settings file that remembers a
// firmware file and a log file, next to a bare dialog of the same template started the same
// way. The program's port scan and its settings are what it adds; the last run's files are
// looked for off the window's thread, so a share that does not answer cannot add to it.
#include "serialPeer.h" // brings winsock2.h, which must come before windows.h

#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "loaderApp.h"

namespace {

constexpr int kRounds = 9;

double now()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string besideThis(const std::string& name)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path = self;
    return path.substr(0, path.find_last_of("\\/") + 1) + name;
}

// Seconds from the start to a main window that answers a message; negative when it did not.
double timeStart(LoaderApp& app, const std::string& program)
{
    double start = now();
    if (!app.start(program)) {
        return -1;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(app.mainWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 20000, &result)) {
        return -1;
    }
    return now() - start;
}

void rememberFiles(const std::string& folder)
{
    std::ofstream(folder + "\\remembered.cpp.hex") << ":00000001FF\n";
    std::wstring settings = settingsFilePath();
    CreateDirectoryW(settings.substr(0, settings.find_last_of(L'\\')).c_str(), nullptr);
    std::ofstream(settings.c_str(), std::ios::binary)
        << "[Vexlor Loader]\r\nfirmware=" << folder << "\\remembered.cpp.hex\r\nport=COM3\r\n"
        << "logToFile=1\r\nlogFile=" << folder << "\\remembered.log\r\n";
}

} // namespace

int main()
{
    SerialPeer peer;
    peer.mapPty("COM3");
    std::vector<double> bare;
    std::vector<double> program;
    for (int round = 0; round < kRounds; ++round) {
        {
            LoaderApp app;
            bare.push_back(timeStart(app, besideThis("bareDialog.exe")));
        }
        {
            LoaderApp app;
            rememberFiles(app.workFolder());
            app.keepSettings = true;
            program.push_back(timeStart(app, std::string()));
            app.closeByCaptionButton();
            app.waitForExit(20000);
        }
    }
    if (*std::min_element(bare.begin(), bare.end()) < 0) {
        printf("the bare dialog did not reach a window that answers\n");
        return 1;
    }
    if (*std::min_element(program.begin(), program.end()) < 0) {
        printf("the program did not reach a window that answers\n");
        return 1;
    }
    printf("start-up to a window that answers: bare dialog %.0f ms, the program (remembering a "
           "firmware file and a log file) %.0f ms; ratio %.2f (goal <= 1.5)\n",
           median(bare) * 1000, median(program) * 1000, median(program) / median(bare));
    return 0;
}
