// Console logging: one line per message on standard output, coloured by level.
// Grey for information, yellow for warnings, red for errors; the colour is set
// before printing and never reset, and there are no prefixes or timestamps.
#pragma once

#include <functional>
#include <sstream>
#include <string>

enum class LogLevel { Info, Warning, Error };

// Console colour codes as the console palette numbers them.
constexpr int logColorGrey = 7;
constexpr int logColorYellow = 14;
constexpr int logColorRed = 12;

void logLine(LogLevel level, const std::string& message);

// Tests watch the log through a listener; it sees every line as it is printed.
using LogListener = std::function<void(LogLevel, const std::string&)>;
void setLogListener(LogListener listener);

template <typename... Args> std::string concat(const Args&... args) {
    std::ostringstream out;
    (out << ... << args);
    return out.str();
}

namespace logDetail {
// The calling thread's line buffer, emptied; null while that thread is already
// writing a line (a listener that logs), which then formats a line of its own.
std::ostream* beginLine();
// Logs what was written to the buffer since beginLine.
void endLine(LogLevel level);
} // namespace logDetail

// Lines are formatted into a buffer each thread reuses, so that logging in a
// race (a kart crossing a trigger) allocates nothing once lines have grown.
template <typename... Args> void logAt(LogLevel level, const Args&... args) {
    if (std::ostream* out = logDetail::beginLine()) {
        (*out << ... << args);
        logDetail::endLine(level);
    } else {
        logLine(level, concat(args...));
    }
}

template <typename... Args> void logInfo(const Args&... args) {
    logAt(LogLevel::Info, args...);
}
template <typename... Args> void logWarning(const Args&... args) {
    logAt(LogLevel::Warning, args...);
}
template <typename... Args> void logError(const Args&... args) {
    logAt(LogLevel::Error, args...);
}
