// What the program adds to a flash: from the click on the upload button to the verdict box,
// minus the programmer's own run time (from its process appearing to its going, watched every
// few milliseconds in the same flash), on the virtual board through the avrdude.exe this build
// makes. Medians of the rounds are printed.
//   flash_overhead_benchmark.exe [ROUNDS]   (3 when not given)
#include "serialPeer.h" // brings winsock2.h, which must come before windows.h

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "loaderApp.h"
#include "resource.h"
#include "timing.h"
#include "virtualBoard.h"
#include "winePaths.h"

namespace {

constexpr DWORD kFlashTimeoutMs = 180000;

struct Flash {
    double total = -1;      // seconds from the click to the verdict box; negative: no success
    double programmer = 0;  // seconds the programmer's process was seen running
};

// Clicks the upload button and watches, every few milliseconds, for the programmer's process
// and the verdict box.
Flash flashThroughTheProgram(LoaderApp& app)
{
    Flash flash;
    app.waitOutDoubleClick(IDC_UPLOAD_BUTTON); // a pause before the click is no part of the flash
    double begun = now();
    double firstSeen = -1;
    double lastSeen = -1;
    app.click(IDC_UPLOAD_BUTTON);
    MessageBoxInfo box;
    while (box.window == nullptr && now() - begun < kFlashTimeoutMs / 1000.0) {
        if (processesNamed("avrdude.exe") > 0) {
            lastSeen = now();
            firstSeen = firstSeen < 0 ? lastSeen : firstSeen;
        }
        box = app.findMessageBox(true);
        Sleep(2);
    }
    double total = now() - begun;
    if (box.window == nullptr) {
        return flash;
    }
    bool success = box.text == "Programming successful";
    app.dismiss(box.window);
    app.waitUntilGone(box.window);
    app.settle();
    flash.total = success && firstSeen >= 0 ? total : -1;
    flash.programmer = lastSeen - firstSeen;
    return flash;
}

bool measure(const char* name, const std::string& hexFile, int rounds)
{
    SerialPeer peer;
    peer.unmap("COM1");
    VirtualBoard board;
    if (!board.ready()) {
        printf("the virtual board did not start\n");
        return false;
    }
    peer.mapTo("COM7", board.portLink());
    LoaderApp app;
    if (!installAvrdude(app.workFolder()) || !app.start() ||
        !app.selectListItem(IDC_PORT_LIST, "COM7") ||
        !app.setText(IDC_PATH_FIELD, windowsPathOf(hexFile))) {
        printf("the program did not start on the board\n");
        return false;
    }
    std::vector<double> direct;
    std::vector<double> program;
    std::vector<double> overhead;
    for (int round = 0; round < rounds; ++round) {
        Sleep(1500); // the board starts its application after each run
        Flash flash = flashThroughTheProgram(app);
        if (flash.total < 0) {
            printf("%s: a flash failed\n", name);
            return false;
        }
        direct.push_back(flash.programmer);
        program.push_back(flash.total);
        overhead.push_back(flash.total - flash.programmer);
    }
    printf("%s: click to box %.2f s, programmer alone %.2f s; overhead %.2f s (goal < 0.3 s), "
           "medians of %d rounds\n",
           name, median(program), median(direct), median(overhead), rounds);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 3;
    bool ok = measure("fixture firmware (850 bytes)", VEXLOR_GATEWAY_FIRMWARE, rounds);
    ok = measure("137 KiB image", VEXLOR_BIG_FIRMWARE, rounds) && ok;
    return ok ? 0 : 1;
}
