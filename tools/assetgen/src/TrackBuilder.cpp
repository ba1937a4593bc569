// See TrackBuilder.h.
#include "TrackBuilder.h"

#include "KartBuilder.h"
#include "Rng.h"
#include "Sweep.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr float bandWidth = 0.8f; // kerb band at each road edge
constexpr float skirtDepth = 0.6f;
// How far out from the road's edge the skirt meets its depth: 45 degrees. A
// longer, flatter skirt reaches under the barriers, and on Dusk Harbour a kart
// tilted onto it wedged itself against the barrier for good.
constexpr float skirtOut = 0.6f;
constexpr float wallInner = 7.6f;
constexpr float wallOuter = 8.2f;
constexpr float wallTop = 1.0f;
constexpr float wallFoot = -2.2f;
constexpr float gateHalfSpan = 9.4f;
constexpr float waterLevel = -0.25f;
// The game's waves lift the sea by at most 1.55 m: ground this far above the
// water hides it whatever the waves do.
constexpr float aboveHighestWave = 1.6f;
// The ground's heights are sampled on a grid of this many metres.
constexpr float groundSpacing = 3.0f;

glm::mat4 at(const glm::vec3& p) {
    return glm::translate(glm::mat4(1.0f), p);
}

MaterialDef material(const std::string& name, const std::string& texture, const std::string& normal,
                     const glm::vec3& preview, const glm::vec3& diffuse = glm::vec3(1.0f)) {
    MaterialDef m;
    m.name = name;
    m.diffuse = diffuse;
    m.diffuseTexture = texture.empty() ? std::string() : "textures/" + texture;
    m.normalTexture = normal.empty() ? std::string() : "textures/" + normal;
    m.previewColour = preview;
    return m;
}

// A gantry across the road in its own frame (x across, y up, -z along the road):
// two pillars, two beams and a row of struts between them. With a banner, the
// space between the beams carries a panel in material slot 1 on both sides.
std::shared_ptr<Mesh> gantryMesh(float height, bool banner) {
    auto mesh = std::make_shared<Mesh>();
    Mesh& m = *mesh;
    const FaceUv beamUv = FaceUv::tiled(2.0f);
    const float foot = -0.6f;
    for (float side : {-1.0f, 1.0f}) {
        const float top = height + 0.4f;
        m.addBox(at({side * gateHalfSpan, 0.5f * (foot + top), 0.0f}), {0.3f, 0.5f * (top - foot), 0.3f}, 0,
                 beamUv);
        // Diagonal braces at the feet make the shadows more interesting.
        m.addBox(glm::rotate(at({side * (gateHalfSpan + 0.9f), 1.0f, 0.0f}), glm::radians(side * 35.0f),
                             glm::vec3(0, 0, 1)),
                 {0.08f, 1.4f, 0.08f}, 0, beamUv);
    }
    const float lower = height - 1.4f;
    m.addBox(at({0.0f, height, 0.0f}), {gateHalfSpan, 0.3f, 0.3f}, 0, beamUv);
    m.addBox(at({0.0f, lower, 0.0f}), {gateHalfSpan, 0.15f, 0.2f}, 0, beamUv);
    if (banner) {
        const float y0 = lower + 0.15f, y1 = height - 0.3f, w = 6.0f, z = 0.12f;
        const FaceUv uv = FaceUv::rect(glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
        m.addFace({-w, y0, z}, {w, y0, z}, {w, y1, z}, {-w, y1, z}, 1, uv);
        m.addFace({w, y0, -z}, {-w, y0, -z}, {-w, y1, -z}, {w, y1, -z}, 1, uv);
    }
    const int struts = 12;
    for (int i = 0; i <= struts; ++i) {
        const float x = -gateHalfSpan + 0.6f + (2.0f * gateHalfSpan - 1.2f) * static_cast<float>(i) / struts;
        if (banner && std::abs(x) < 6.2f)
            continue;
        const float slant = (i % 2 == 0) ? 25.0f : -25.0f;
        m.addBox(glm::rotate(at({x, 0.5f * (lower + height), 0.0f}), glm::radians(slant), glm::vec3(0, 0, 1)),
                 {0.07f, 0.75f, 0.07f}, 0, beamUv);
    }
    return mesh;
}

std::shared_ptr<Mesh> coneMesh() {
    auto mesh = std::make_shared<Mesh>();
    // Fills the game's cone collider: a box 1.5 x 2.0 x 1.5 around the node.
    mesh->addBox(at({0.0f, -0.95f, 0.0f}), {0.75f, 0.05f, 0.75f}, 0,
                 FaceUv::rect(glm::vec4(0.0f, 0.0f, 1.0f, 0.1f)));
    mesh->addFrustum(at({0.0f, -0.9f, 0.0f}), 0.58f, 0.07f, 1.9f, 16, 0,
                     FaceUv::rect(glm::vec4(0.0f, 0.1f, 1.0f, 1.0f)));
    return mesh;
}

} // namespace

