// Finding the tracks and reading their descriptions.
#include "game/TrackCatalog.h"

#include "core/platform/Log.h"
#include "core/runtime/ConfigFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool readDescription(const fs::path& ini, const std::string& file, TrackInfo& track) {
    const ConfigFile description(ini.string());
    if (description.ParseError() != 0) {
        logWarning("Track catalog: cannot read ", ini.string(), " (line ", description.ParseError(),
                   "); the track is left out");
        return false;
    }
    track.file = file;
    track.name = description.Get("track", "name", fs::path(file).stem().string());
    track.theme = description.Get("track", "theme", "");
    track.length = static_cast<int>(description.GetInteger("track", "length", 0));
    track.seed = static_cast<unsigned long>(std::max(0L, description.GetInteger("track", "seed", 0)));
    track.preview = description.Get("track", "preview", "");
    track.skyPrefix = description.Get("track", "sky", track.skyPrefix);
    glm::vec3 fog;
    if (std::sscanf(description.Get("track", "fog", "").c_str(), "%f %f %f", &fog.x, &fog.y, &fog.z) == 3) {
        track.fog = glm::clamp(fog, glm::vec3(0.0f), glm::vec3(1.0f));
    }
    return true;
}

} // namespace

TrackCatalog TrackCatalog::scan(const std::string& assetsDir) {
    TrackCatalog catalog;
    const fs::path root(assetsDir);
    std::error_code error;
    // Scratch asset folders made of links must be searched through the links.
    fs::recursive_directory_iterator it(root / "scenes", fs::directory_options::follow_directory_symlink,
                                        error);
    if (error) {
        return catalog;
    }
    for (const fs::recursive_directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            break;
        }
        const fs::path& path = it->path();
        if (path.extension() != ".fbx" || !it->is_regular_file(error)) {
            continue;
        }
        fs::path ini = path;
        ini.replace_extension(".ini");
        if (!fs::exists(ini, error)) {
            continue;
        }
        TrackInfo track;
        if (readDescription(ini, path.lexically_relative(root).generic_string(), track)) {
            catalog.list.push_back(track);
        }
    }
    std::sort(catalog.list.begin(), catalog.list.end(), [](const TrackInfo& a, const TrackInfo& b) {
        const bool aFirst = a.file == defaultTrack, bFirst = b.file == defaultTrack;
        return aFirst != bFirst ? aFirst : a.name < b.name;
    });
    logInfo("Track catalog: ", catalog.list.size(), " track(s)");
    return catalog;
}

TrackInfo TrackCatalog::find(const std::string& file) const {
    for (const TrackInfo& track : list) {
        if (track.file == file) {
            return track;
        }
    }
    TrackInfo island;
    island.file = defaultTrack;
    island.name = "Island Circuit";
    return island;
}
