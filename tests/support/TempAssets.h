// A throw-away assets folder for one test: files written into it are found
// through the resource loader like real assets. Removed with everything in it.
#pragma once

#include "support/TestEngine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TempAssets {
public:
    TempAssets() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tw-resources-XXXXXX").string();
        dir = std::string(mkdtemp(pattern.data())) + "/";
    }
    ~TempAssets() {
        std::error_code error;
        std::filesystem::remove_all(dir, error);
    }
    TempAssets(const TempAssets&) = delete;
    TempAssets& operator=(const TempAssets&) = delete;

    // Writes contents to dir/relative, creating folders on the way; returns the full path.
    std::string write(const std::string& relative, const std::string& contents) const {
        const std::filesystem::path path = dir + relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << contents;
        return path.string();
    }

    std::string makeDir(const std::string& relative) const {
        std::filesystem::create_directories(dir + relative);
        return dir + relative;
    }

    Config config() const {
        Config result = testConfig();
        result.assetsDir = dir;
        return result;
    }

    std::string dir;
};
