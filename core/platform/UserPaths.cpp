// Finding and creating the per-user folders.
#include "core/platform/UserPaths.h"

#include "core/platform/Log.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string homeDir() {
    std::string home = environment("HOME");
    if (!home.empty()) {
        return home;
    }
    // A service started without HOME still has an entry in the password database.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        home = found->pw_dir;
    }
    return home;
}

// Relative values are ignored by the XDG rules: they would move with the working directory.
std::string baseDir(const char* variable, const std::string& home, const char* fallback) {
    const std::string value = environment(variable);
    if (!value.empty() && value.front() == '/') {
        return value;
    }
    return home.empty() ? "" : home + "/" + fallback;
}

std::string appDir(const std::string& base, const std::string& appName) {
    return base.empty() ? "" : (fs::path(base) / appName).lexically_normal().string();
}

std::string fileBelow(const std::string& dir, const std::string& relativePath) {
    if (dir.empty()) {
        logWarning("No home folder found for ", relativePath, ": set HOME or the XDG folders");
        return "";
    }
    const fs::path path = fs::path(dir) / relativePath;
    const fs::path parent = path.parent_path();
    std::error_code error;
    if (!fs::is_directory(parent, error)) {
        // Only the folders made here get 0700; existing ones keep what their owner gave them.
        fs::path made;
        for (const fs::path& part : parent) {
            made /= part;
            if (fs::is_directory(made, error)) {
                continue;
            }
            // Another copy of the game may make the same folder at the same moment.
            std::error_code again;
            if (!fs::create_directory(made, error) && !fs::is_directory(made, again)) {
                logWarning("Cannot create folder ", made.string(), ": ",
                           error ? error.message() : "a file of that name is in the way");
                return "";
            }
            fs::permissions(made, fs::perms::owner_all, fs::perm_options::replace, error);
        }
    }
    return path.string();
}

} // namespace

UserPaths::UserPaths(const std::string& appName) {
    const std::string home = homeDir();
    config = appDir(baseDir("XDG_CONFIG_HOME", home, ".config"), appName);
    data = appDir(baseDir("XDG_DATA_HOME", home, ".local/share"), appName);
}

std::string UserPaths::configFile(const std::string& relativePath) const {
    return fileBelow(config, relativePath);
}

std::string UserPaths::dataFile(const std::string& relativePath) const {
    return fileBelow(data, relativePath);
}
