// See LightmapBaker.h. Each texel draws its rays from a generator seeded by the
// node and the texel, so the result does not depend on how texels are shared
// between threads.
#include "LightmapBaker.h"

#include "Output.h"
#include "Rng.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace {

constexpr float sunAngularRadius = 0.012f; // radians; a little wider than the real sun for softer edges
constexpr float skyDistance = 14.0f;
constexpr float surfaceOffset = 0.02f;

// An orthonormal basis around n (Frisvad's construction, branch-free variant).
void basis(const glm::vec3& n, glm::vec3& t, glm::vec3& b) {
    const float sign = std::copysign(1.0f, n.z);
    const float a = -1.0f / (sign + n.z);
    const float c = n.x * n.y * a;
    t = glm::vec3(1.0f + sign * n.x * n.x * a, sign * c, -sign * n.x);
    b = glm::vec3(c, sign + n.y * n.y * a, -n.y);
}

struct Texel {
    int x, y;
    glm::vec3 position, normal;
};

} // namespace

LightmapBaker::LightmapBaker(const TrackScene& scene, const Quality& quality, int threads)
    : toSun(-scene.sunDirection), quality(quality), threads(std::max(1, threads)) {
    const std::string config = "threads=" + std::to_string(this->threads);
    device = rtcNewDevice(config.c_str());
    if (!device) {
        Output::fail("Embree could not start; lightmaps will be plain");
        return;
    }
    rtcScene = rtcNewScene(device);
    rtcSetSceneFlags(rtcScene, RTC_SCENE_FLAG_ROBUST);
    scene.forEach([this](SceneNode& node, const glm::mat4& world) {
        if (!node.mesh || !node.occluder || node.mesh->triangles.empty())
            return;
        const Mesh& mesh = *node.mesh;
        RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
        auto* vertices = static_cast<float*>(rtcSetNewGeometryBuffer(
            geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float), mesh.vertices.size()));
        for (size_t i = 0; i < mesh.vertices.size(); ++i) {
            const glm::vec3 p = glm::vec3(world * glm::vec4(mesh.vertices[i].position, 1.0f));
            vertices[3 * i] = p.x;
            vertices[3 * i + 1] = p.y;
            vertices[3 * i + 2] = p.z;
        }
        auto* indices = static_cast<unsigned*>(rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0,
                                                                       RTC_FORMAT_UINT3, 3 * sizeof(unsigned),
                                                                       mesh.triangles.size()));
        for (size_t i = 0; i < mesh.triangles.size(); ++i) {
            indices[3 * i] = mesh.triangles[i].a;
            indices[3 * i + 1] = mesh.triangles[i].b;
            indices[3 * i + 2] = mesh.triangles[i].c;
        }
        rtcCommitGeometry(geometry);
        rtcAttachGeometry(rtcScene, geometry);
        rtcReleaseGeometry(geometry);
    });
    rtcCommitScene(rtcScene);
}

LightmapBaker::~LightmapBaker() {
    if (rtcScene)
        rtcReleaseScene(rtcScene);
    if (device)
        rtcReleaseDevice(device);
}

bool LightmapBaker::occluded(const glm::vec3& origin, const glm::vec3& direction, float distance) const {
    if (!rtcScene)
        return false;
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    RTCRay ray{};
    ray.org_x = origin.x;
    ray.org_y = origin.y;
    ray.org_z = origin.z;
    ray.dir_x = direction.x;
    ray.dir_y = direction.y;
    ray.dir_z = direction.z;
    ray.tnear = 0.0f;
    ray.tfar = distance;
    ray.mask = 0xFFFFFFFFu;
    rtcOccluded1(rtcScene, &context, &ray);
    return ray.tfar < 0.0f;
}

glm::vec2 LightmapBaker::lightAt(const glm::vec3& position, const glm::vec3& normal, uint32_t seed) const {
    Rng rng(seed, 7);
    const glm::vec3 origin = position + normal * surfaceOffset;

    float sun = 0.0f;
    const float facing = glm::dot(normal, toSun);
    if (facing > 0.0f) {
        glm::vec3 t, b;
        basis(toSun, t, b);
        int open = 0;
        for (int k = 0; k < quality.sunSamples; ++k) {
            // Stratified over the disc: one ring sector per sample.
            const float r =
                sunAngularRadius * std::sqrt((static_cast<float>(k) + rng.uniform()) / quality.sunSamples);
            const float a = glm::two_pi<float>() * rng.uniform();
            const glm::vec3 d = glm::normalize(toSun + t * (r * std::cos(a)) + b * (r * std::sin(a)));
            if (!occluded(origin, d, 600.0f))
                ++open;
        }
        sun = static_cast<float>(open) / static_cast<float>(quality.sunSamples);
    }

    glm::vec3 t, b;
    basis(normal, t, b);
    int open = 0;
    for (int k = 0; k < quality.skySamples; ++k) {
        // Cosine-weighted, stratified in the radial direction.
        const float u = (static_cast<float>(k) + rng.uniform()) / quality.skySamples;
        const float a = glm::two_pi<float>() * rng.uniform();
        const float r = std::sqrt(u);
        const glm::vec3 d =
            t * (r * std::cos(a)) + b * (r * std::sin(a)) + normal * std::sqrt(std::max(0.0f, 1.0f - u));
        if (!occluded(origin, glm::normalize(d), skyDistance))
            ++open;
    }
    const float sky = static_cast<float>(open) / static_cast<float>(quality.skySamples);
    return glm::vec2(sun, sky);
}