const std::vector<TrackBuilder::KartColour>& TrackBuilder::kartColours() {
    static const std::vector<KartColour> colours = {
        {"Buggy_Green", "kart_green", {0.1f, 0.75f, 0.2f}},
        {"Buggy_Red", "kart_red", {0.85f, 0.08f, 0.08f}},
        {"Buggy_Yellow", "kart_yellow", {1.0f, 0.85f, 0.1f}},
        {"Buggy_Purple", "kart_purple", {0.5f, 0.15f, 0.8f}},
        {"Buggy_Cyan", "kart_cyan", {0.1f, 0.8f, 0.85f}},
        {"Buggy_Pink", "kart_pink", {1.0f, 0.4f, 0.7f}},
    };
    return colours;
}

std::vector<TrackBuilder::GridSlot> TrackBuilder::gridSlots() {
    // P1 and P2 side by side 6 m behind the line, then rows of two every 8 m: a
    // kart is 4 m long, so each row leaves a kart's length to the next.
    std::vector<GridSlot> slots = {{"P1", "Buggy_Blue", 6.0f, -3.2f}, {"P2", "Buggy_Orange", 6.0f, 3.2f}};
    const std::vector<KartColour>& colours = kartColours();
    for (size_t i = 0; i < colours.size(); ++i) {
        const float behind = 6.0f + 8.0f * static_cast<float>(i / 2 + 1);
        slots.push_back(
            {"P" + std::to_string(i + 3), colours[i].material, behind, i % 2 == 0 ? -3.2f : 3.2f});
    }
    return slots;
}

glm::vec3 TrackBuilder::sunDirection() {
    return glm::normalize(glm::vec3(0.74f, -0.5f, -0.5f));
}

float TrackBuilder::checkpointHeight() {
    return KartBuilder::rideHeight() + 0.05f;
}

glm::quat TrackBuilder::roadRotation(const TrackPath::Frame& f) {
    const glm::vec3 x = f.right;
    const glm::vec3 z = -f.forward;
    const glm::vec3 y = glm::cross(z, x);
    return glm::normalize(glm::quat_cast(glm::mat3(x, y, z)));
}

void TrackBuilder::build(TrackScene& scene) const {
    scene.sunDirection = theme.sunDirection;
    addMaterials(scene);
    addRoad(scene);
    addWalls(scene);
    addGround(scene);
    addWater(scene);
    addStartLine(scene);
    addGates(scene);
    addCones(scene);
    addCheckpoints(scene);
    addKarts(scene);
    addSun(scene);
    if (theme.props != TrackTheme::Props::none)
        addTrackside(scene);
}

void TrackBuilder::addMaterials(TrackScene& scene) const {
    scene.addMaterial(material("Road", "road.png", "road_normal.png", {0.33f, 0.33f, 0.35f}));
    scene.addMaterial(material("Curb", "curb.png", "curb_normal.png", {0.85f, 0.45f, 0.42f}));
    scene.addMaterial(material("Wall", "wall.png", "wall_normal.png", {0.75f, 0.55f, 0.52f}));
    for (const TrackTheme::Ground& g : theme.ground)
        scene.addMaterial(
            material(g.material, g.texture + ".png", g.texture + "_normal.png", g.preview, g.tint));
    scene.addMaterial(material("Beam", "beam.png", "beam_normal.png", {0.85f, 0.6f, 0.1f}));
    scene.addMaterial(material("Banner", "banner.png", "", {0.1f, 0.15f, 0.4f}));
    scene.addMaterial(material("StartLine", "startline.png", "", {0.9f, 0.9f, 0.9f}));
    scene.addMaterial(material("Cone", "cone.png", "", {1.0f, 0.45f, 0.05f}));
    scene.addMaterial(material("Buggy_Blue", "kart_blue.png", "kart_normal.png", {0.1f, 0.3f, 0.9f}));
    scene.addMaterial(material("Buggy_Orange", "kart_orange.png", "kart_normal.png", {1.0f, 0.5f, 0.05f}));
    for (const KartColour& k : kartColours())
        scene.addMaterial(material(k.material, std::string(k.texture) + ".png", "kart_normal.png", k.colour));
    scene.addMaterial(material("Wheel", "wheel.png", "wheel_normal.png", {0.12f, 0.12f, 0.12f}));
    MaterialDef water =
        material("water", "", "water/water_normal.png", {0.2f, 0.5f, 0.7f}, {0.4f, 0.9f, 1.0f});
    scene.addMaterial(water);
}

