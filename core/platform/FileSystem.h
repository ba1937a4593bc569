// Small file-system helpers for the asset loaders: existence tests, whole-file
// reads and a directory listing that never follows a link back into itself.
#pragma once

#include <string>
#include <vector>

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;
};

bool isRegularFile(const std::string& path);

// Entries of dir without "." and "..", in the file system's own order. Links to
// directories are reported as plain entries, so a search never loops through them.
std::vector<DirectoryEntry> listDirectory(const std::string& dir);

// Reads a whole file; false when it cannot be opened or is not a regular file.
bool readFile(const std::string& path, std::string& contents);
