// See TrackAssets.h.
#include "TrackAssets.h"

#include "ImageFile.h"
#include "KartBuilder.h"
#include "LightmapBaker.h"
#include "LightmapLayout.h"
#include "Output.h"
#include "SceneExporter.h"
#include "Skybox.h"
#include "Terrain.h"
#include "TrackBuilder.h"
#include "TrackDesigner.h"
#include "TrackPreview.h"
#include "TrackTheme.h"
#include "TrackViewPreview.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

struct TrackSpec {
    std::string displayName;
    std::string folder; // relative to the assets folder
    std::string stem;   // the file's name without ".fbx"
    TrackPath::Design design;
    TrackTheme theme;
    uint32_t seed = 0; // 0: designed by hand
    std::string skyPrefix;
};

std::string vec(const glm::vec3& v) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.3f %.3f %.3f", static_cast<double>(v.x), static_cast<double>(v.y),
                  static_cast<double>(v.z));
    return text;
}

std::string description(const TrackSpec& spec, const TrackPath& path) {
    std::ostringstream ini;
    ini << "; Written by assetgen: what the title screen shows of this track.\n"
        << "[track]\n"
        << "name = " << spec.displayName << "\n"
        << "length = " << static_cast<int>(path.length() + 0.5f) << "\n"
        << "seed = " << spec.seed << "\n"
        << "theme = " << spec.theme.name << "\n"
        << "preview = " << spec.folder << "/" << spec.stem << "_preview.png\n"
        << "sky = " << spec.skyPrefix << "\n"
        << "fog = " << vec(spec.theme.fog) << "\n";
    return ini.str();
}

void build(const TrackAssets::Options& options, const TrackSpec& spec, bool viewPreviews) {
    const TrackPath path(spec.design);
    const Terrain terrain(path);
    TrackScene scene;
    TrackBuilder(path, terrain, spec.theme).build(scene);
    const std::string folder = options.outDir + "/" + spec.folder;

    struct Job {
        SceneNode* node;
        glm::mat4 world;
        LightmapLayout::Result layout;
    };
    std::vector<Job> jobs;
    int triangles = 0, nodes = 0;
    scene.forEach([&](SceneNode& node, const glm::mat4& world) {
        ++nodes;
        if (node.mesh)
            triangles += static_cast<int>(node.mesh->triangles.size());
        if (node.mesh && node.lightmapSize > 0) {
            const float density = options.quick ? node.lightmapDensity * 0.5f : node.lightmapDensity;
            jobs.push_back(Job{&node, world, LightmapLayout::apply(*node.mesh, node.lightmapSize, density)});
        }
    });

    LightmapBaker::Quality quality;
    if (options.quick)
        quality = LightmapBaker::Quality{2, 4};
    const LightmapBaker baker(scene, quality, options.threads);
    std::map<const SceneNode*, Image> lightmaps;
    uint32_t seed = 1;
    for (const Job& job : jobs) {
        Image lightmap = baker.bake(*job.node, job.world, job.layout.size, seed++);
        ImageFile::save(lightmap, folder + "/lightmaps/Job 1_" + job.node->name + "_SHADOW.png",
                        ImageFile::Format::Png, ImageFile::Channels::Rgb);
        lightmaps.emplace(job.node, std::move(lightmap));
    }

    Output::writeText(folder + "/" + spec.stem + ".fbx",
                      SceneExporter::toFbx(scene, options.asciiFbx ? FbxFormat::Ascii : FbxFormat::Binary));
    Output::writeText(folder + "/" + spec.stem + ".ini", description(spec, path));
    // Square, so that every track's preview fills the same frame on the title.
    const glm::vec2 centre = 0.5f * (terrain.minCorner() + terrain.maxCorner());
    const glm::vec2 extent = terrain.maxCorner() - terrain.minCorner();
    const float half = 0.5f * std::max(extent.x, extent.y);
    const Image top = TrackPreview::render(scene, lightmaps, path, centre - half, centre + half, 512);
    ImageFile::save(top, folder + "/" + spec.stem + "_preview.png", ImageFile::Format::Png,
                    ImageFile::Channels::Rgb);
    std::printf("Track \"%s\": %.0f m loop, road %.0f m wide, %d nodes, %d triangles, %zu lightmaps\n",
                spec.displayName.c_str(), path.length(), 2.0f * TrackBuilder::roadHalfWidth, nodes, triangles,
                jobs.size());

    if (options.previewDir.empty())
        return;
    const std::string previews = spec.seed == 0 ? options.previewDir : options.previewDir + "/" + spec.stem;
    const Image large =
        TrackPreview::render(scene, lightmaps, path, terrain.minCorner(), terrain.maxCorner(), 1400);
    ImageFile::save(large, previews + "/track_top.png", ImageFile::Format::Png, ImageFile::Channels::Rgb);
    ImageFile::save(TrackPreview::profile(path, 1400, 200), previews + "/track_profile.png",
                    ImageFile::Format::Png, ImageFile::Channels::Rgb);
    // A few views as a player would see them (textures come from the assets
    // folder, so they show once the textures group has run).
    const TrackViewPreview views(scene, lightmaps, options.outDir);
    const TrackPath::Frame start = path.at(path.startLine() - 6.0f);
    struct Shot {
        std::string name;
        glm::vec3 eye, target;
    };
    std::vector<Shot> shots = {
        {"view_start.png", start.position - start.forward * 9.0f + glm::vec3(0, 3.5f, 0),
         start.position + start.forward * 20.0f},
    };
    if (viewPreviews) {
        const TrackPath::Frame hairpin = path.at(402.0f);
        const TrackPath::Frame shore = path.at(path.unguardedBegin() + 20.0f);
        shots.push_back({"view_karts.png",
                         start.position + start.forward * 4.0f + start.right * 2.0f + glm::vec3(0, 1.6f, 0),
                         start.position + glm::vec3(0, KartBuilder::rideHeight(), 0)});
        shots.push_back({"view_hairpin.png",
                         hairpin.position - hairpin.right * 45.0f + glm::vec3(0, 25.0f, 0),
                         hairpin.position});
        shots.push_back({"view_shore.png", shore.position + shore.right * 3.0f + glm::vec3(0, 3.0f, 0),
                         shore.position + shore.forward * 40.0f - shore.right * 8.0f});
    } else {
        const TrackPath::Frame crest = path.at(path.crest());
        shots.push_back({"view_crest.png", crest.position - crest.right * 60.0f + glm::vec3(0, 30.0f, 0),
                         crest.position});
    }
    for (const Shot& shot : shots)
        ImageFile::save(views.render(shot.eye, shot.target, 960, 540), previews + "/" + shot.name,
                        ImageFile::Format::Png, ImageFile::Channels::Rgb);
}