void TrackBuilder::addRoad(TrackScene& scene) const {
    SceneNode* road = scene.addNode("Road_MC_");
    road->mesh = std::make_shared<Mesh>();
    road->materials = {"Road", "Curb", "Wall"};
    road->lightmapSize = 1024;
    road->lightmapDensity = 4.0f;
    const float w = roadHalfWidth, b = w - bandWidth;
    // The skirts slope down into the ground instead of dropping straight: a kart
    // that has put a wheel off the road can climb back on.
    const float o = w + skirtOut;
    const std::vector<glm::vec2> profile = {{-o, -skirtDepth}, {-w, 0.0f}, {-b, 0.0f},
                                            {b, 0.0f},         {w, 0.0f},  {o, -skirtDepth}};
    const float skirtLength = std::hypot(skirtOut, skirtDepth);
    const TrackPath& p = path;
    const auto materialFor = [&p](int segment, float s) {
        if (segment == 0 || segment == 4)
            return 2;
        if (segment == 2)
            return 0;
        // Kerbs through the corners, plain edge lines on the straights.
        return std::abs(p.at(s).curvature) > 1.0f / 70.0f ? 1 : 0;
    };
    const auto uvFor = [w, b, skirtLength](int segment, int materialSlot, float s, float across) {
        if (segment == 0 || segment == 4)
            return glm::vec2(s / 4.0f, across / 2.0f);
        const float lateral = across - skirtLength - w;
        // Kerbs: stripes every metre across the band.
        if (materialSlot == 1)
            return glm::vec2((std::abs(lateral) - b) / bandWidth, s / 2.0f);
        // The road texture spans the whole width, edge lines included.
        return glm::vec2((lateral + w) / (2.0f * w), s / 15.0f);
    };
    Sweep::build(*road->mesh, path, 0.0f, path.length(), 1.0f, profile, materialFor, uvFor, 50.0f);
}

void TrackBuilder::addWalls(TrackScene& scene) const {
    const auto uvFor = [](int, int, float s, float across) { return glm::vec2(s / 4.0f, across / 2.0f); };
    const auto wallMaterial = [](int, float) { return 0; };

    SceneNode* right = scene.addNode("WallRight_MC_");
    right->mesh = std::make_shared<Mesh>();
    right->materials = {"Wall"};
    right->lightmapSize = 512;
    right->lightmapDensity = 4.0f;
    const std::vector<glm::vec2> rightProfile = {
        {wallInner, -0.1f}, {wallInner, wallTop}, {wallOuter, wallTop}, {wallOuter, wallFoot}};
    Sweep::build(*right->mesh, path, 0.0f, path.length(), 1.0f, rightProfile, wallMaterial, uvFor, 40.0f);

    // The outside barrier stops along the shore: the unguarded stretch.
    SceneNode* left = scene.addNode("WallLeft_MC_");
    left->mesh = std::make_shared<Mesh>();
    left->materials = {"Wall"};
    left->lightmapSize = 512;
    left->lightmapDensity = 4.0f;
    const std::vector<glm::vec2> leftProfile = {
        {-wallOuter, wallFoot}, {-wallOuter, wallTop}, {-wallInner, wallTop}, {-wallInner, -0.1f}};
    const float s0 = path.unguardedEnd();
    const float s1 = path.unguardedBegin() + path.length();
    Sweep::build(*left->mesh, path, s0, s1, 1.0f, leftProfile, wallMaterial, uvFor, 40.0f);
    Sweep::cap(*left->mesh, path, s0, false, leftProfile, 0, 2.0f);
    Sweep::cap(*left->mesh, path, s1, true, leftProfile, 0, 2.0f);
}

