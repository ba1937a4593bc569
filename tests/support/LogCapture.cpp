// Log capture through the log listener.
#include "support/LogCapture.h"

LogCapture::LogCapture() {
    setLogListener([this](LogLevel level, const std::string& text) { lines.push_back({level, text}); });
}

LogCapture::~LogCapture() {
    setLogListener(nullptr);
}

bool LogCapture::contains(const std::string& text) const {
    return indexOf(text) >= 0;
}

int LogCapture::count(const std::string& text) const {
    int n = 0;
    for (const LoggedLine& line : lines) {
        n += line.text == text ? 1 : 0;
    }
    return n;
}

int LogCapture::indexOf(const std::string& text) const {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].text == text) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::vector<std::string> LogCapture::startingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const LoggedLine& line : lines) {
        if (line.text.rfind(prefix, 0) == 0) {
            found.push_back(line.text.substr(prefix.size()));
        }
    }
    return found;
}

std::vector<std::string> LogCapture::at(LogLevel level) const {
    std::vector<std::string> found;
    for (const LoggedLine& line : lines) {
        if (line.level == level) {
            found.push_back(line.text);
        }
    }
    return found;
}
