// Records every log line printed while it lives, for assertions on log output.
#pragma once

#include "core/platform/Log.h"

#include <string>
#include <vector>

struct LoggedLine {
    LogLevel level;
    std::string text;
};

class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    bool contains(const std::string& text) const;
    int count(const std::string& text) const;
    // Index of the first line equal to text, or -1.
    int indexOf(const std::string& text) const;
    // The lines that start with prefix, in order, without the prefix.
    std::vector<std::string> startingWith(const std::string& prefix) const;
    // The lines logged at level, in order.
    std::vector<std::string> at(LogLevel level) const;
    void clear() { lines.clear(); }

    std::vector<LoggedLine> lines;
};
