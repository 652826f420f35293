// Reads the programmer's output one byte at a time, so that however the pipe splits it the
// same lines come out.
//
// avrdude draws a progress bar per phase. Into a pipe it writes a header ("Writing | ") and then
// one '#' per 2 % as the work goes on, and the rest (" | 100% 0.21s") at the end; on a terminal
// it redraws the whole bar after each '\r'. Either way the log view gets one line per bar: the
// whole bar, or the last drawing of it. A lone '\r' therefore keeps a drawing aside until the
// next byte shows whether a new drawing of the same phase replaces it. Anything that does not
// fit a bar ends it early, as avrdude's error messages do when they cut into one.
//
// Subsystem floor (programming/): knows no window; includes serial/ and platform/ only.
#include "programmerOutput.h"

#include <algorithm>

namespace {

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

bool isLetter(char c)
{
    return isUpper(c) || (c >= 'a' && c <= 'z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Only ASCII letters change: the output may hold any byte, and tolower would take the
// bytes 0x80-0xFF for negative values.
std::string lowered(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        if (isUpper(c)) {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool contains(const std::string& text, const char* words)
{
    return text.find(words) != std::string::npos;
}

// Words (in lower case) of a line that reports a failure. avrdude's ordinary lines ("850 bytes
// of flash written", "Device signature = ...", "done.  Thank you.") hold none of them.
const char* const kErrorWords[] = {
    "error", "fail", "timeout", "timed out", "can't", "cannot", "could not", "unable",
    "mismatch", "not respond", "not in sync", "no such file", "out of range", "invalid",
    "refused", "denied",
};

bool readsLikeError(const std::string& lowerLine)
{
    for (const char* words : kErrorWords) {
        if (contains(lowerLine, words)) {
            return true;
        }
    }
    return false;
}

// The common causes of a failed run, each with its own hint.
enum class Cause { Other, NoBoard, UnreadableFile, Verification };

struct CauseWords {
    const char* words;
    Cause cause;
    bool followUp; // a line that only repeats what an earlier one said more precisely
};

// Searched in this order: a record checksum mismatch is the file's fault, not the flash's, so
// the file's words come before "mismatch".
const CauseWords kCauses[] = {
    {"input file", Cause::UnreadableFile, false},
    {"no such file", Cause::UnreadableFile, false},
    {"checksum", Cause::UnreadableFile, false},
    {"ihex", Cause::UnreadableFile, false},
    {"intel hex", Cause::UnreadableFile, false},
    {"out of range", Cause::UnreadableFile, false},
    {"read from file", Cause::UnreadableFile, true},
    {"verification error", Cause::Verification, false},
    {"mismatch", Cause::Verification, false},
    {"getsync", Cause::NoBoard, false},
    {"timeout", Cause::NoBoard, false},
    {"timed out", Cause::NoBoard, false},
    {"not respond", Cause::NoBoard, false},
    {"not in sync", Cause::NoBoard, false},
    {"can't open device", Cause::NoBoard, false},
    {"ser_open", Cause::NoBoard, false},
};

const CauseWords* causeOf(const std::string& lowerLine)
{
    for (const CauseWords& entry : kCauses) {
        if (contains(lowerLine, entry.words)) {
            return &entry;
        }
    }
    return nullptr;
}

// How telling an error line is: one naming a known cause beats a general one ("initialization
// failed" after the timeouts that caused it), and a follow-up line counts for less.
int rankOf(const std::string& lowerLine)
{
    const CauseWords* entry = causeOf(lowerLine);
    if (entry == nullptr) {
        return 1;
    }
    return entry->followUp ? 2 : 3;
}

const char* hintFor(Cause cause)
{
    switch (cause) {
    case Cause::NoBoard:
        return "No board answered: check that the right port is selected and press the board's "
               "reset button, then try again.";
    case Cause::UnreadableFile:
        return "The programmer could not read the firmware file: check the path and that it is "
               "an Intel HEX file.";
    case Cause::Verification:
        return "What was written differs from the file: flash it again.";
    case Cause::Other:
        break;
    }
    return "";
}

} // namespace

std::vector<std::string> ProgrammerOutput::feed(const char* bytes, size_t count)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < count; ++i) {
        take(bytes[i], out);
    }
    return out;
}

std::vector<std::string> ProgrammerOutput::finish()
{
    std::vector<std::string> out;
    carriageReturnPending = false;
    if (bar != Bar::None) {
        emitBar(line, out);
    } else {
        flushDrawing(out);
        if (!line.empty()) {
            emitText(line, out);
        }
    }
    restartLine(true);
    return out;
}

void ProgrammerOutput::take(char c, std::vector<std::string>& out)
{
    if (c == '\0') {
        return; // shows nothing, and would end the text in the log view
    }
    if (carriageReturnPending) {
        carriageReturnPending = false;
        if (c == '\n') {
            lineEnd(out);
            return;
        }
        carriageReturn(out);
    }
    if (c == '\r') {
        carriageReturnPending = true;
    } else if (c == '\n') {
        lineEnd(out);
    } else {
        append(c, out);
    }
}

void ProgrammerOutput::append(char c, std::vector<std::string>& out)
{
    if (bar != Bar::None) {
        barStep(c, out);
    } else {
        line += c;
        headerStep(c, out);
    }
    if (line.size() >= kMaxLine) {
        if (bar != Bar::None) {
            emitBar(line, out);
        } else {
            flushDrawing(out);
            emitText(line, out);
        }
        restartLine(false);
    }
}

void ProgrammerOutput::headerStep(char c, std::vector<std::string>& out)
{
    switch (header) {
    case Header::Start:
        header = isUpper(c) ? Header::Word : Header::Dead;
        break;
    case Header::Word:
        if (!isLetter(c)) {
            header = c == ' ' ? Header::Space : Header::Dead;
        }
        break;
    case Header::Space:
        header = c == '|' ? Header::Pipe : Header::Dead;
        break;
    case Header::Pipe:
        if (c == ' ') {
            startBar(out);
            return;
        }
        header = Header::Dead;
        break;
    case Header::Dead:
        return;
    }
    if (header == Header::Dead) {
        flushDrawing(out); // this line is no new drawing, so the kept one was the last
    }
}

void ProgrammerOutput::startBar(std::vector<std::string>& out)
{
    std::string name = line.substr(0, line.size() - 3);
    if (!drawing.empty() && drawingPhase == name) {
        drawing.clear(); // replaced by this drawing; the percent stays until its own arrives
    } else {
        flushDrawing(out);
        currentPercent = 0;
    }
    currentPhase = name;
    bar = Bar::Body;
    hashes = 0;
    number = -1;
}

void ProgrammerOutput::barStep(char c, std::vector<std::string>& out)
{
    if (bar == Bar::Body) {
        if (c == '#' || c == ' ' || c == '-') {
            line += c;
            // A drawing on a terminal states its percent; in a pipe the #s are the progress.
            if (c == '#' && !redrawn) {
                ++hashes;
                currentPercent = std::min(100, 2 * hashes);
            }
            return;
        }
        if (c == '|') {
            line += c;
            bar = Bar::Trailer;
            return;
        }
    } else {
        if (isDigit(c)) {
            line += c;
            number = std::min(1000, std::max(number, 0) * 10 + (c - '0'));
            return;
        }
        if (c == '%' || c == ' ' || c == '.' || c == 's') {
            line += c;
            if (c == '%' && number >= 0) {
                currentPercent = std::min(100, number);
            }
            number = -1;
            return;
        }
    }
    // Text that cuts into the bar (an error message): the bar so far is one line, the text
    // starts the next.
    emitBar(line, out);
    restartLine(true);
    append(c, out);
}

void ProgrammerOutput::lineEnd(std::vector<std::string>& out)
{
    if (bar != Bar::None) {
        emitBar(line, out);
    } else if (!line.empty()) {
        flushDrawing(out);
        emitText(line, out);
    } else if (!drawing.empty()) {
        flushDrawing(out); // the line end after a terminal bar's last drawing
    } else {
        emitText("", out);
    }
    restartLine(true);
}

// A '\r' with no '\n' after it: on a terminal the next text overwrites this line.
void ProgrammerOutput::carriageReturn(std::vector<std::string>& out)
{
    if (bar != Bar::None) {
        drawing = line;
        drawingPhase = currentPhase;
    } else if (!line.empty()) {
        flushDrawing(out);
        emitText(line, out); // ordinary text is never lost to an overwrite
    }
    restartLine(true);
    redrawn = true;
}

void ProgrammerOutput::flushDrawing(std::vector<std::string>& out)
{
    if (!drawing.empty()) {
        emitBar(drawing, out);
        drawing.clear();
    }
}

void ProgrammerOutput::emitBar(std::string text, std::vector<std::string>& out)
{
    // A terminal drawing is padded to its full width; the blanks after its end mean nothing.
    size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    lastWasBlank = false;
    out.push_back(text);
}

void ProgrammerOutput::emitText(const std::string& text, std::vector<std::string>& out)
{
    if (text.empty()) {
        // avrdude separates its bars with runs of blank lines; one is enough to read.
        if (!lastWasBlank) {
            out.push_back(text);
        }
        lastWasBlank = true;
        return;
    }
    lastWasBlank = false;
    std::string lowerText = lowered(text);
    if (readsLikeError(lowerText)) {
        int rank = rankOf(lowerText);
        if (rank >= errorRank) {
            errorRank = rank;
            errorLine = trimmed(text);
        }
    }
    out.push_back(text);
}

void ProgrammerOutput::restartLine(bool atLineStart)
{
    line.clear();
    bar = Bar::None;
    header = atLineStart ? Header::Start : Header::Dead;
    redrawn = false;
    hashes = 0;
    number = -1;
}

std::string progressText(const std::string& phase, int percent, unsigned seconds)
{
    std::string elapsed = std::to_string(seconds) + " s";
    if (phase.empty()) {
        return "Programming, " + elapsed;
    }
    int shown = std::min(100, std::max(0, percent));
    return phase + " " + std::to_string(shown) + "%, " + elapsed;
}

std::string failureReason(const std::string& lastError, unsigned long exitCode,
                          const std::string& failed)
{
    std::string reason = trimmed(lastError);
    if (reason.empty()) {
        return failed + ": the programmer ended with exit code " + std::to_string(exitCode) + ".";
    }
    std::string text = failed + ": " + reason;
    if (text.back() != '.') {
        text += '.';
    }
    const CauseWords* entry = causeOf(lowered(reason));
    if (entry != nullptr) {
        text += ' ';
        text += hintFor(entry->cause);
    }
    return text;
}

bool saysContentDiffers(const std::string& lastError)
{
    const CauseWords* entry = causeOf(lowered(lastError));
    return entry != nullptr && entry->cause == Cause::Verification;
}
