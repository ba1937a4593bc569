// The asset generator's entry point: writes every generated asset of the game
// into the assets folder. Usage:
//   assetgen --out <assets folder> [--preview <folder>] [--only group,group...]
//            [--quick] [--threads N]
// Groups: track, textures, sky, ui, particles, sounds, font, config, icon.
#include "BasicAssets.h"
#include "Icon.h"
#include "MaterialTextures.h"
#include "Music.h"
#include "Skybox.h"
#include "SoundEffects.h"
#include "TrackBuilder.h"
#include "UiPictures.h"
#include "Output.h"
#include "ParticlePictures.h"
#include "TrackAssets.h"

#include <chrono>
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
};

bool parse(int argc, char** argv, Arguments& args)
{
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
        } else if (a == "--threads" && hasValue) {
            args.threads = std::max(1, std::atoi(argv[++i]));
        } else {
            return false;
        }
    }
    return !args.out.empty();
}

} // namespace

int main(int argc, char** argv)
{
    Arguments args;
    if (!parse(argc, argv, args)) {
        std::fprintf(stderr,
                     "usage: assetgen --out <assets folder> [--preview <folder>] [--only groups] [--quick] "
                     "[--threads N]\n");
        return 2;
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
        {"track",
         [&] {
             TrackAssets::generate(TrackAssets::Options{args.out, args.preview, args.quick, args.threads});
         }},
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
