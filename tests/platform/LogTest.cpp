// Log lines as listeners see them: each formatted afresh although the buffer
// behind them is reused, and a listener may log in turn.
#include "core/platform/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Log, LinesStartFreshAndAListenerMayLogInTurn) {
    std::vector<std::string> lines;
    setLogListener([&lines](LogLevel level, const std::string& text) {
        lines.push_back(text);
        if (level == LogLevel::Error) {
            logInfo("seen: ", text, " ", 2.5f);
        }
    });
    logInfo("status 0x", std::hex, 255);
    logInfo(255, " ", 1.0 / 3.0);
    logWarning(std::string(300, 'x'));
    logInfo("short");
    logError("boom ", 7);
    setLogListener(nullptr);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "status 0xff");
    EXPECT_EQ(lines[1], "255 0.333333") << "a line's std::hex stays in that line";
    EXPECT_EQ(lines[2], std::string(300, 'x'));
    EXPECT_EQ(lines[3], "short") << "nothing left of the longer line before";
    EXPECT_EQ(lines[4], "boom 7");
    EXPECT_EQ(lines[5], "seen: boom 7 2.5");
}
