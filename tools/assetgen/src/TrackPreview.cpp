// See TrackPreview.h.
#include "TrackPreview.h"

#include "TrackBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct Canvas {
    Image image;
    std::vector<float> depth;
    glm::vec2 lo;
    float scale; // pixels per metre

    glm::vec2 toPixel(const glm::vec3& p) const {
        return glm::vec2((p.x - lo.x) * scale, (p.z - lo.y) * scale);
    }

    void dot(const glm::vec3& p, float radius, const glm::vec4& colour) {
        const glm::vec2 c = toPixel(p);
        const int r = static_cast<int>(std::ceil(radius));
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= radius * radius)
                    image.blend(static_cast<int>(c.x) + x, static_cast<int>(c.y) + y, colour);
    }

    void line(const glm::vec3& a, const glm::vec3& b, const glm::vec4& colour) {
        const glm::vec2 pa = toPixel(a), pb = toPixel(b);
        const int steps = static_cast<int>(glm::length(pb - pa)) + 1;
        for (int i = 0; i <= steps; ++i) {
            const glm::vec2 p = glm::mix(pa, pb, static_cast<float>(i) / static_cast<float>(steps));
            image.blend(static_cast<int>(p.x), static_cast<int>(p.y), colour);
        }
    }
};

} // namespace

