// The cost of one poll's worth of text (1 KB) appended to the end of the log view, when the
// view already holds 10 MB, next to the same append into an empty view, in one run.
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "resource.h"
#include "timing.h"
#include "ui.h"

namespace {

constexpr int kRounds = 21;

// Lines as a gateway sends them, 48 bytes each.
std::string gatewayLines(size_t bytes)
{
    std::string text;
    char line[64];
    for (int n = 1; text.size() < bytes; ++n) {
        wsprintfA(line, "20;%02X;Alecto V1;ID=%04X;TEMP=00c3;HUM=58;OK;\r\n", n & 0xFF, n & 0xFFFF);
        text += line;
    }
    text.resize(bytes);
    return text;
}

// Median time of one 1 KB append to the end of the view. With fromEmpty the view is emptied
// before each round; otherwise it keeps growing by the appended rounds, a small share of 10 MB.
double appendCost(const std::string& poll, bool fromEmpty)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        if (fromEmpty) {
            SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, "");
        }
        double start = now();
        appendToLogEnd(poll.c_str());
        times.push_back(now() - start);
    }
    return median(times);
}

// The parts of one append, timed alone on the view as it stands.
void printParts(const std::string& poll)
{
    HWND view = GetDlgItem(app.mainWindow, IDC_LOG_VIEW);
    double start = now();
    LRESULT length = SendMessageA(view, WM_GETTEXTLENGTH, 0, 0);
    double lengthTime = now() - start;
    start = now();
    SendMessageA(view, EM_SETSEL, static_cast<WPARAM>(length), length);
    double selectTime = now() - start;
    start = now();
    SendMessageA(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(poll.c_str()));
    double replaceTime = now() - start;
    printf("  parts of one append at 10 MB: length %.3f ms, select the end %.3f ms, insert %.3f ms\n", lengthTime * 1000,
           selectTime * 1000, replaceTime * 1000);
}

} // namespace

int main()
{
    if (!createBenchmarkWindow()) {
        return 1;
    }
    prepareControls();
    ShowWindow(app.mainWindow, SW_SHOW);
    std::string poll = gatewayLines(1024);
    std::string full = gatewayLines(10 * 1024 * 1024);

    double empty = appendCost(poll, true);
    SetDlgItemTextA(app.mainWindow, IDC_LOG_VIEW, full.c_str());
    double loaded = appendCost(poll, false);
    printParts(poll);
    LRESULT length = SendDlgItemMessageA(app.mainWindow, IDC_LOG_VIEW, WM_GETTEXTLENGTH, 0, 0);
    printf("append 1 KB to the log view: empty %.3f ms; holding 10 MB %.3f ms; ratio %.2f "
           "(goal <= 2); view length afterwards %ld\n",
           empty * 1000, loaded * 1000, loaded / empty, static_cast<long>(length));
    DestroyWindow(app.mainWindow);
    return 0;
}