namespace {

// Below this height the ground is sand.
constexpr float beachTop = 0.7f;

// The ground vertex where the beach's top line crosses the edge from a to b.
uint32_t beachCrossing(Mesh& m, uint32_t a, uint32_t b, const glm::vec3& origin, int chart) {
    // The same order from both triangles of the edge: the same bits, no crack.
    if (a > b)
        std::swap(a, b);
    const MeshVertex& va = m.vertices[a];
    const MeshVertex& vb = m.vertices[b];
    const float t = (beachTop - va.position.y) / (vb.position.y - va.position.y);
    MeshVertex v;
    v.position = glm::mix(va.position, vb.position, t);
    v.normal = glm::normalize(glm::mix(va.normal, vb.normal, t));
    v.uv0 = glm::vec2(v.position.x, -v.position.z) / 8.0f;
    v.chart = chart;
    v.chartUv = glm::vec2(v.position.x - origin.x, v.position.z - origin.z);
    return m.addVertex(v);
}

} // namespace

// A flat enough ground triangle is sand below the beach's top and grass above.
// One that straddles the line is cut along it, so that the beach follows the
// coast smoothly instead of in steps of whole grid cells.
void TrackBuilder::addBeachEdgeTriangle(Mesh& m, uint32_t a, uint32_t b, uint32_t c, const glm::vec3& origin,
                                        int chart) {
    const uint32_t corners[3] = {a, b, c};
    int below = 0;
    for (uint32_t k : corners)
        below += m.vertices[k].position.y < beachTop ? 1 : 0;
    if (below == 0 || below == 3) {
        m.addTriangle(a, b, c, below == 3 ? 1 : 0);
        return;
    }
    // Rotate so that the lone corner (the only one on its side) comes first,
    // keeping the winding.
    int lone = 0;
    for (int k = 0; k < 3; ++k) {
        const bool side = m.vertices[corners[k]].position.y < beachTop;
        if (side == (below == 1))
            lone = k;
    }
    const uint32_t p = corners[lone], q = corners[(lone + 1) % 3], r = corners[(lone + 2) % 3];
    const uint32_t pq = beachCrossing(m, p, q, origin, chart);
    const uint32_t rp = beachCrossing(m, r, p, origin, chart);
    const int loneSlot = below == 1 ? 1 : 0;
    m.addTriangle(p, pq, rp, loneSlot);
    m.addTriangle(pq, q, r, 1 - loneSlot);
    m.addTriangle(pq, r, rp, 1 - loneSlot);
}

void TrackBuilder::addGround(TrackScene& scene) const {
    const float spacing = groundSpacing;
    const glm::vec2 lo = terrain.minCorner(), hi = terrain.maxCorner();
    const int nx = static_cast<int>(std::ceil((hi.x - lo.x) / spacing));
    const int nz = static_cast<int>(std::ceil((hi.y - lo.y) / spacing));
    std::vector<float> heights(static_cast<size_t>(nx + 1) * (nz + 1));
    const auto index = [nx](int i, int j) { return static_cast<size_t>(j) * (nx + 1) + i; };
    const auto point = [&](int i, int j) {
        return glm::vec3(lo.x + spacing * i, heights[index(i, j)], lo.y + spacing * j);
    };
    for (int j = 0; j <= nz; ++j)
        for (int i = 0; i <= nx; ++i)
            heights[index(i, j)] = terrain.height(lo.x + spacing * i, lo.y + spacing * j);
    const auto normalAt = [&](int i, int j) {
        const int i0 = std::max(i - 1, 0), i1 = std::min(i + 1, nx);
        const int j0 = std::max(j - 1, 0), j1 = std::min(j + 1, nz);
        const float dx = (heights[index(i1, j)] - heights[index(i0, j)]) / (spacing * (i1 - i0));
        const float dz = (heights[index(i, j1)] - heights[index(i, j0)]) / (spacing * (j1 - j0));
        return glm::normalize(glm::vec3(-dx, 1.0f, -dz));
    };

    const int tiles = 2;
    for (int tz = 0; tz < tiles; ++tz) {
        for (int tx = 0; tx < tiles; ++tx) {
            const int i0 = nx * tx / tiles, i1 = nx * (tx + 1) / tiles;
            const int j0 = nz * tz / tiles, j1 = nz * (tz + 1) / tiles;
            SceneNode* tile = scene.addNode("Ground_MC_" + std::to_string(tz * tiles + tx));
            tile->mesh = std::make_shared<Mesh>();
            tile->materials = {theme.ground[0].material, theme.ground[1].material, theme.ground[2].material};
            tile->lightmapSize = 512;
            tile->lightmapDensity = 1.5f;
            Mesh& m = *tile->mesh;
            const int chart = m.newChart();
            const glm::vec3 origin = point(i0, j0);
            for (int j = j0; j <= j1; ++j) {
                for (int i = i0; i <= i1; ++i) {
                    MeshVertex v;
                    v.position = point(i, j);
                    v.normal = normalAt(i, j);
                    v.uv0 = glm::vec2(v.position.x, -v.position.z) / 8.0f;
                    v.chart = chart;
                    v.chartUv = glm::vec2(v.position.x - origin.x, v.position.z - origin.z);
                    m.addVertex(v);
                }
            }
            const int rowLength = i1 - i0 + 1;
            for (int j = j0; j < j1; ++j) {
                for (int i = i0; i < i1; ++i) {
                    const uint32_t a = static_cast<uint32_t>((j - j0) * rowLength + (i - i0));
                    const uint32_t b = a + 1;
                    const uint32_t c = a + static_cast<uint32_t>(rowLength) + 1;
                    const uint32_t d = a + static_cast<uint32_t>(rowLength);
                    // Counter-clockwise seen from above (+Y) in x/z: a, d, c then a, c, b.
                    const uint32_t tris[2][3] = {{a, d, c}, {a, c, b}};
                    for (const auto& t : tris) {
                        const glm::vec3& p0 = m.vertices[t[0]].position;
                        const glm::vec3& p1 = m.vertices[t[1]].position;
                        const glm::vec3& p2 = m.vertices[t[2]].position;
                        const glm::vec3 n = glm::normalize(glm::cross(p1 - p0, p2 - p0));
                        if (n.y < 0.8f)
                            m.addTriangle(t[0], t[1], t[2], 2);
                        else
                            addBeachEdgeTriangle(m, t[0], t[1], t[2], origin, chart);
                    }
                }
            }
        }
    }
}