Image TrackPreview::render(const TrackScene& scene, const std::map<const SceneNode*, Image>& lightmaps,
                           const TrackPath& path, const glm::vec2& lo, const glm::vec2& hi, int width) {
    Canvas canvas;
    canvas.lo = lo;
    canvas.scale = static_cast<float>(width) / (hi.x - lo.x);
    const int height = static_cast<int>(std::ceil((hi.y - lo.y) * canvas.scale));
    canvas.image = Image(width, height, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    canvas.depth.assign(static_cast<size_t>(width) * height, -std::numeric_limits<float>::max());
    const glm::vec3 toSun = -scene.sunDirection;

    scene.forEach([&](SceneNode& node, const glm::mat4& world) {
        if (!node.mesh || node.name == "Water")
            return;
        const auto lm = lightmaps.find(&node);
        const Image* lightmap = lm == lightmaps.end() ? nullptr : &lm->second;
        const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(world)));
        for (const MeshTriangle& t : node.mesh->triangles) {
            const MeshVertex* v[3] = {&node.mesh->vertices[t.a], &node.mesh->vertices[t.b],
                                      &node.mesh->vertices[t.c]};
            glm::vec3 p[3];
            glm::vec2 q[3];
            for (int k = 0; k < 3; ++k) {
                p[k] = glm::vec3(world * glm::vec4(v[k]->position, 1.0f));
                q[k] = canvas.toPixel(p[k]);
            }
            const float area = (q[1].x - q[0].x) * (q[2].y - q[0].y) - (q[2].x - q[0].x) * (q[1].y - q[0].y);
            if (std::abs(area) < 1e-6f)
                continue;
            const glm::vec3 n = glm::normalize(normalMatrix * v[0]->normal);
            const std::string& materialName =
                node.materials[std::min<size_t>(t.material, node.materials.size() - 1)];
            const MaterialDef* material = scene.findMaterial(materialName);
            const glm::vec3 base = material ? material->previewColour : glm::vec3(1.0f, 0.0f, 1.0f);
            const float relief = 0.6f + 0.6f * std::max(0.0f, glm::dot(n, toSun));
            const int x0 = std::max(0, static_cast<int>(std::min({q[0].x, q[1].x, q[2].x})));
            const int x1 = std::min(width - 1, static_cast<int>(std::max({q[0].x, q[1].x, q[2].x})) + 1);
            const int y0 = std::max(0, static_cast<int>(std::min({q[0].y, q[1].y, q[2].y})));
            const int y1 = std::min(height - 1, static_cast<int>(std::max({q[0].y, q[1].y, q[2].y})) + 1);
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    const glm::vec2 c(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
                    const float w0 =
                        ((q[1].x - c.x) * (q[2].y - c.y) - (q[2].x - c.x) * (q[1].y - c.y)) / area;
                    const float w1 =
                        ((q[2].x - c.x) * (q[0].y - c.y) - (q[0].x - c.x) * (q[2].y - c.y)) / area;
                    const float w2 = 1.0f - w0 - w1;
                    if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f)
                        continue;
                    const float h = w0 * p[0].y + w1 * p[1].y + w2 * p[2].y;
                    float& d = canvas.depth[static_cast<size_t>(y) * width + x];
                    if (h <= d)
                        continue;
                    d = h;
                    float light = 1.0f;
                    if (lightmap) {
                        const glm::vec2 uv = w0 * v[0]->uv1 + w1 * v[1]->uv1 + w2 * v[2]->uv1;
                        const float size = static_cast<float>(lightmap->width());
                        const glm::vec4 baked = lightmap->sampleClamped(uv.x * size, (1.0f - uv.y) * size);
                        // Roughly as the game lights it: sun where it reaches, sky everywhere.
                        light = 0.35f * baked.g + 0.65f * baked.r;
                    }
                    canvas.image.at(x, y) = glm::vec4(base * relief * light, 1.0f);
                }
            }
        }
    });

    // The sea over everything below its surface, deeper water darker.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float d = canvas.depth[static_cast<size_t>(y) * width + x];
            if (d < -0.25f) {
                const float depth = std::clamp((-0.25f - d) / 5.0f, 0.0f, 1.0f);
                const glm::vec3 sea =
                    glm::mix(glm::vec3(0.25f, 0.6f, 0.75f), glm::vec3(0.05f, 0.2f, 0.4f), depth);
                glm::vec4& px = canvas.image.at(x, y);
                px = glm::vec4(glm::mix(glm::vec3(px), sea, 0.75f), 1.0f);
            }
        }
    }

    for (size_t k = 0; k < path.checkpoints().size(); ++k) {
        const TrackPath::Frame f = path.at(path.checkpoints()[k]);
        canvas.line(f.position - f.right * 9.0f, f.position + f.right * 9.0f,
                    k == 0 ? glm::vec4(1, 1, 1, 1) : glm::vec4(1, 0.1f, 0.1f, 1));
        for (float side : {-1.0f, 1.0f})
            canvas.dot(f.position + f.right * (side * TrackBuilder::respawnOffset), 2.5f,
                       glm::vec4(1, 1, 0, 1));
    }
    for (float s = 0.0f; s < path.length(); s += 2.0f)
        canvas.dot(path.at(s).position, 0.6f, glm::vec4(1, 1, 1, 0.5f));
    return canvas.image;
}

Image TrackPreview::profile(const TrackPath& path, int width, int height) {
    Image image(width, height, glm::vec4(0.1f, 0.1f, 0.12f, 1.0f));
    const float top = 12.0f;
    const auto row = [&](float h) {
        return static_cast<int>((1.0f - h / top) * static_cast<float>(height - 1));
    };
    for (int x = 0; x < width; ++x) {
        const float s = path.length() * static_cast<float>(x) / static_cast<float>(width);
        const float h = path.heightAt(s);
        for (int y = row(h); y < height; ++y)
            image.at(x, std::max(0, y)) =
                path.isUnguarded(s) ? glm::vec4(0.8f, 0.3f, 0.2f, 1) : glm::vec4(0.4f, 0.6f, 0.4f, 1);
        for (int metre = 0; metre <= 12; metre += 2)
            image.blend(x, row(static_cast<float>(metre)), glm::vec4(1, 1, 1, 0.25f));
    }
    for (const float s : path.checkpoints()) {
        const int x = static_cast<int>(s / path.length() * static_cast<float>(width));
        for (int y = 0; y < height; ++y)
            image.blend(x, y, glm::vec4(1, 0.2f, 0.2f, 0.8f));
    }
    return image;
}
