// See TrackDesigner.h. Designs are drawn at random and thrown away until one
// closes with sensible straights and keeps clear of itself; a few hundred draws
// are usually enough, and each costs well under a millisecond. Only then is the
// design checked for driving; one that fails starts again from a derived seed,
// so that every seed whose first design passes keeps the layout it always had.
#include "TrackDesigner.h"

#include "Rng.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float minLength = 650.0f;
constexpr float maxLength = 1150.0f;
constexpr float maxExtent = 420.0f;
constexpr float minClosing = 15.0f;
// Checkpoint spacing: one gap for this much road, or for this much turning.
constexpr float checkpointSpacing = 62.0f;
constexpr float checkpointTurn = glm::radians(50.0f);

TrackPath::Step corner(Rng& rng, int kind) {
    switch (kind) {
    case 0:
        return {rng.range(20.0f, 26.0f), rng.range(140.0f, 175.0f), false}; // hairpin
    case 1:
        return {rng.range(55.0f, 95.0f), rng.range(30.0f, 75.0f), false}; // sweeper
    case 2:
        return {rng.range(30.0f, 45.0f), rng.range(60.0f, 105.0f), false}; // medium corner
    default:
        return {rng.range(30.0f, 50.0f), -rng.range(30.0f, 70.0f), false}; // left flick
    }
}

// False when the corners leave the last one an impossible turn.
bool draw(Rng& rng, TrackPath::Design& d) {
    d.startLineOffset = 45.0f;
    d.baseHeight = 2.0f;
    d.steps.push_back({rng.range(120.0f, 170.0f), 0.0f, false});
    const int corners = 6 + static_cast<int>(rng.next() % 4u);
    const int hairpin = 1 + static_cast<int>(rng.next() % static_cast<uint32_t>(corners - 2));
    std::vector<TrackPath::Step> arcs;
    float turned = 0.0f;
    for (int i = 0; i < corners - 1; ++i) {
        const int kind = i == hairpin ? 0 : 1 + static_cast<int>(rng.next() % 3u);
        arcs.push_back(corner(rng, kind));
        turned += arcs.back().angleDegrees;
    }
    // The last corner turns what is left onto the start straight.
    const float last = 360.0f - turned;
    if (last < 30.0f || last > 175.0f)
        return false;
    arcs.push_back({last > 120.0f ? rng.range(28.0f, 40.0f) : rng.range(35.0f, 70.0f), last, false});
    // Two of the straights after the corners (never the last) close the loop.
    const int a = static_cast<int>(rng.next() % static_cast<uint32_t>(corners - 1));
    int b = static_cast<int>(rng.next() % static_cast<uint32_t>(corners - 1));
    if (b == a)
        b = (a + corners / 2) % (corners - 1);
    for (int i = 0; i < corners; ++i) {
        d.steps.push_back(arcs[static_cast<size_t>(i)]);
        if (i == a || i == b)
            d.steps.push_back({0.0f, 0.0f, true});
        else if (i + 1 < corners && rng.uniform() < 0.6f)
            d.steps.push_back({rng.range(20.0f, 110.0f), 0.0f, false});
    }
    return true;
}

// One to three rises, away from the grid and the start straight and apart from
// each other, none steeper than the karts can climb.
void addRises(Rng& rng, float total, TrackPath::Design& d) {
    const int count = 1 + static_cast<int>(rng.next() % 3u);
    for (int attempt = 0; attempt < 20 && static_cast<int>(d.bumps.size()) < count; ++attempt) {
        const float height = rng.range(2.5f, 8.0f);
        const float halfWidth = std::max(rng.range(40.0f, 90.0f), height / TrackDesigner::maxGradient);
        const float centre = rng.range(d.startLineOffset + 20.0f + halfWidth, total - 10.0f - halfWidth);
        if (centre - halfWidth < d.startLineOffset + 20.0f || centre + halfWidth > total - 10.0f)
            continue;
        bool apart = true;
        for (const TrackPath::Bump& other : d.bumps)
            apart = apart && std::abs(other.centre - centre) > other.halfWidth + halfWidth;
        if (apart)
            d.bumps.push_back({centre, halfWidth, height});
    }
}

} // namespace

bool TrackDesigner::acceptable(const TrackPath& path) {
    const float total = path.length();
    if (!(path.shortestClosing() >= minClosing) || total < minLength || total > maxLength)
        return false;
    const float step = 4.0f;
    std::vector<glm::vec2> points;
    glm::vec2 lo(1e9f), hi(-1e9f);
    for (float s = 0.0f; s < total; s += step) {
        const glm::vec3 p = path.at(s).position;
        points.emplace_back(p.x, p.z);
        lo = glm::min(lo, points.back());
        hi = glm::max(hi, points.back());
    }
    if (hi.x - lo.x > maxExtent || hi.y - lo.y > maxExtent)
        return false;
    // Points further apart along the loop than a half circle of the clearance
    // must be apart in space too.
    const size_t n = points.size();
    const size_t near = static_cast<size_t>(std::ceil(glm::pi<float>() * clearance / step));
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + near; j < n; ++j) {
            if (n - j + i < near)
                break;
            const glm::vec2 d = points[i] - points[j];
            if (glm::dot(d, d) < clearance * clearance)
                return false;
        }
    }
    return true;
}