namespace {

// Grid lines every `spacing` metres from lo to hi, then ever wider steps out to
// `reach` on both sides: fine where the waves show near the island, coarse on
// the open sea.
std::vector<float> gradedAxis(float lo, float hi, float spacing, float centre, float reach) {
    std::vector<float> lines;
    const int cells = static_cast<int>(std::ceil((hi - lo) / spacing));
    for (int i = 0; i <= cells; ++i)
        lines.push_back(lo + spacing * static_cast<float>(i));
    float step = spacing;
    while (lines.back() < centre + reach) {
        step *= 1.5f;
        lines.push_back(std::min(lines.back() + step, centre + reach));
    }
    step = spacing;
    std::vector<float> before;
    float at = lo;
    while (at > centre - reach) {
        step *= 1.5f;
        at = std::max(at - step, centre - reach);
        before.push_back(at);
    }
    lines.insert(lines.begin(), before.rbegin(), before.rend());
    return lines;
}

} // namespace

void TrackBuilder::addWater(TrackScene& scene) const {
    SceneNode* water = scene.addNode("Water");
    water->mesh = std::make_shared<Mesh>();
    water->materials = {"water"};
    water->lightmapSize = 256;
    water->lightmapDensity = 0.2f;
    water->occluder = false;
    Mesh& m = *water->mesh;
    const glm::vec2 lo = terrain.minCorner(), hi = terrain.maxCorner();
    const glm::vec2 centre = 0.5f * (lo + hi);
    const float reach = 650.0f;
    // Fine enough to show the waves near the island, coarse enough for 16-bit
    // indices once the importer has given every triangle its own vertices.
    std::vector<float> xs, zs;
    for (float spacing = 5.0f; xs.empty() || 2 * (xs.size() - 1) * (zs.size() - 1) > 21000; spacing += 1.0f) {
        xs = gradedAxis(lo.x, hi.x, spacing, centre.x, reach);
        zs = gradedAxis(lo.y, hi.y, spacing, centre.y, reach);
    }
    const int chart = m.newChart();
    for (float z : zs) {
        for (float x : xs) {
            MeshVertex v;
            v.position = glm::vec3(x, waterLevel, z);
            v.normal = glm::vec3(0.0f, 1.0f, 0.0f);
            v.uv0 = glm::vec2(x, -z) / 16.0f;
            v.chart = chart;
            v.chartUv = glm::vec2(x, z);
            m.addVertex(v);
        }
    }
    // Water under the island's high ground is never seen, yet every triangle
    // drawn costs a software rasteriser its setup, and every pixel behind the
    // ground its depth test: such cells are left out. The ground over a cell is
    // no lower than the lowest ground vertex of the grid cells it touches.
    const auto underHighGround = [&](float x0, float x1, float z0, float z1) {
        if (x0 - groundSpacing < lo.x || x1 + groundSpacing > hi.x || z0 - groundSpacing < lo.y ||
            z1 + groundSpacing > hi.y)
            return false;
        const int i0 = static_cast<int>(std::floor((x0 - lo.x) / groundSpacing)) - 1;
        const int i1 = static_cast<int>(std::ceil((x1 - lo.x) / groundSpacing)) + 1;
        const int j0 = static_cast<int>(std::floor((z0 - lo.y) / groundSpacing)) - 1;
        const int j1 = static_cast<int>(std::ceil((z1 - lo.y) / groundSpacing)) + 1;
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i)
                if (terrain.height(lo.x + groundSpacing * static_cast<float>(i),
                                   lo.y + groundSpacing * static_cast<float>(j)) <
                    waterLevel + aboveHighestWave)
                    return false;
        return true;
    };
    const uint32_t row = static_cast<uint32_t>(xs.size());
    for (uint32_t j = 0; j + 1 < zs.size(); ++j) {
        for (uint32_t i = 0; i + 1 < row; ++i) {
            if (underHighGround(xs[i], xs[i + 1], zs[j], zs[j + 1]))
                continue;
            const uint32_t a = j * row + i;
            m.addQuad(a, a + row, a + row + 1, a + 1, 0);
        }
    }
}