TrackSpec seededSpec(uint32_t seed, const std::string& name, const TrackTheme& theme) {
    TrackSpec spec;
    spec.displayName = name;
    spec.stem = TrackAssets::fileName(name);
    spec.folder = "scenes/" + spec.stem;
    spec.design = TrackDesigner::fromSeed(seed);
    spec.theme = theme;
    spec.seed = seed;
    spec.skyPrefix = spec.folder + "/sky/Sky_";
    return spec;
}

void paintSky(const TrackAssets::Options& options, const TrackSpec& spec) {
    Skybox::generateFaces(options.outDir + "/" + spec.skyPrefix, spec.theme.sunDirection, spec.theme.sky,
                          options.quick ? 64 : 512);
}

} // namespace

std::string TrackAssets::fileName(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '_';
        if (!keep)
            c = '_';
    }
    return out.empty() ? std::string("Track") : out;
}

void TrackAssets::generate(const Options& options) {
    TrackSpec spec;
    spec.displayName = "Island Circuit";
    spec.folder = "scenes";
    spec.stem = "Track_01_LM";
    spec.design = TrackPath::islandDesign();
    TrackTheme::byName("island", spec.theme);
    // The first track keeps the look it always had: no trackside objects.
    spec.theme.props = TrackTheme::Props::none;
    spec.skyPrefix = "skyboxes/DSk04-mod/DSk04_";
    build(options, spec, true);
}

bool TrackAssets::generateSeeded(const Options& options, uint32_t seed, const std::string& name,
                                 const std::string& themeName) {
    const std::vector<std::string>& themes = TrackTheme::names();
    TrackTheme theme;
    if (!TrackTheme::byName(themeName.empty() ? themes[seed % themes.size()] : themeName, theme)) {
        std::fprintf(stderr, "assetgen: no theme \"%s\" (island, desert, snow or dusk)\n", themeName.c_str());
        return false;
    }
    const TrackSpec spec = seededSpec(seed, name, theme);
    paintSky(options, spec);
    build(options, spec, false);
    return true;
}

void TrackAssets::generateShipped(const Options& options) {
    struct Shipped {
        uint32_t seed;
        const char* name;
        const char* theme;
    };
    const Shipped shipped[] = {
        {1907u, "Dune Run", "desert"}, {2611u, "Glacier Pass", "snow"}, {4403u, "Dusk Harbour", "dusk"}};
    // One track per thread: each writes only its own folder.
    Options perTrack = options;
    perTrack.threads = 1;
    std::vector<std::thread> workers;
    for (const Shipped& s : shipped) {
        workers.emplace_back([&perTrack, s] {
            TrackTheme theme;
            TrackTheme::byName(s.theme, theme);
            const TrackSpec spec = seededSpec(s.seed, s.name, theme);
            paintSky(perTrack, spec);
            build(perTrack, spec, false);
        });
    }
    for (std::thread& w : workers)
        w.join();
}
