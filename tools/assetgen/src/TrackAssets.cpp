// See TrackAssets.h.
#include "TrackAssets.h"

#include "ImageFile.h"
#include "KartBuilder.h"
#include "TrackViewPreview.h"
#include "LightmapBaker.h"
#include "LightmapLayout.h"
#include "Output.h"
#include "SceneExporter.h"
#include "Terrain.h"
#include "TrackBuilder.h"
#include "TrackPreview.h"

#include <cstdio>
#include <map>

void TrackAssets::generate(const Options& options)
{
    const TrackPath path;
    const Terrain terrain(path);
    TrackScene scene;
    TrackBuilder(path, terrain).build(scene);

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
        ImageFile::save(lightmap, options.outDir + "/scenes/lightmaps/Job 1_" + job.node->name + "_SHADOW.png",
                        ImageFile::Format::Png, ImageFile::Channels::Rgb);
        lightmaps.emplace(job.node, std::move(lightmap));
    }

    Output::writeText(options.outDir + "/scenes/Track_01_LM.fbx",
                      SceneExporter::toFbx(scene, options.asciiFbx ? FbxFormat::Ascii : FbxFormat::Binary));
    std::printf("Track: %.0f m loop, road %.0f m wide, %d nodes, %d triangles, %zu lightmaps\n", path.length(),
                2.0f * TrackBuilder::roadHalfWidth, nodes, triangles, jobs.size());

    if (!options.previewDir.empty()) {
        const Image top = TrackPreview::render(scene, lightmaps, path, terrain.minCorner(), terrain.maxCorner(), 1400);
        ImageFile::save(top, options.previewDir + "/track_top.png", ImageFile::Format::Png, ImageFile::Channels::Rgb);
        ImageFile::save(TrackPreview::profile(path, 1400, 200), options.previewDir + "/track_profile.png",
                        ImageFile::Format::Png, ImageFile::Channels::Rgb);
        // A few views as a player would see them (textures come from the assets
        // folder, so they show once the textures group has run).
        const TrackViewPreview views(scene, lightmaps, options.outDir);
        const TrackPath::Frame start = path.at(path.startLine() - 6.0f);
        const TrackPath::Frame hairpin = path.at(402.0f);
        const TrackPath::Frame shore = path.at(path.unguardedBegin() + 20.0f);
        const struct {
            const char* name;
            glm::vec3 eye, target;
        } shots[] = {
            {"view_start.png", start.position - start.forward * 9.0f + glm::vec3(0, 3.5f, 0), start.position + start.forward * 20.0f},
            {"view_karts.png", start.position + start.forward * 4.0f + start.right * 2.0f + glm::vec3(0, 1.6f, 0),
             start.position + glm::vec3(0, KartBuilder::rideHeight(), 0)},
            {"view_hairpin.png", hairpin.position - hairpin.right * 45.0f + glm::vec3(0, 25.0f, 0), hairpin.position},
            {"view_shore.png", shore.position + shore.right * 3.0f + glm::vec3(0, 3.0f, 0), shore.position + shore.forward * 40.0f - shore.right * 8.0f},
        };
        for (const auto& shot : shots)
            ImageFile::save(views.render(shot.eye, shot.target, 960, 540), options.previewDir + "/" + shot.name,
                            ImageFile::Format::Png, ImageFile::Channels::Rgb);
    }
}
