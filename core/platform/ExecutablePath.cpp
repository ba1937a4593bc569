// The executable's folder from /proc, which also sees through links and relative starts.
#include "core/platform/ExecutablePath.h"

#include <filesystem>

std::string executableDir() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : exe.parent_path().string();
}