namespace {

// The first design the seed draws that closes and keeps clear of itself.
TrackPath::Design layOut(uint32_t seed) {
    Rng rng(seed, 19u);
    for (int attempt = 0; attempt < 20000; ++attempt) {
        TrackPath::Design d;
        if (!draw(rng, d))
            continue;
        const TrackPath path(d);
        if (!TrackDesigner::acceptable(path))
            continue;
        addRises(rng, path.length(), d);
        d.checkpoints = TrackDesigner::placeCheckpoints(TrackPath(d));
        return d;
    }
    // Not reached for any seed tried; the island is a safe answer all the same.
    return TrackPath::islandDesign();
}

} // namespace

std::vector<float> TrackDesigner::placeCheckpoints(const TrackPath& path) {
    // Cost of the loop from the start line, metre by metre: distance plus turning.
    const float total = path.length();
    const int steps = static_cast<int>(std::ceil(total));
    const float step = total / static_cast<float>(steps);
    std::vector<float> cost(static_cast<size_t>(steps) + 1, 0.0f);
    for (int i = 0; i < steps; ++i) {
        const float s = path.startLine() + step * (static_cast<float>(i) + 0.5f);
        const float turn = std::abs(path.at(s).curvature) * step;
        cost[static_cast<size_t>(i) + 1] =
            cost[static_cast<size_t>(i)] + step / checkpointSpacing + turn / checkpointTurn;
    }
    const int count = std::clamp(static_cast<int>(std::ceil(cost.back() - 0.25f)), 12, maxCheckpoints);
    std::vector<float> placed;
    size_t i = 0;
    for (int k = 0; k < count; ++k) {
        const float wanted = cost.back() * static_cast<float>(k) / static_cast<float>(count);
        while (i + 1 < cost.size() && cost[i + 1] < wanted)
            ++i;
        const float within = cost[i + 1] > cost[i] ? (wanted - cost[i]) / (cost[i + 1] - cost[i]) : 0.0f;
        placed.push_back(path.wrap(path.startLine() + step * (static_cast<float>(i) + within)));
    }
    return placed;
}

std::string TrackDesigner::drivingProblem(const TrackPath& path) {
    char why[160];
    for (const TrackPath::Arc& arc : path.arcs()) {
        if (arc.radius < minRadius) {
            std::snprintf(why, sizeof(why), "a corner of radius %.1f m at %.0f m",
                          static_cast<double>(arc.radius), static_cast<double>(arc.start));
            return why;
        }
    }
    for (float s = 0.0f; s < path.length(); s += 1.0f) {
        const float slope = std::abs(path.heightAt(s + 0.5f) - path.heightAt(s - 0.5f));
        if (slope > maxGradient * glm::half_pi<float>() + 1e-3f) {
            std::snprintf(why, sizeof(why), "a climb of %.0f %% at %.0f m",
                          static_cast<double>(slope * 100.0f), static_cast<double>(s));
            return why;
        }
    }
    const int checkpoints = static_cast<int>(path.checkpoints().size());
    if (checkpoints > maxCheckpoints) {
        std::snprintf(why, sizeof(why), "%d checkpoints", checkpoints);
        return why;
    }
    if (!acceptable(path))
        return "the loop comes too close to itself";
    float worst = 0.0f, worstS = 0.0f;
    for (const glm::vec2& point : path.checkpointLine(24)) {
        const TrackPath::Nearest n = path.nearest(point);
        if (n.distance > worst) {
            worst = n.distance;
            worstS = n.s;
        }
    }
    if (worst > lineLimit) {
        std::snprintf(why, sizeof(why),
                      "the line through the checkpoints leaves the road by %.1f m at %.0f m",
                      static_cast<double>(worst), static_cast<double>(worstS));
        return why;
    }
    return {};
}

TrackPath::Design TrackDesigner::fromSeed(uint32_t seed) {
    uint32_t tried = seed;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        TrackPath::Design d = layOut(tried);
        const std::string problem = drivingProblem(TrackPath(d));
        if (problem.empty())
            return d;
        const uint32_t next = Rng::hash(static_cast<int32_t>(seed), attempt, 19, 0x5eedu);
        std::fprintf(stderr, "assetgen: seed %u gives a track karts cannot drive (%s); trying seed %u\n",
                     tried, problem.c_str(), next);
        tried = next;
    }
    return TrackPath::islandDesign();
}
