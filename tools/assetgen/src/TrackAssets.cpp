// See TrackAssets.h.
#include "TrackAssets.h"

#include "ImageFile.h"
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

    Output::writeText(options.outDir + "/scenes/Track_01_LM.fbx", SceneExporter::toFbx(scene));
    std::printf("Track: %.0f m loop, road %.0f m wide, %d nodes, %d triangles, %zu lightmaps\n", path.length(),
                2.0f * TrackBuilder::roadHalfWidth, nodes, triangles, jobs.size());

    if (!options.previewDir.empty()) {
        const Image top = TrackPreview::render(scene, lightmaps, path, terrain.minCorner(), terrain.maxCorner(), 1400);
        ImageFile::save(top, options.previewDir + "/track_top.png", ImageFile::Format::Png, ImageFile::Channels::Rgb);
        ImageFile::save(TrackPreview::profile(path, 1400, 200), options.previewDir + "/track_profile.png",
                        ImageFile::Format::Png, ImageFile::Channels::Rgb);
    }
}