void TrackBuilder::addStartLine(TrackScene& scene) const {
    const TrackPath::Frame f = path.at(path.startLine());
    SceneNode* line = scene.addNode("StartLine");
    line->position = f.position;
    line->rotation = roadRotation(f);
    line->mesh = std::make_shared<Mesh>();
    line->materials = {"StartLine"};
    line->lightmapSize = 128;
    line->lightmapDensity = 8.0f;
    line->occluder = false;
    // Slightly above the road so that it never fights the road for depth.
    const float w = roadHalfWidth - bandWidth, y = 0.03f, d = 1.0f;
    line->mesh->addFace({-w, y, d}, {w, y, d}, {w, y, -d}, {-w, y, -d}, 0,
                        FaceUv::rect(glm::vec4(0, 0, 1, 1)));
}

void TrackBuilder::addGates(TrackScene& scene) const {
    const struct {
        const char* name;
        float s;
        float height;
        bool banner;
    } gates[] = {
        {"StartGate", path.startLine(), 7.0f, true},
        {"Gantry_1", path.crest(), 6.0f, false},
        {"Gantry_2", path.length() - 205.0f, 6.5f, false},
    };
    for (const auto& g : gates) {
        const TrackPath::Frame f = path.at(g.s);
        SceneNode* node = scene.addNode(g.name);
        node->position = f.position;
        node->rotation = roadRotation(f);
        node->mesh = gantryMesh(g.height, g.banner);
        node->materials =
            g.banner ? std::vector<std::string>{"Beam", "Banner"} : std::vector<std::string>{"Beam"};
        node->lightmapSize = 256;
        node->lightmapDensity = 8.0f;
        // Invisible boxes keep karts out of the pillars.
        for (float side : {-1.0f, 1.0f}) {
            SceneNode* box =
                scene.addNode(std::string(g.name) + (side < 0 ? "_PillarL_BCS_" : "_PillarR_BCS_"));
            const float halfHeight = 0.5f * (g.height + 1.0f);
            box->position =
                f.position + f.right * (side * gateHalfSpan) + glm::vec3(0.0f, halfHeight - 0.6f, 0.0f);
            box->rotation = node->rotation;
            box->scale = glm::vec3(0.3f, halfHeight, 0.3f);
        }
        // Far above the karts, but the chase cameras pull in short of the beams
        // and the banner instead of passing through them.
        const float bottom = g.height - 1.6f, top = g.height + 0.3f;
        SceneNode* beams = scene.addNode(std::string(g.name) + "_Beams_BCS_");
        beams->position = f.position + glm::vec3(0.0f, 0.5f * (bottom + top), 0.0f);
        beams->rotation = node->rotation;
        beams->scale = glm::vec3(gateHalfSpan, 0.5f * (top - bottom), 0.3f);
    }
}

