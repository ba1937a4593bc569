// See TrackViewPreview.h. Triangles are clipped against the near plane, then
// filled with perspective-correct texture and lightmap coordinates.
#include "TrackViewPreview.h"

#include "ImageFile.h"
#include "Skybox.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

struct ClipVertex {
    glm::vec4 clip;
    glm::vec3 normal;
    glm::vec2 uv0, uv1;
};

ClipVertex lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    return ClipVertex{glm::mix(a.clip, b.clip, t), glm::mix(a.normal, b.normal, t), glm::mix(a.uv0, b.uv0, t),
                      glm::mix(a.uv1, b.uv1, t)};
}

// Sutherland-Hodgman against w = near.
std::vector<ClipVertex> clipNear(const std::vector<ClipVertex>& in, float nearW) {
    std::vector<ClipVertex> out;
    for (size_t i = 0; i < in.size(); ++i) {
        const ClipVertex& a = in[i];
        const ClipVertex& b = in[(i + 1) % in.size()];
        const bool ain = a.clip.w >= nearW, bin = b.clip.w >= nearW;
        if (ain)
            out.push_back(a);
        if (ain != bin)
            out.push_back(lerp(a, b, (nearW - a.clip.w) / (b.clip.w - a.clip.w)));
    }
    return out;
}

glm::vec4 sample(const Image& image, const glm::vec2& uv) {
    return image.sampleWrapped(uv.x * static_cast<float>(image.width()),
                               (1.0f - uv.y) * static_cast<float>(image.height()));
}

// What a covered pixel gets: its depth (w) and the interpolated attributes.
struct Fragment {
    int x, y;
    float depth;
    glm::vec3 normal;
    glm::vec2 uv0, uv1;
};

// Fills a clipped triangle with perspective-correct attributes.
void fillTriangle(const ClipVertex* c[3], int width, int height,
                  const std::function<void(const Fragment&)>& shade) {
    glm::vec2 s[3];
    float invW[3];
    for (int i = 0; i < 3; ++i) {
        invW[i] = 1.0f / c[i]->clip.w;
        s[i] = glm::vec2((c[i]->clip.x * invW[i] * 0.5f + 0.5f) * static_cast<float>(width),
                         (0.5f - c[i]->clip.y * invW[i] * 0.5f) * static_cast<float>(height));
    }
    const float area = (s[1].x - s[0].x) * (s[2].y - s[0].y) - (s[2].x - s[0].x) * (s[1].y - s[0].y);
    if (std::abs(area) < 1e-9f)
        return;
    const int x0 = std::max(0, static_cast<int>(std::min({s[0].x, s[1].x, s[2].x})));
    const int x1 = std::min(width - 1, static_cast<int>(std::max({s[0].x, s[1].x, s[2].x})) + 1);
    const int y0 = std::max(0, static_cast<int>(std::min({s[0].y, s[1].y, s[2].y})));
    const int y1 = std::min(height - 1, static_cast<int>(std::max({s[0].y, s[1].y, s[2].y})) + 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const glm::vec2 p(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
            float b[3];
            b[0] = ((s[1].x - p.x) * (s[2].y - p.y) - (s[2].x - p.x) * (s[1].y - p.y)) / area;
            b[1] = ((s[2].x - p.x) * (s[0].y - p.y) - (s[0].x - p.x) * (s[2].y - p.y)) / area;
            b[2] = 1.0f - b[0] - b[1];
            if (b[0] < 0.0f || b[1] < 0.0f || b[2] < 0.0f)
                continue;
            float pw[3], sum = 0.0f;
            for (int i = 0; i < 3; ++i) {
                pw[i] = b[i] * invW[i];
                sum += pw[i];
            }
            for (float& w : pw)
                w /= sum;
            Fragment f;
            f.x = x;
            f.y = y;
            f.depth = pw[0] * c[0]->clip.w + pw[1] * c[1]->clip.w + pw[2] * c[2]->clip.w;
            f.normal = glm::normalize(pw[0] * c[0]->normal + pw[1] * c[1]->normal + pw[2] * c[2]->normal);
            f.uv0 = pw[0] * c[0]->uv0 + pw[1] * c[1]->uv0 + pw[2] * c[2]->uv0;
            f.uv1 = pw[0] * c[0]->uv1 + pw[1] * c[1]->uv1 + pw[2] * c[2]->uv1;
            shade(f);
        }
    }
}

} // namespace

