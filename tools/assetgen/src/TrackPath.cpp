// See TrackPath.h. The design below is the race track itself: change the element
// list to change the layout; the two "closing" straights adapt their lengths.
#include "TrackPath.h"

#include <glm/gtc/constants.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

namespace {

// Clockwise loop, seen from above; the first straight is the start/finish straight
// heading north (-Z). Turning angles sum to 360 degrees.
const TrackPath::Step islandSteps[] = {
    {130.0f, 0.0f, false},                          // start/finish straight
    {40.0f, 90.0f, false},                          // turn 1, onto the north shore
    {85.0f, 0.0f, false},                           // north shore: no barrier on the sea side
    {80.0f, 50.0f, false},                          // fast right sweeper, climbing
    {30.0f, -50.0f, false},                         // left flick over the crest
    {22.0f, 150.0f, false},                         // hairpin
    {30.0f, 0.0f, false},   {45.0f, -60.0f, false}, // long left
    {0.0f, 0.0f, true},                             // east side, heading south
    {60.0f, 90.0f, false},                          // wide right onto the south side
    {0.0f, 0.0f, true},                             // south side, heading west
    {35.0f, 90.0f, false},                          // last corner onto the start straight
};

glm::vec2 headingVector(float heading) {
    return glm::vec2(std::sin(heading), -std::cos(heading));
}

float smoothBump(float s, float centre, float halfWidth) {
    const float t = (s - centre) / halfWidth;
    if (t <= -1.0f || t >= 1.0f)
        return 0.0f;
    return 0.5f * (1.0f + std::cos(t * glm::pi<float>()));
}

} // namespace

TrackPath::Design TrackPath::islandDesign() {
    Design d;
    d.steps.assign(std::begin(islandSteps), std::end(islandSteps));
    // A climb from the end of the shore straight to a crest at the left flick and
    // down into the hairpin, and a smaller rise on the south side.
    d.bumps = {{360.0f, 80.0f, 7.5f}, {-150.0f, 45.0f, 2.8f}};
    d.baseHeight = 2.0f;
    d.startLineOffset = 45.0f;
    // The north shore straight and the exit of turn 1.
    d.unguardedElement = 2;
    return d;
}

TrackPath::TrackPath(const Design& designToBuild) : design(designToBuild) {
    std::vector<Element> laid;
    for (const Step& step : design.steps) {
        Element e{};
        if (step.angleDegrees == 0.0f) {
            e.length = step.lengthOrRadius;
        } else {
            e.radius = step.lengthOrRadius;
            e.turn = glm::radians(step.angleDegrees);
            e.length = e.radius * std::abs(e.turn);
        }
        laid.push_back(e);
    }
    // Close the loop: with the closing straights at zero length the end misses the
    // start by a vector; spread it over the two closing straights' directions.
    const glm::vec2 end = layOut(laid);
    int closing[2] = {-1, -1};
    int found = 0;
    for (size_t i = 0; i < laid.size() && found < 2; ++i)
        if (design.steps[i].closing)
            closing[found++] = static_cast<int>(i);
    const glm::vec2 gap = -end;
    const glm::vec2 a = headingVector(laid[closing[0]].heading);
    const glm::vec2 b = headingVector(laid[closing[1]].heading);
    const float det = a.x * b.y - a.y * b.x;
    laid[closing[0]].length = (gap.x * b.y - gap.y * b.x) / det;
    laid[closing[1]].length = (a.x * gap.y - a.y * gap.x) / det;
    minClosing = std::min(laid[closing[0]].length, laid[closing[1]].length);
    layOut(laid);
    elements = laid;

    total = 0.0f;
    for (const Element& e : elements) {
        if (e.radius > 0.0f)
            arcList.push_back(Arc{e.s0, e.length, e.radius, glm::degrees(e.turn)});
        total += e.length;
    }
    startS = design.startLineOffset;
    if (design.checkpoints.empty()) {
        const int count = std::clamp(static_cast<int>(std::lround(total / 62.0f)), 12, 20);
        for (int k = 0; k < count; ++k)
            checkpointS.push_back(wrap(startS + total * static_cast<float>(k) / static_cast<float>(count)));
    } else {
        for (float s : design.checkpoints)
            checkpointS.push_back(wrap(s));
    }
    for (Bump& bump : design.bumps)
        if (bump.centre < 0.0f)
            bump.centre = total + bump.centre;
    float highest = -1.0f;
    for (const Bump& bump : design.bumps) {
        if (bump.height > highest) {
            highest = bump.height;
            crestS = bump.centre;
        }
    }
    const int u = design.unguardedElement;
    if (u > 0 && u < static_cast<int>(elements.size())) {
        unguardedS0 = elements[u - 1].s0 + elements[u - 1].length * 0.6f;
        unguardedS1 = elements[u].s0 + elements[u].length;
    } else {
        // Far outside the loop, so that nothing is ever near the stretch.
        unguardedS0 = unguardedS1 = -1000.0f;
    }

    const int count = static_cast<int>(std::ceil(total));
    for (int i = 0; i < count; ++i) {
        const float s = total * static_cast<float>(i) / static_cast<float>(count);
        polyline.push_back(planar(s, nullptr, nullptr));
        polylineS.push_back(s);
    }
}

glm::vec2 TrackPath::layOut(std::vector<Element>& list) const {
    glm::vec2 position(0.0f);
    float heading = 0.0f;
    float s = 0.0f;
    for (Element& e : list) {
        e.start = position;
        e.heading = heading;
        e.s0 = s;
        if (e.radius > 0.0f) {
            const float sign = e.turn > 0 ? 1.0f : -1.0f;
            const glm::vec2 centre =
                position + e.radius * headingVector(heading + glm::half_pi<float>() * sign);
            heading += e.turn;
            position = centre - e.radius * headingVector(heading + glm::half_pi<float>() * sign);
        } else {
            position += e.length * headingVector(heading);
        }
        s += e.length;
    }
    return position;
}

