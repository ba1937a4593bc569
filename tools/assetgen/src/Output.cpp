// See Output.h.
#include "Output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

std::atomic<int> Output::failureCount{0};

bool Output::makeParentDirs(const std::string& path) {
    std::error_code error;
    const fs::path parent = fs::path(path).parent_path();
    if (parent.empty())
        return true;
    fs::create_directories(parent, error);
    if (error) {
        fail("Cannot create folder " + parent.string() + ": " + error.message());
        return false;
    }
    return true;
}

bool Output::writeText(const std::string& path, const std::string& text) {
    if (!makeParentDirs(path))
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file) {
        fail("Cannot write " + path);
        return false;
    }
    return true;
}

bool Output::copyFile(const std::string& from, const std::string& to) {
    if (!makeParentDirs(to))
        return false;
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    if (error) {
        fail("Cannot copy " + from + " to " + to + ": " + error.message());
        return false;
    }
    return true;
}

void Output::fail(const std::string& message) {
    ++failureCount;
    std::fprintf(stderr, "%s\n", message.c_str());
}
