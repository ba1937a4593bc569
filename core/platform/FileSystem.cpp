// File-system helpers on std::filesystem.
#include "core/platform/FileSystem.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

bool isRegularFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

std::vector<DirectoryEntry> listDirectory(const std::string& dir) {
    std::vector<DirectoryEntry> entries;
    std::error_code error;
    fs::directory_iterator it(dir, error);
    if (error) {
        return entries;
    }
    for (const fs::directory_entry& entry : it) {
        std::error_code statusError;
        // symlink_status: a link is never entered, so link cycles cannot trap the search.
        const bool isDirectory = fs::is_directory(entry.symlink_status(statusError));
        entries.push_back({entry.path().filename().string(), isDirectory});
    }
    return entries;
}

bool readFile(const std::string& path, std::string& contents) {
    if (!isRegularFile(path)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return true;
}