void TrackBuilder::addCones(TrackScene& scene) const {
    const std::shared_ptr<Mesh> mesh = coneMesh();
    int count = 0;
    for (const TrackPath::Arc& arc : path.arcs()) {
        if (arc.radius > 45.0f)
            continue;
        // A line of cones along the inside of each tight corner's apex.
        const float apex = arc.start + 0.5f * arc.length;
        const float side = arc.angleDegrees > 0.0f ? 1.0f : -1.0f;
        for (float offset : {-7.0f, 0.0f, 7.0f}) {
            const TrackPath::Frame f = path.at(apex + offset);
            char name[32];
            std::snprintf(name, sizeof(name), "Cone_Signaling_%02d", count++);
            SceneNode* cone = scene.addNode(name);
            cone->position = f.position + f.right * (side * 5.6f) + glm::vec3(0.0f, 1.002f, 0.0f);
            cone->rotation = roadRotation(f);
            cone->mesh = mesh;
            cone->materials = {"Cone"};
            cone->occluder = false;
        }
    }
}

void TrackBuilder::addCheckpoints(TrackScene& scene) const {
    const std::vector<float>& checkpoints = path.checkpoints();
    for (size_t k = 0; k < checkpoints.size(); ++k) {
        const TrackPath::Frame f = path.at(checkpoints[k]);
        SceneNode* cp = scene.addNode("Checkpoint-" + std::to_string(k));
        cp->position = f.position + glm::vec3(0.0f, checkpointHeight(), 0.0f);
        cp->rotation = roadRotation(f);
        // The trigger spans the road between the barriers and a kart's height.
        SceneNode* trigger = cp->addChild("Checkpoint-" + std::to_string(k) + "_BC_TR_");
        trigger->scale = glm::vec3(wallOuter + 0.8f, 3.0f, 1.5f);
    }
}

void TrackBuilder::addKarts(TrackScene& scene) const {
    for (const GridSlot& slot : gridSlots()) {
        const TrackPath::Frame f = path.at(path.startLine() - slot.behind);
        SceneNode* kart = scene.addNode(slot.name);
        kart->position =
            f.position + f.right * slot.lateral + glm::vec3(0.0f, KartBuilder::rideHeight(), 0.0f);
        kart->rotation = roadRotation(f);
        KartBuilder::build(*kart, slot.name, slot.material);
    }
}

void TrackBuilder::addSun(TrackScene& scene) const {
    SceneNode* sun = scene.addNode("Sun");
    sun->directionalLight = true;
    sun->lightColour = theme.sunColour;
    const glm::vec2 centre = 0.5f * (terrain.minCorner() + terrain.maxCorner());
    sun->position = glm::vec3(centre.x, 150.0f, centre.y);
    // The engine's light shines along its node's +Z as written in the file.
    const glm::vec3 z = theme.sunDirection;
    const glm::vec3 x = glm::normalize(glm::cross(glm::vec3(0.0f, 1.0f, 0.0f), z));
    const glm::vec3 y = glm::cross(z, x);
    sun->rotation = glm::normalize(glm::quat_cast(glm::mat3(x, y, z)));
}

