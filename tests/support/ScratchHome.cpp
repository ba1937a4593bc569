// Saving and restoring the home-folder variables around a scratch folder.
#include "support/ScratchHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

ScratchHome::ScratchHome() {
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        unsetenv(name);
    }
    std::string pattern = ::testing::TempDir() + "home_XXXXXX";
    dir = mkdtemp(pattern.data());
    setenv("HOME", home().c_str(), 1);
}

ScratchHome::~ScratchHome() {
    for (const auto& [name, value] : saved) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::error_code error;
    std::filesystem::remove_all(dir, error);
}
