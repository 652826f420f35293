// Trace lines and the debug console they go to.
//
// The console is created on demand and standard output is reopened on it, so trace
// lines are plain printf output. A process started without standard handles (from the
// desktop) has no standard output to reopen on some C runtimes; the console then gets a
// stream of its own, so the trace still reaches it. The console has no close command: its
// close box would end the program.
//
// %p is expanded here rather than by the C runtime: runtimes disagree on its form (some
// print "0x", some lower case), and the trace always shows a handle as 8 upper-case hex
// digits.
//
// Ground floor (platform/): knows no feature, includes nothing of the program; every floor may
// use it.
#include "trace.h"

#include <inttypes.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

// Rewrites every %p in format as a fixed-width upper-case hex conversion of a pointer-sized
// integer, so a handle prints as 8 upper-case hex digits on the 32-bit program and as at
// least 8 on the 64-bit build.
void normalisePointerFormat(const char* format, char* out, size_t outSize)
{
    static const char pointerFormat[] = "%08" PRIXPTR;
    const size_t pointerLength = sizeof pointerFormat - 1;
    size_t used = 0;
    for (const char* p = format; *p != '\0' && used + pointerLength + 1 < outSize; ++p) {
        if (p[0] == '%' && p[1] == '%') {
            out[used++] = *p++;
            out[used++] = *p;
        } else if (p[0] == '%' && p[1] == 'p') {
            memcpy(out + used, pointerFormat, pointerLength);
            used += pointerLength;
            ++p;
        } else {
            out[used++] = *p;
        }
    }
    out[used] = '\0';
}

// Where trace lines go while the console is open: standard output reopened on it, or the
// console's own stream when standard output cannot be reopened. Standard output is never
// closed, so reopening it for the next console always acts on a valid stream; once a reopen
// has failed (which closes it) it is not touched again.
FILE* consoleStream = nullptr;
bool standardOutputLost = false;
bool tracingOn = false;

FILE* traceStream()
{
    if (consoleStream != nullptr) {
        return consoleStream;
    }
    return standardOutputLost ? nullptr : stdout;
}

void openConsoleStream()
{
    if (!standardOutputLost) {
        if (freopen("CONOUT$", "w", stdout) != nullptr) {
            consoleStream = stdout;
            return;
        }
        standardOutputLost = true;
    }
    consoleStream = fopen("CONOUT$", "w");
}

void closeConsoleStream()
{
    if (consoleStream == stdout) {
        fflush(stdout);
    } else if (consoleStream != nullptr) {
        fclose(consoleStream);
    }
    consoleStream = nullptr;
}

} // namespace

void trace(const char* format, ...)
{
    if (!tracingOn) {
        return;
    }
    char fixedFormat[512];
    const char* used = format;
    if (strstr(format, "%p") != nullptr && strlen(format) < 200) {
        normalisePointerFormat(format, fixedFormat, sizeof fixedFormat);
        used = fixedFormat;
    }
    FILE* stream = traceStream();
    if (stream == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    vfprintf(stream, used, args);
    va_end(args);
    fflush(stream);
}

void traceSection(const char* header)
{
    trace("------------------------------\n");
    trace("%s", header);
}

void removeCloseCommand(HWND window)
{
    if (window != nullptr) {
        DeleteMenu(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND);
    }
}

void disableQuickEdit()
{
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {
        SetConsoleMode(input, (mode | ENABLE_EXTENDED_FLAGS) & ~ENABLE_QUICK_EDIT_MODE);
    }
    CloseHandle(input);
}

bool tracing()
{
    return tracingOn;
}

void setTracing(bool on)
{
    tracingOn = on;
}

void openDebugConsole(const char* title)
{
    if (AllocConsole()) {
        openConsoleStream();
        removeCloseCommand(GetConsoleWindow());
        disableQuickEdit();
        SetConsoleTitleA(title);
        SetConsoleTextAttribute(GetStdHandle(STD_OUTPUT_HANDLE), 7);
    }
}

void closeDebugConsole()
{
    FreeConsole();
    closeConsoleStream();
}
