// File-system helpers for the generators: folders, text files and copies.
// Failures are reported on stderr and counted, so that the generator can finish
// the other assets and still exit with an error.
#pragma once

#include <atomic>
#include <string>

class Output {
public:
    static bool makeParentDirs(const std::string& path);
    static bool writeText(const std::string& path, const std::string& text);
    static bool copyFile(const std::string& from, const std::string& to);

    static void fail(const std::string& message);
    static int failures() { return failureCount.load(); }

private:
    static std::atomic<int> failureCount;
};
