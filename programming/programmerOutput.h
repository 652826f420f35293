// What the user sees of the programmer's output: its lines for the log view, the progress of
// the phase it is in, and the reason a failed run gives. Plain text in, plain text out, so it
// needs no window and is tested on its own.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

// Turns the programmer's output, fed as it arrives from its pipe in pieces of any size, into
// lines for the log view, the progress of the phase it is in, and its last error line.
class ProgrammerOutput {
public:
    // Feeds bytes; returns the lines (no line ends) that became complete, in order.
    std::vector<std::string> feed(const char* bytes, size_t count);
    // At the end of the output: the unfinished last line, if any (a progress bar cut short
    // included, as one line). Afterwards the next output starts on a fresh line.
    std::vector<std::string> finish();

    // The phase avrdude last reported progress for ("Writing", "Reading", "Erasing"...),
    // empty before the first; and its percent, 0..100.
    const std::string& phase() const { return currentPhase; }
    int percent() const { return currentPercent; }

    // The most telling error line (empty when there was none): the last one that names a
    // known cause, otherwise the last one that reads like an error; without blanks around it.
    const std::string& lastError() const { return errorLine; }

    // The longest line kept whole; a longer one is handed on in pieces of this size.
    static constexpr size_t kMaxLine = 4096;

private:
    // Where the line being assembled stands in the progress bar grammar.
    enum class Bar { None, Body, Trailer };
    // How far the start of the line matches a bar header ("Writing | ").
    enum class Header { Start, Word, Space, Pipe, Dead };

    void take(char c, std::vector<std::string>& out);
    void append(char c, std::vector<std::string>& out);
    void headerStep(char c, std::vector<std::string>& out);
    void barStep(char c, std::vector<std::string>& out);
    void startBar(std::vector<std::string>& out);
    void lineEnd(std::vector<std::string>& out);
    void carriageReturn(std::vector<std::string>& out);
    void flushDrawing(std::vector<std::string>& out);
    void emitBar(std::string text, std::vector<std::string>& out);
    void emitText(const std::string& text, std::vector<std::string>& out);
    void restartLine(bool atLineStart);

    std::string line;           // the line being assembled
    std::string drawing;        // a bar drawing a lone '\r' ended: the next one may replace it
    std::string drawingPhase;
    bool carriageReturnPending = false; // a '\r' whose meaning the next byte decides
    bool redrawn = false;       // the line began after a lone '\r' (the terminal form)
    bool lastWasBlank = false;
    Bar bar = Bar::None;
    Header header = Header::Start;
    int hashes = 0;
    int number = -1;            // the trailer's number so far (-1: none), the percent before '%'

    std::string currentPhase;
    int currentPercent = 0;
    std::string errorLine;
    int errorRank = 0;
};

// The status-line text while the programmer runs: "Writing 42%, 12 s"; before any progress
// "Programming, 3 s".
std::string progressText(const std::string& phase, int percent, unsigned seconds);

// The one line that ends the log view after a failed run: what failed ("Programming failed"),
// the reason, taken from the last error line, and one short hint for the common causes; with
// no error line, the exit code.
std::string failureReason(const std::string& lastError, unsigned long exitCode,
                          const std::string& failed = "Programming failed");

// Whether the last error line says that the board's flash and the file differ.
bool saysContentDiffers(const std::string& lastError);
