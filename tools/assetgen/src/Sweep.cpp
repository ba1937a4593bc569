// See Sweep.h.
#include "Sweep.h"

#include <algorithm>
#include <cmath>

namespace {

glm::vec3 placeOnRoad(const TrackPath::Frame& f, const glm::vec2& p) {
    return f.position + f.right * p.x + glm::vec3(0.0f, p.y, 0.0f);
}

} // namespace

void Sweep::build(Mesh& mesh, const TrackPath& path, float s0, float s1, float step,
                  const std::vector<glm::vec2>& profile, const MaterialFn& material, const UvFn& uv,
                  float chartLength) {
    const int chunks = std::max(1, static_cast<int>(std::ceil((s1 - s0) / chartLength)));
    const int segments = static_cast<int>(profile.size()) - 1;
    std::vector<float> across(profile.size(), 0.0f);
    for (int j = 1; j <= segments; ++j)
        across[j] = across[j - 1] + glm::length(profile[j] - profile[j - 1]);

    for (int c = 0; c < chunks; ++c) {
        const float c0 = s0 + (s1 - s0) * static_cast<float>(c) / static_cast<float>(chunks);
        const float c1 = s0 + (s1 - s0) * static_cast<float>(c + 1) / static_cast<float>(chunks);
        const int steps = std::max(1, static_cast<int>(std::ceil((c1 - c0) / step)));
        std::vector<TrackPath::Frame> frames;
        std::vector<float> sValues;
        for (int i = 0; i <= steps; ++i) {
            const float s = c0 + (c1 - c0) * static_cast<float>(i) / static_cast<float>(steps);
            frames.push_back(path.at(s));
            sValues.push_back(s);
        }
        for (int j = 0; j < segments; ++j) {
            const int chart = mesh.newChart();
            const float segmentLength = across[j + 1] - across[j];
            // Distance run along each edge of the segment: the chart's u.
            std::vector<float> runA(frames.size(), 0.0f), runB(frames.size(), 0.0f);
            for (size_t i = 1; i < frames.size(); ++i) {
                runA[i] = runA[i - 1] + glm::length(placeOnRoad(frames[i], profile[j]) -
                                                    placeOnRoad(frames[i - 1], profile[j]));
                runB[i] = runB[i - 1] + glm::length(placeOnRoad(frames[i], profile[j + 1]) -
                                                    placeOnRoad(frames[i - 1], profile[j + 1]));
            }
            for (int i = 1; i <= steps; ++i) {
                const int m = material(j, 0.5f * (sValues[i - 1] + sValues[i]));
                // Corners: a and b edges at the previous and this step; each quad
                // has its own vertices so that a material change between quads
                // can change the texture mapping.
                uint32_t ids[4];
                const int stepOf[4] = {i - 1, i - 1, i, i};
                const bool onB[4] = {false, true, true, false};
                for (int k = 0; k < 4; ++k) {
                    const TrackPath::Frame& f = frames[stepOf[k]];
                    const glm::vec3 a = placeOnRoad(f, profile[j]);
                    const glm::vec3 b = placeOnRoad(f, profile[j + 1]);
                    MeshVertex v;
                    v.position = onB[k] ? b : a;
                    v.normal = glm::normalize(glm::cross(b - a, f.forward));
                    v.chart = chart;
                    v.chartUv =
                        onB[k] ? glm::vec2(runB[stepOf[k]], segmentLength) : glm::vec2(runA[stepOf[k]], 0.0f);
                    v.uv0 = uv(j, m, sValues[stepOf[k]], onB[k] ? across[j + 1] : across[j]);
                    ids[k] = mesh.addVertex(v);
                }
                // The front of a, b (previous step) then b, a (this step) is
                // cross(b - a, forward): the outward side.
                mesh.addQuad(ids[0], ids[1], ids[2], ids[3], m);
            }
        }
    }
}

void Sweep::cap(Mesh& mesh, const TrackPath& path, float s, bool atEnd, const std::vector<glm::vec2>& profile,
                int material, float metresPerTile) {
    const TrackPath::Frame f = path.at(s);
    const glm::vec3 normal = atEnd ? f.forward : -f.forward;
    const int chart = mesh.newChart();
    std::vector<uint32_t> ids;
    for (const glm::vec2& p : profile) {
        MeshVertex v;
        v.position = placeOnRoad(f, p);
        v.normal = normal;
        v.chart = chart;
        v.chartUv = p;
        v.uv0 = glm::vec2(p.x, p.y) / metresPerTile;
        ids.push_back(mesh.addVertex(v));
    }
    for (size_t k = 1; k + 1 < ids.size(); ++k) {
        if (atEnd)
            mesh.addTriangle(ids[0], ids[k], ids[k + 1], material);
        else
            mesh.addTriangle(ids[0], ids[k + 1], ids[k], material);
    }
}
