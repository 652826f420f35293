// The command history's rules: newest first, no repeat in a row, at most kMostKept, and a draft
// that comes back past the newest.
//
// Top floor (app/, the window): may include every floor below it.
#include "commandHistory.h"

void CommandHistory::add(const std::string& command)
{
    if (commands.empty() || commands.front() != command) {
        commands.insert(commands.begin(), command);
    }
    if (commands.size() > kMostKept) {
        commands.resize(kMostKept);
    }
    stepping = false;
}

void CommandHistory::restore(const std::vector<std::string>& newestFirst)
{
    commands.clear();
    for (auto command = newestFirst.rbegin(); command != newestFirst.rend(); ++command) {
        add(*command);
    }
}

bool CommandHistory::isStepping(const std::string& fieldText) const
{
    // A recalled command the user changed is their text now, not a step.
    return stepping && at < commands.size() && commands[at] == fieldText;
}

bool CommandHistory::older(const std::string& fieldText, std::string& shown)
{
    if (commands.empty()) {
        return false;
    }
    if (!isStepping(fieldText)) {
        draft = fieldText;
        stepping = true;
        at = 0;
    } else if (at + 1 < commands.size()) {
        ++at;
    }
    shown = commands[at];
    return true;
}

bool CommandHistory::newer(const std::string& fieldText, std::string& shown)
{
    if (!isStepping(fieldText)) {
        stepping = false;
        return false;
    }
    if (at == 0) {
        stepping = false;
        shown = draft;
    } else {
        shown = commands[--at];
    }
    return true;
}
