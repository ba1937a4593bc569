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

template <typename... Args> void logInfo(const Args&... args) { logLine(LogLevel::Info, concat(args...)); }
template <typename... Args> void logWarning(const Args&... args) { logLine(LogLevel::Warning, concat(args...)); }
template <typename... Args> void logError(const Args&... args) { logLine(LogLevel::Error, concat(args...)); }
