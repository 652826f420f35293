// How much the log view keeps, and the notice that replaces what it dropped.
//
// Top floor (app/, the window): may include every floor below it.
#include "logViewLimit.h"

#include <string.h>

size_t logViewCutPoint(const char* text, size_t length, size_t limit, size_t kept)
{
    if (length <= limit) {
        return 0;
    }
    size_t earliest = length - kept;
    const char* lineFeed = static_cast<const char*>(memchr(text + earliest - 1, '\n', kept + 1));
    if (lineFeed == nullptr || static_cast<size_t>(lineFeed + 1 - text) >= length) {
        return earliest;
    }
    return lineFeed + 1 - text;
}

std::string removedLinesNotice(const std::string& logFilePath)
{
    std::string notice = "-- Earlier lines were removed from this view";
    if (!logFilePath.empty()) {
        notice += "; the log file " + logFilePath + " has them";
    }
    return notice + " --\r\n";
}