float TrackPath::wrap(float s) const {
    s = std::fmod(s, total);
    return s < 0.0f ? s + total : s;
}

glm::vec2 TrackPath::planar(float s, float* heading, float* curvature) const {
    s = wrap(s);
    const Element* e = &elements.back();
    for (const Element& candidate : elements) {
        if (s < candidate.s0 + candidate.length) {
            e = &candidate;
            break;
        }
    }
    const float local = std::clamp(s - e->s0, 0.0f, e->length);
    if (e->radius <= 0.0f) {
        if (heading)
            *heading = e->heading;
        if (curvature)
            *curvature = 0.0f;
        return e->start + local * headingVector(e->heading);
    }
    const float sign = e->turn > 0 ? 1.0f : -1.0f;
    const glm::vec2 centre = e->start + e->radius * headingVector(e->heading + glm::half_pi<float>() * sign);
    const float h = e->heading + sign * local / e->radius;
    if (heading)
        *heading = h;
    if (curvature)
        *curvature = sign / e->radius;
    return centre - e->radius * headingVector(h + glm::half_pi<float>() * sign);
}

float TrackPath::heightAt(float s) const {
    s = wrap(s);
    // Base height above the sea and the design's rises. Repeating the bumps one
    // loop away keeps the profile continuous across the start.
    float h = design.baseHeight;
    for (float shift : {-total, 0.0f, total}) {
        const float t = s + shift;
        for (const Bump& bump : design.bumps)
            h += bump.height * smoothBump(t, bump.centre, bump.halfWidth);
    }
    return h;
}

TrackPath::Frame TrackPath::at(float s) const {
    float heading = 0.0f, curvature = 0.0f;
    const glm::vec2 p = planar(s, &heading, &curvature);
    const float h = heightAt(s);
    const float slope = (heightAt(s + 0.5f) - heightAt(s - 0.5f));
    const glm::vec2 d = headingVector(heading);
    Frame f;
    f.position = glm::vec3(p.x, h, p.y);
    f.forward = glm::normalize(glm::vec3(d.x, slope, d.y));
    f.right = glm::normalize(glm::vec3(-d.y, 0.0f, d.x));
    f.curvature = curvature;
    return f;
}

TrackPath::Nearest TrackPath::nearest(const glm::vec2& xz) const {
    float best = std::numeric_limits<float>::max();
    size_t bestIndex = 0;
    for (size_t i = 0; i < polyline.size(); ++i) {
        const glm::vec2 d = polyline[i] - xz;
        const float d2 = glm::dot(d, d);
        if (d2 < best) {
            best = d2;
            bestIndex = i;
        }
    }
    // Refine on the two neighbouring segments.
    Nearest result;
    float bestDistance = std::numeric_limits<float>::max();
    const size_t n = polyline.size();
    for (size_t k : {(bestIndex + n - 1) % n, bestIndex}) {
        const glm::vec2 a = polyline[k];
        const glm::vec2 b = polyline[(k + 1) % n];
        const glm::vec2 ab = b - a;
        const float t = std::clamp(glm::dot(xz - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
        const glm::vec2 q = a + t * ab;
        const float d = glm::length(xz - q);
        if (d < bestDistance) {
            bestDistance = d;
            const float segment = total / static_cast<float>(n);
            result.s = wrap(polylineS[k] + t * segment);
            const glm::vec2 dir = glm::normalize(ab);
            const glm::vec2 right(-dir.y, dir.x);
            result.lateral = glm::dot(xz - q, right);
            result.distance = d;
        }
    }
    result.roadHeight = heightAt(result.s);
    return result;
}

bool TrackPath::insideLoop(const glm::vec2& xz) const {
    // Even-odd rule on the centre polyline.
    bool inside = false;
    const size_t n = polyline.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const glm::vec2& a = polyline[i];
        const glm::vec2& b = polyline[j];
        if ((a.y > xz.y) != (b.y > xz.y)) {
            const float x = (b.x - a.x) * (xz.y - a.y) / (b.y - a.y) + a.x;
            if (xz.x < x)
                inside = !inside;
        }
    }
    return inside;
}

std::vector<glm::vec2> TrackPath::checkpointLine(int perGap) const {
    std::vector<glm::vec2> points;
    for (float s : checkpointS) {
        const glm::vec3 p = at(s).position;
        points.emplace_back(p.x, p.z);
    }
    std::vector<glm::vec2> line;
    const size_t n = points.size();
    for (size_t i = 0; i < n; ++i) {
        const glm::vec2& p0 = points[(i + n - 1) % n];
        const glm::vec2& p1 = points[i];
        const glm::vec2& p2 = points[(i + 1) % n];
        const glm::vec2& p3 = points[(i + 2) % n];
        for (int k = 0; k < perGap; ++k) {
            const float t = static_cast<float>(k) / static_cast<float>(perGap);
            const float t2 = t * t, t3 = t2 * t;
            line.push_back(0.5f *
                           ((2.0f * p1) + (-p0 + p2) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                            (-p0 + 3.0f * p1 - 3.0f * p2 + p3) * t3));
        }
    }
    return line;
}

float TrackPath::crest() const {
    return crestS;
}

bool TrackPath::isUnguarded(float s) const {
    if (unguardedS1 < 0.0f)
        return false;
    s = wrap(s);
    return s >= unguardedS0 && s <= unguardedS1;
}
