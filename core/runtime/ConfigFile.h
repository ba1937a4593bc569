// An INI file read once through inih's INIReader. Section and key lookups are
// case-insensitive; a file that cannot be read warns once and yields defaults.
#pragma once

#include <INIReader.h>

#include <string>

class ConfigFile : public INIReader {
public:
    explicit ConfigFile(const std::string& path);

    bool missing() const { return ParseError() < 0; }
};
