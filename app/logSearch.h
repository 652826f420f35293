// Finding text in the log view's text: what Find Next in the Find dialog looks for. Plain: the
// text in, where the match is out.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <stddef.h>

#include <string>

struct LogSearch {
    std::string wanted;     // in the code page, as the view holds its text
    bool down = true;       // towards the end of the view
    bool matchCase = false; // otherwise letters match in either case, as the code page folds them
};

// Where the next match of search.wanted in text starts, looking from from: down, the first
// match starting at or after from (the end of the selection); up, the last one starting before
// from (the start of the selection). npos when there is none, or nothing is wanted.
size_t findInLog(const std::string& text, size_t from, const LogSearch& search);
