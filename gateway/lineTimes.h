// Times in the log view: with them on, each line the gateway sends starts in the view with
// "HH:MM:SS.mmm ", the time the log file writes for that line. The file stamps a line with the
// poll that completed it, so the view holds a line back until its line feed has arrived and
// then shows it whole with that time; the program's own lines (a command sent) go in between,
// as in the file.
//
// Subsystem floor (gateway/): knows no window; includes serial/ and platform/ only.
#pragma once

#include <stddef.h>

#include <string>

#include "logFile.h"

// "HH:MM:SS.mmm " into text (at least 14 bytes).
void formatLineTime(const LogTime& time, char* text);

class LineTimes {
public:
    bool isOn() const { return on; }
    // Times from the next line on; a line the view is in the middle of (viewMidLine) is
    // finished as it started, without a time.
    void turnOn(bool viewMidLine);
    // No more times. The line held back is returned, with its time, for the view to show.
    std::string turnOff(const LogTime& time);

    // What the view shows of received text that arrived at time: with times off the text as it
    // is; with them on every line completed by it, each with the time, a partial line held back
    // (and let out as a line of its own past LogFile::kLongestLine, as the file does).
    std::string add(const char* text, size_t count, const LogTime& time);
    // The line held back, with time and without a line end, for the view to show now (the port
    // went away, log mode stopped); empty when none is held.
    std::string release(const LogTime& time);

private:
    bool on = false;
    bool finishingUntimed = false; // the line the view was in when times came on
    std::string held;
};