TrackViewPreview::TrackViewPreview(const TrackScene& scene,
                                   const std::map<const SceneNode*, Image>& lightmaps,
                                   const std::string& assetsDir)
    : scene(scene), lightmaps(lightmaps) {
    for (const MaterialDef& m : scene.materials()) {
        Image image;
        if (!m.diffuseTexture.empty() && ImageFile::load(assetsDir + "/" + m.diffuseTexture, image))
            textures.emplace(m.name, std::move(image));
    }
}

Image TrackViewPreview::render(const glm::vec3& eye, const glm::vec3& target, int width, int height) const {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const glm::mat4 view = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspective(glm::radians(70.0f), aspect, 0.3f, 1500.0f);
    const glm::mat4 viewProjection = projection * view;
    const glm::mat4 inverseViewProjection = glm::inverse(viewProjection);
    const glm::vec3 toSun = -scene.sunDirection;

    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const glm::vec4 ndc(2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 1.0f,
                                1.0f - 2.0f * (static_cast<float>(y) + 0.5f) / static_cast<float>(height),
                                1.0f, 1.0f);
            const glm::vec4 far = inverseViewProjection * ndc;
            image.at(x, y) =
                glm::vec4(Skybox::colour(glm::normalize(glm::vec3(far) / far.w - eye), toSun), 1.0f);
        }
    }
    std::vector<float> depth(static_cast<size_t>(width) * height, std::numeric_limits<float>::max());

    // Opaque nodes first, the sea last and see-through.
    for (int pass = 0; pass < 2; ++pass) {
        scene.forEach([&](SceneNode& node, const glm::mat4& world) {
            if (!node.mesh || (node.name == "Water") != (pass == 1))
                return;
            const auto lm = lightmaps.find(&node);
            const Image* lightmap = lm == lightmaps.end() ? nullptr : &lm->second;
            const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(world)));
            const glm::mat4 toClip = viewProjection * world;
            for (const MeshTriangle& t : node.mesh->triangles) {
                const std::string& materialName =
                    node.materials[std::min<size_t>(t.material, node.materials.size() - 1)];
                const MaterialDef* material = scene.findMaterial(materialName);
                const auto texture = textures.find(materialName);
                std::vector<ClipVertex> polygon;
                for (uint32_t index : {t.a, t.b, t.c}) {
                    const MeshVertex& v = node.mesh->vertices[index];
                    polygon.push_back(ClipVertex{toClip * glm::vec4(v.position, 1.0f),
                                                 normalMatrix * v.normal, v.uv0, v.uv1});
                }
                polygon = clipNear(polygon, 0.3f);
                const auto shade = [&](const Fragment& f) {
                    float& d = depth[static_cast<size_t>(f.y) * width + f.x];
                    if (f.depth >= d)
                        return;
                    glm::vec4 albedo(material ? material->diffuse : glm::vec3(1, 0, 1), 1.0f);
                    if (texture != textures.end())
                        albedo *= sample(texture->second, f.uv0);
                    else if (material)
                        albedo = glm::vec4(material->previewColour, 1.0f);
                    if (materialName == "StartLine" && albedo.a < 0.4f)
                        return;
                    float sun = 1.0f, sky = 1.0f;
                    if (lightmap) {
                        const float size = static_cast<float>(lightmap->width());
                        const glm::vec4 baked =
                            lightmap->sampleClamped(f.uv1.x * size, (1.0f - f.uv1.y) * size);
                        sun = baked.r;
                        sky = baked.g;
                    }
                    const float light = 0.4f * sky * (0.75f + 0.25f * f.normal.y) +
                                        0.85f * sun * std::max(0.0f, glm::dot(f.normal, toSun));
                    glm::vec3 colour = glm::vec3(albedo) * light;
                    if (pass == 1)
                        colour = glm::mix(glm::vec3(image.at(f.x, f.y)),
                                          glm::vec3(0.25f, 0.55f, 0.7f) * (0.6f + 0.5f * sun), 0.6f);
                    else
                        d = f.depth;
                    image.at(f.x, f.y) = glm::vec4(glm::min(colour, glm::vec3(1.0f)), 1.0f);
                };
                for (size_t k = 1; k + 1 < polygon.size(); ++k) {
                    const ClipVertex* corners[3] = {&polygon[0], &polygon[k], &polygon[k + 1]};
                    fillTriangle(corners, width, height, shade);
                }
            }
        });
    }
    return image;
}
