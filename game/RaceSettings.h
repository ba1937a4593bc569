// Rewriting single lines of the player's config.ini under [race] (e.g. "track =
// scenes/Track_01_LM.fbx"): saving rewrites only that line (or adds it, and the
// section when missing), keeps every other line as it was, and replaces the file
// atomically. RaceSetup reads the section.
#pragma once

#include <string>

namespace RaceSettings {

// False, with a warning, when the file cannot be written.
bool saveTrack(const std::string& configPath, const std::string& track);

// The INI text with "key = value" in section: the first such key line of the
// section replaced, else a line added at the end of the section, else the
// section added at the end of the text.
std::string withValue(const std::string& text, const std::string& section, const std::string& key,
                      const std::string& value);

} // namespace RaceSettings
