// The race choices kept in the player's config.ini under [race] (today the
// track: "track = scenes/Track_01_LM.fbx"). Saving rewrites only that line (or
// adds it, and the section when missing), keeps every other line as it was, and
// replaces the file atomically through a temporary file beside it.
#pragma once

#include <string>

namespace RaceSettings {

// The [race] track of the file; empty when the file or the key is missing.
std::string readTrack(const std::string& configPath);

// False, with a warning, when the file cannot be written.
bool saveTrack(const std::string& configPath, const std::string& track);

// The INI text with "key = value" in section: the first such key line of the
// section replaced, else a line added at the end of the section, else the
// section added at the end of the text.
std::string withValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& value);

} // namespace RaceSettings
