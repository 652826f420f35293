// The commands sent, as Up and Down step through them in the command field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commandHistory.h"

namespace {

// The field's text after keys: U and D press Up and Down, e edits the field, s sends it.
std::string fieldAfter(const std::vector<std::string>& sent, const std::string& keys)
{
    CommandHistory history;
    for (const std::string& command : sent) {
        history.add(command);
    }
    std::string field = "draft", shown;
    for (char key : keys) {
        if (key == 'e') {
            field += "!";
        } else if (key == 's') {
            history.add(field);
        } else if (key == 'U' ? history.older(field, shown) : history.newer(field, shown)) {
            field = shown;
        }
    }
    return field;
}

TEST(CommandHistory, UpAndDownStepThroughTheCommandsSent)
{
    std::vector<std::string> sixty;
    for (int i = 0; i < 60; ++i) {
        sixty.push_back("cmd" + std::to_string(i));
    }
    const struct { std::vector<std::string> sent; std::string keys, shown; } cases[] = {
        {{}, "UUD", "draft"},             // nothing sent yet
        {{"a", "b", "c"}, "U", "c"},      // newest first
        {{"a", "b", "c"}, "UU", "b"},
        {{"a", "b", "c"}, "UUUUU", "a"},  // the oldest stays
        {{"a", "b", "c"}, "UUUD", "b"},
        {{"a", "b", "c"}, "UUDD", "draft"}, // past the newest: what was typed
        {{"a", "b", "c"}, "D", "draft"},
        {{"a", "b", "b", "a", "a"}, "UU", "b"}, // no repeat in a row
        {{"a", "b", "c"}, "UUeU", "c"},   // an edited command starts afresh...
        {{"a", "b", "c"}, "UUeUD", "b!"}, // ...and comes back as the draft
        {{"a", "b", "c"}, "UUsUU", "c"},  // a send starts afresh too
        {sixty, std::string(60, 'U'), "cmd10"}, // the last 50 are kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldAfter(c.sent, c.keys), c.shown) << c.keys << " after " << c.sent.size();
    }
}

TEST(CommandHistory, RememberedCommandsFollowTheSameRules)
{
    CommandHistory history;
    std::vector<std::string> remembered = {"b", "b", "a"};
    for (int i = 0; i < 60; ++i) {
        remembered.push_back(std::to_string(i));
    }
    history.restore(remembered);
    const std::vector<std::string>& kept = history.entries();
    EXPECT_EQ(std::vector<std::string>(kept.begin(), kept.begin() + 3),
              std::vector<std::string>({"b", "a", "0"}));
    EXPECT_EQ(kept.size(), CommandHistory::kMostKept);
}

} // namespace
