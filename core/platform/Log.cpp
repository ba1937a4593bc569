// Console logging with ANSI colours standing in for the console palette.
#include "core/platform/Log.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

LogListener listener;
// Image decoders on loading threads may log too: lines must not interleave. A
// listener that logs in turn must not deadlock.
std::recursive_mutex logMutex;

const char* ansiColor(int paletteColor) {
    switch (paletteColor) {
    case logColorYellow: return "\033[93m";
    case logColorRed: return "\033[91m";
    default: return "\033[37m";
    }
}

int paletteColor(LogLevel level) {
    switch (level) {
    case LogLevel::Warning: return logColorYellow;
    case LogLevel::Error: return logColorRed;
    default: return logColorGrey;
    }
}

} // namespace

void setLogListener(LogListener newListener) {
    const std::lock_guard<std::recursive_mutex> lock(logMutex);
    listener = std::move(newListener);
}

void logLine(LogLevel level, const std::string& message) {
    // Colours only make sense on a terminal; piped output stays plain text.
    static const bool colour = isatty(fileno(stdout)) != 0;
    const std::lock_guard<std::recursive_mutex> lock(logMutex);
    if (colour) {
        std::fputs(ansiColor(paletteColor(level)), stdout);
    }
    std::fputs(message.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (listener) {
        listener(level, message);
    }
}