namespace {

// One trackside object standing on the ground at the origin, in material slots
// 0 (trunk, post) and 1 (leaves, cactus skin, needles, lamp).
void addProp(Mesh& m, TrackTheme::Props kind, const glm::mat4& at, Rng& rng) {
    const FaceUv uv = FaceUv::tiled(2.0f);
    const glm::vec3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    switch (kind) {
    case TrackTheme::Props::palms: {
        const float height = rng.range(6.0f, 9.0f);
        const glm::mat4 trunk = glm::rotate(at, glm::radians(rng.range(-12.0f, 12.0f)), z);
        m.addFrustum(glm::translate(trunk, glm::vec3(0, -0.5f, 0)), 0.38f, 0.22f, height + 0.5f, 8, 0, uv);
        const glm::mat4 top = glm::translate(trunk, glm::vec3(0, height, 0));
        for (int k = 0; k < 6; ++k) {
            const glm::mat4 frond =
                glm::rotate(glm::rotate(top, glm::radians(60.0f * k + 20.0f), y), glm::radians(-25.0f), x);
            m.addBox(glm::translate(frond, glm::vec3(0, 0, -1.9f)), {0.55f, 0.05f, 1.9f}, 1, uv);
        }
        break;
    }
    case TrackTheme::Props::cacti: {
        const float height = rng.range(3.5f, 6.0f);
        m.addFrustum(glm::translate(at, glm::vec3(0, -0.5f, 0)), 0.5f, 0.42f, height + 0.5f, 10, 1, uv);
        for (float side : {-1.0f, 1.0f}) {
            const float armY = height * rng.range(0.35f, 0.6f);
            m.addCylinder(glm::translate(at, glm::vec3(side * 0.8f, armY, 0)), 0.28f, 0.45f, 8, 1, uv, uv);
            m.addFrustum(glm::translate(at, glm::vec3(side * 1.2f, armY - 0.2f, 0)), 0.3f, 0.26f,
                         rng.range(1.0f, 2.0f), 8, 1, uv);
        }
        break;
    }
    case TrackTheme::Props::pines: {
        const float size = rng.range(0.8f, 1.3f);
        m.addFrustum(glm::translate(at, glm::vec3(0, -0.5f, 0)), 0.35f * size, 0.25f * size, 2.5f * size, 8,
                     0, uv);
        for (int k = 0; k < 3; ++k) {
            const float r = (2.8f - 0.6f * k) * size;
            m.addFrustum(glm::translate(at, glm::vec3(0, (1.5f + 2.0f * k) * size, 0)), r, 0.15f, 3.6f * size,
                         10, 1, uv);
        }
        break;
    }
    case TrackTheme::Props::lamps: {
        m.addFrustum(glm::translate(at, glm::vec3(0, -0.5f, 0)), 0.16f, 0.1f, 7.5f, 8, 0, uv);
        m.addBox(glm::translate(at, glm::vec3(0, 7.0f, 0.8f)), {0.08f, 0.08f, 0.8f}, 0, uv);
        m.addBox(glm::translate(at, glm::vec3(0, 6.85f, 1.4f)), {0.35f, 0.12f, 0.5f}, 1, uv);
        break;
    }
    case TrackTheme::Props::none:
        break;
    }
}

} // namespace

void TrackBuilder::addTrackside(TrackScene& scene) const {
    std::string prefix = theme.name;
    prefix[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(prefix[0])));
    scene.addMaterial(
        material(prefix + "_Trunk", "rock.png", "rock_normal.png", theme.trunkTint * 0.5f, theme.trunkTint));
    scene.addMaterial(
        material(prefix + "_Leaf", "grass.png", "grass_normal.png", theme.leafTint * 0.4f, theme.leafTint));

    // Objects stand well off the road (clear of every part of the loop) on dry
    // land, a few metres apart, in nodes small enough for 16-bit indices.
    Rng rng(static_cast<uint64_t>(path.length() * 16.0f), 7u);
    const glm::vec2 lo = terrain.minCorner() + 4.0f, hi = terrain.maxCorner() - 4.0f;
    const bool lamps = theme.props == TrackTheme::Props::lamps;
    std::vector<glm::vec2> placed;
    SceneNode* node = nullptr;
    int inNode = 0, nodes = 0;
    for (float s = 0.0f; s < path.length(); s += lamps ? 24.0f : 7.0f) {
        for (float side : {-1.0f, 1.0f}) {
            if (!lamps && rng.uniform() < 0.45f)
                continue;
            const TrackPath::Frame f = path.at(s);
            const float lateral = lamps ? 10.5f : rng.range(14.0f, 40.0f);
            const glm::vec3 p = f.position + f.right * (side * lateral);
            const glm::vec2 xz(p.x, p.z);
            if (xz.x < lo.x || xz.y < lo.y || xz.x > hi.x || xz.y > hi.y)
                continue;
            if (path.nearest(xz).distance < (lamps ? 10.0f : 13.0f))
                continue;
            const float ground = terrain.height(xz.x, xz.y);
            if (ground < 0.6f)
                continue;
            bool crowded = false;
            for (const glm::vec2& q : placed)
                crowded = crowded || glm::distance(q, xz) < 5.0f;
            if (crowded)
                continue;
            placed.push_back(xz);
            if (node == nullptr || inNode == 60) {
                node = scene.addNode("Trackside_" + std::to_string(nodes++));
                node->mesh = std::make_shared<Mesh>();
                node->materials = {prefix + "_Trunk", prefix + "_Leaf"};
                node->lightmapSize = 512;
                node->lightmapDensity = 2.0f;
                inNode = 0;
            }
            ++inNode;
            // Lamps face the road; everything else turns at random.
            const float yaw =
                lamps ? std::atan2(-side * f.right.x, -side * f.right.z) : rng.range(0.0f, 6.283f);
            addProp(*node->mesh, theme.props,
                    glm::rotate(at(glm::vec3(xz.x, ground, xz.y)), yaw, glm::vec3(0, 1, 0)), rng);
        }
    }
}
