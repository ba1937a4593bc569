// Temp file, fsync, rename, fsync of the folder.
#include "core/platform/AtomicWrite.h"

#include "core/platform/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool fail(const std::string& path, const char* step, int error) {
    logWarning("Could not save ", path, ": ", step, " failed (", std::strerror(error), ")");
    return false;
}

bool writeAll(int fd, const std::string& contents) {
    const char* next = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        next += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

mode_t newFileMode(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        return old.st_mode & 07777;
    }
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0644 & ~mask;
}

} // namespace

bool writeFileAtomically(const std::string& path, const std::string& contents) {
    if (path.empty()) {
        return fail(path, "naming the file", ENOENT);
    }
    // A player who links the file elsewhere (a dotfiles folder) keeps the link.
    std::error_code linkError;
    fs::path target(path);
    if (fs::is_symlink(target, linkError)) {
        const fs::path resolved = fs::weakly_canonical(target, linkError);
        if (!linkError && !resolved.empty()) {
            target = resolved;
        }
    }
    fs::path dir = target.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    // Same folder as the target, so the rename never crosses file systems; a dot
    // name keeps the temporary file out of sight of folder listings.
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return fail(path, "creating a temporary file", errno);
    }
    const std::string tempPath(temp.data());
    const char* step = nullptr;
    if (::fchmod(fd, newFileMode(target.string())) != 0) {
        step = "setting permissions";
    } else if (!writeAll(fd, contents)) {
        step = "writing";
    } else if (::fsync(fd) != 0) {
        step = "flushing";
    }
    int error = step != nullptr ? errno : 0;
    if (::close(fd) != 0 && step == nullptr) {
        step = "closing";
        error = errno;
    }
    if (step == nullptr && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        step = "renaming";
        error = errno;
    }
    if (step != nullptr) {
        ::unlink(tempPath.c_str());
        return fail(path, step, error);
    }
    // The rename itself lives in the folder: flush it too, or a power cut may undo it.
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
