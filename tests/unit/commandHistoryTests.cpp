// The commands sent, as Up and Down step through them in the command field.
#include <gtest/gtest.h>

#include "commandHistory.h"

namespace {

TEST(CommandHistory, UpAndDownStepThroughTheCommandsSent)
{
    std::vector<std::string> sixty;
    for (int i = 59; i >= 0; --i) {
        sixty.push_back("cmd" + std::to_string(i));
    }
    // The commands remembered (newest first), Up (U) and Down (D) pressed in the field holding
    // "draft", and what it shows then. The robot covers edits and sends between the keys.
    const struct { std::vector<std::string> sent; std::string keys, shown; } cases[] = {
        {{}, "UUD", "draft"},           {{"c", "b", "a"}, "U", "c"},
        {{"c", "b", "a"}, "UU", "b"},   {{"c", "b", "a"}, "UUUUU", "a"}, // the oldest stays
        {{"c", "b", "a"}, "UUUD", "b"}, {{"c", "b", "a"}, "UUDD", "draft"},
        {{"c", "b", "a"}, "D", "draft"}, {{"a", "a", "b", "a"}, "UU", "b"}, // no repeat in a row
        {sixty, std::string(60, 'U'), "cmd10"}, // the last 50 are kept
    };
    for (const auto& c : cases) {
        CommandHistory history;
        history.restore(c.sent);
        std::string field = "draft", shown;
        for (char key : c.keys) {
            if (key == 'U' ? history.older(field, shown) : history.newer(field, shown)) {
                field = shown;
            }
        }
        EXPECT_EQ(field, c.shown) << c.keys << " after " << c.sent.size();
    }
}

} // namespace
