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
    void clear() { lines.clear(); }

    std::vector<LoggedLine> lines;
};
