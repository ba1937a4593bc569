// An INI file read once through inih's INIReader. Section and key lookups are
// case-insensitive; a file that cannot be read warns once and yields defaults.
#pragma once

#include <INIReader.h>

#include <string>

class ConfigFile : public INIReader {
public:
    explicit ConfigFile(const std::string& path);
    // Parses text already in memory; nothing is logged.
    ConfigFile(const char* text, size_t size) : INIReader(text, size) {}

    bool missing() const { return ParseError() < 0; }
};
