// Writing a player's file (settings, records, replays) so that a crash, a full
// disk or a power cut leaves either the old file or the new one, never half of
// one: the bytes go to a temporary file in the same folder, are flushed to the
// disk, and the temporary file is then renamed over the old one.
#pragma once

#include <string>

// True once path holds exactly contents. On failure the old file (if any) is
// untouched, the temporary file is gone, and one warning names path and the reason.
// The new file keeps the old one's permissions, or gets 0644 (less the umask); a
// link is followed, so the file it points to is the one replaced.
bool writeFileAtomically(const std::string& path, const std::string& contents);
