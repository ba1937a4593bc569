// Console logging with ANSI colours standing in for the console palette.
#include "core/platform/Log.h"

#include <cstdio>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <unistd.h>

namespace {

LogListener listener;
// Image decoders on loading threads may log too: lines must not interleave. A
// listener that logs in turn must not deadlock.
std::recursive_mutex logMutex;

const char* ansiColor(int paletteColor) {
    switch (paletteColor) {
    case logColorYellow:
        return "\033[93m";
    case logColorRed:
        return "\033[91m";
    default:
        return "\033[37m";
    }
}

int paletteColor(LogLevel level) {
    switch (level) {
    case LogLevel::Warning:
        return logColorYellow;
    case LogLevel::Error:
        return logColorRed;
    default:
        return logColorGrey;
    }
}

// An ostream's buffer that appends to a string kept from line to line.
class LineBuffer : public std::streambuf {
public:
    std::string line;

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            line.push_back(traits_type::to_char_type(c));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        line.append(text, static_cast<size_t>(count));
        return count;
    }
};

struct ThreadLine {
    LineBuffer buffer;
    std::ostream out{&buffer};
    bool writing = false;
};

ThreadLine& threadLine() {
    thread_local ThreadLine line;
    return line;
}

} // namespace

std::ostream* logDetail::beginLine() {
    ThreadLine& line = threadLine();
    if (line.writing) {
        return nullptr;
    }
    line.writing = true;
    line.buffer.line.clear();
    // A line that wrote std::hex or a precision must not pass it on to the next.
    line.out.clear();
    line.out.flags(std::ios_base::dec | std::ios_base::skipws);
    line.out.precision(6);
    line.out.width(0);
    line.out.fill(' ');
    return &line.out;
}

void logDetail::endLine(LogLevel level) {
    ThreadLine& line = threadLine();
    logLine(level, line.buffer.line);
    line.writing = false;
}

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