namespace {

// Every texel whose centre lies on a triangle in lightmap space, with the world
// position and normal there.
std::vector<Texel> rasterise(const Mesh& mesh, const glm::mat4& world, int size) {
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(world)));
    std::vector<bool> taken(static_cast<size_t>(size) * size, false);
    std::vector<Texel> texels;
    const float fsize = static_cast<float>(size);
    for (const MeshTriangle& tri : mesh.triangles) {
        const MeshVertex* v[3] = {&mesh.vertices[tri.a], &mesh.vertices[tri.b], &mesh.vertices[tri.c]};
        glm::vec2 q[3];
        for (int k = 0; k < 3; ++k)
            q[k] = v[k]->uv1 * fsize;
        const float area = (q[1].x - q[0].x) * (q[2].y - q[0].y) - (q[2].x - q[0].x) * (q[1].y - q[0].y);
        if (std::abs(area) < 1e-8f)
            continue;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({q[0].x, q[1].x, q[2].x}) - 0.5f)));
        const int x1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({q[0].x, q[1].x, q[2].x}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({q[0].y, q[1].y, q[2].y}) - 0.5f)));
        const int y1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({q[0].y, q[1].y, q[2].y}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const glm::vec2 c(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
                const float w0 = ((q[1].x - c.x) * (q[2].y - c.y) - (q[2].x - c.x) * (q[1].y - c.y)) / area;
                const float w1 = ((q[2].x - c.x) * (q[0].y - c.y) - (q[0].x - c.x) * (q[2].y - c.y)) / area;
                const float w2 = 1.0f - w0 - w1;
                const float eps = -1e-4f;
                const size_t slot = static_cast<size_t>(y) * size + x;
                if (w0 < eps || w1 < eps || w2 < eps || taken[slot])
                    continue;
                taken[slot] = true;
                const glm::vec3 p = w0 * v[0]->position + w1 * v[1]->position + w2 * v[2]->position;
                const glm::vec3 n = w0 * v[0]->normal + w1 * v[1]->normal + w2 * v[2]->normal;
                texels.push_back(
                    Texel{x, y, glm::vec3(world * glm::vec4(p, 1.0f)), glm::normalize(normalMatrix * n)});
            }
        }
    }
    return texels;
}

// Grows the baked texels into the empty texels around them, so that filtering
// and mipmaps never pick up the background; what stays empty gets the mean.
std::vector<glm::vec2> dilate(std::vector<glm::vec2> grid, int size, const glm::vec2& mean) {
    const auto at = [size](int x, int y) { return static_cast<size_t>(y) * size + x; };
    for (int pass = 0; pass < 6; ++pass) {
        std::vector<glm::vec2> next = grid;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                if (grid[at(x, y)].x >= 0.0f)
                    continue;
                glm::vec2 sum(0.0f);
                int count = 0;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx >= 0 && ny >= 0 && nx < size && ny < size && grid[at(nx, ny)].x >= 0.0f) {
                            sum += grid[at(nx, ny)];
                            ++count;
                        }
                    }
                }
                if (count > 0)
                    next[at(x, y)] = sum / static_cast<float>(count);
            }
        }
        grid.swap(next);
    }
    for (glm::vec2& g : grid)
        if (g.x < 0.0f)
            g = mean;
    return grid;
}

} // namespace

Image LightmapBaker::bake(const SceneNode& node, const glm::mat4& world, int size, uint32_t seed) const {
    const std::vector<Texel> texels = rasterise(*node.mesh, world, size);
    std::vector<glm::vec2> values(texels.size(), glm::vec2(1.0f));
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t]() {
            for (size_t i = static_cast<size_t>(t); i < texels.size(); i += static_cast<size_t>(threads)) {
                const Texel& tx = texels[i];
                const uint32_t texelSeed = seed * 2654435761u + static_cast<uint32_t>(tx.y * size + tx.x);
                values[i] = lightAt(tx.position, tx.normal, texelSeed);
            }
        });
    }
    for (std::thread& w : workers)
        w.join();

    std::vector<glm::vec2> grid(static_cast<size_t>(size) * size, glm::vec2(-1.0f));
    glm::vec2 mean(0.0f);
    for (size_t i = 0; i < texels.size(); ++i) {
        grid[static_cast<size_t>(texels[i].y) * size + texels[i].x] = values[i];
        mean += values[i];
    }
    mean = texels.empty() ? glm::vec2(1.0f) : mean / static_cast<float>(texels.size());
    grid = dilate(std::move(grid), size, mean);

    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec2 g = grid[static_cast<size_t>(y) * size + x];
            // Lightmap v runs upwards; image rows run downwards.
            image.at(x, size - 1 - y) = glm::vec4(g.x, g.y, g.y, 1.0f);
        }
    }
    return image;
}
