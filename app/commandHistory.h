// The commands sent from "Command To Send", newest first, and the stepping through them that Up
// and Down do in the field. It knows no window: the window hands it the field's text and shows
// what it returns, so the rules are tested without one.
//
// Top floor (app/, the window): may include every floor below it.
#pragma once

#include <string>
#include <vector>

class CommandHistory {
public:
    // The most commands kept (and remembered in the settings file).
    static constexpr size_t kMostKept = 50;

    // A command that was sent: it becomes the newest, unless it is the newest already, and the
    // oldest beyond kMostKept goes. Stepping starts afresh.
    void add(const std::string& command);
    // Replaces the commands with remembered ones, newest first, under the same rules as add.
    void restore(const std::vector<std::string>& newestFirst);
    const std::vector<std::string>& entries() const { return commands; }

    // Up: the command before the one shown, or the newest when the field holds anything else
    // (a fresh field, or a recalled command the user edited: that text becomes the draft).
    // The oldest stays. False when there is nothing to show (no commands).
    bool older(const std::string& fieldText, std::string& shown);
    // Down: the command after the one shown, or the draft past the newest. False when the
    // field shows no recalled command (nothing to step back to).
    bool newer(const std::string& fieldText, std::string& shown);

private:
    bool isStepping(const std::string& fieldText) const;

    std::vector<std::string> commands; // newest first
    size_t at = 0;                     // the command shown while stepping
    bool stepping = false;
    std::string draft;                 // what the field held before stepping
};
