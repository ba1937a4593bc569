// The asset generator's entry point: writes every generated asset of the game
// into the assets folder. Usage:
//   assetgen --out <assets folder> [--preview <folder>] [--only group,group...]
//            [--quick] [--threads N] [--ascii-fbx]
//   assetgen --out <assets folder> --track-seed N --track-name NAME [--theme T]
//            [--preview <folder>] [--quick] [--threads N] [--ascii-fbx]
// Groups: track, tracks, textures, sky, ui, particles, sounds, font, config, icon.
// The second form writes only the one seeded track "scenes/NAME/".
#include "BasicAssets.h"
#include "Icon.h"
#include "MaterialTextures.h"
#include "Music.h"
#include "Output.h"
#include "ParticlePictures.h"
#include "Skybox.h"
#include "SoundEffects.h"
#include "TrackAssets.h"
#include "TrackBuilder.h"
#include "UiPictures.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Arguments {
    std::string out;
    std::string preview;
    std::set<std::string> only;
    bool quick = false;
    int threads = 2;
    bool seeded = false;
    uint32_t trackSeed = 0;
    std::string trackName;
    std::string theme;
    bool asciiFbx = false;
};

bool parseSeed(const char* text, uint32_t& seed) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || text[0] == '-' || value > 0xFFFFFFFFull)
        return false;
    seed = static_cast<uint32_t>(value);
    return true;
}

bool parse(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--out" && hasValue) {
            args.out = argv[++i];
        } else if (a == "--preview" && hasValue) {
            args.preview = argv[++i];
        } else if (a == "--only" && hasValue) {
            std::stringstream list(argv[++i]);
            std::string group;
            while (std::getline(list, group, ','))
                args.only.insert(group);
        } else if (a == "--quick") {
            args.quick = true;
        } else if (a == "--ascii-fbx") {
            args.asciiFbx = true;
        } else if (a == "--threads" && hasValue) {
            args.threads = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--track-seed" && hasValue) {
            args.seeded = true;
            if (!parseSeed(argv[++i], args.trackSeed))
                return false;
        } else if (a == "--track-name" && hasValue) {
            args.trackName = argv[++i];
        } else if (a == "--theme" && hasValue) {
            args.theme = argv[++i];
        } else {
            return false;
        }
    }
    if (args.seeded != !args.trackName.empty())
        return false;
    return !args.out.empty();
}

} // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!parse(argc, argv, args)) {
        std::fprintf(stderr,
                     "usage: assetgen --out <assets folder> [--preview <folder>] [--only groups] [--quick] "
                     "[--threads N] [--ascii-fbx]\n"
                     "       assetgen --out <assets folder> --track-seed N --track-name NAME "
                     "[--theme island|desert|snow|dusk] [--preview <folder>] [--quick] [--threads N] "
                     "[--ascii-fbx]\n");
        return 2;
    }
    const TrackAssets::Options trackOptions{args.out, args.preview, args.quick, args.threads, args.asciiFbx};
    if (args.seeded) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!TrackAssets::generateSeeded(trackOptions, args.trackSeed, args.trackName, args.theme))
            return 2;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("Track written to %s in %.1f s\n", args.out.c_str(), seconds);
        return Output::failures() > 0 ? 1 : 0;
    }
    const std::vector<std::pair<std::string, std::function<void()>>> groups = {
        {"textures", [&] { MaterialTextures::generate(args.out, args.threads); }},
        {"sky", [&] { Skybox::generate(args.out, TrackBuilder::sunDirection(), 512); }},
        {"ui", [&] { UiPictures::generate(args.out, TrackBuilder::sunDirection()); }},
        {"particles", [&] { ParticlePictures::generate(args.out); }},
        {"sounds",
         [&] {
             SoundEffects::generate(args.out);
             Music::generate(args.out);
         }},
        {"font", [&] { BasicAssets::writeFont(args.out); }},
        {"config", [&] { BasicAssets::writeConfig(args.out); }},
        {"icon", [&] { Icon::generate(args.out); }},
        // Last, so that its preview pictures can show the textures.
        {"track", [&] { TrackAssets::generate(trackOptions); }},
        {"tracks", [&] { TrackAssets::generateShipped(trackOptions); }},
    };
    const auto start = std::chrono::steady_clock::now();
    for (const auto& [name, run] : groups) {
        if (!args.only.empty() && args.only.count(name) == 0)
            continue;
        const auto t0 = std::chrono::steady_clock::now();
        run();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("  %-10s %.2f s\n", name.c_str(), seconds);
    }
    const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Assets written to %s in %.1f s\n", args.out.c_str(), total);
    if (Output::failures() > 0) {
        std::fprintf(stderr, "%d asset(s) could not be written\n", Output::failures());
        return 1;
    }
    return 0;
}
