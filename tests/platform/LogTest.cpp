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
    // The second line is decimal again; "short" keeps nothing of the longer line before it.
    EXPECT_EQ(lines, (std::vector<std::string>{"status 0xff", "255 0.333333", std::string(300, 'x'), "short",
                                               "boom 7", "seen: boom 7 2.5"}));
}
