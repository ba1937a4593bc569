// Reading INI files with the one warning the reader prints itself.
#include "core/runtime/ConfigFile.h"

#include "core/platform/Log.h"

ConfigFile::ConfigFile(const std::string& path) : INIReader(path) {
    if (missing()) {
        logWarning("WARNING: ", path, " not found! Using defaults instead.");
    }
}
