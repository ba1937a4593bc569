// The track's centreline: a closed loop of straights and constant-radius arcs
// (laid out like a turtle drawing, closed by solving for two straight lengths),
// with a smooth height profile. Everything else of the track is placed relative
// to it: distance along the loop s, lateral offset (+ right), height above road.
#pragma once

#include <glm/glm.hpp>

#include <vector>

class TrackPath {
public:
    struct Frame {
        glm::vec3 position; // on the road surface, centre of the road
        glm::vec3 forward;  // along the road, following its slope
        glm::vec3 right;    // horizontal
        float curvature;    // 1/radius, positive in right-hand turns
    };

    struct Nearest {
        float s = 0.0f;        // distance along the loop of the nearest centre point
        float lateral = 0.0f;  // signed distance from the centreline, + right
        float distance = 0.0f; // horizontal distance to the centreline
        float roadHeight = 0.0f;
    };

    // The arcs of the design: where each begins along the loop, its radius and
    // turning angle (degrees, + right).
    struct Arc {
        float start, length, radius, angleDegrees;
    };

    // One piece of the layout: a straight (angle 0) or a constant-radius arc.
    struct Step {
        float lengthOrRadius; // straight: length; arc: radius
        float angleDegrees;   // 0: straight; + right, - left
        bool closing;         // straight whose length is solved for
    };
    // A smooth rise of the road centred at s (negative: that far before the end of the loop).
    struct Bump {
        float centre, halfWidth, height;
    };
    // A whole layout: turning angles sum to 360 degrees (a clockwise loop), exactly
    // two closing straights, the first step is the start/finish straight.
    struct Design {
        std::vector<Step> steps;
        std::vector<Bump> bumps;
        float baseHeight = 2.0f;
        float startLineOffset = 45.0f;
        // The element without an outside barrier (from 60 % into the one before
        // it to its end); negative: barriers all round.
        int unguardedElement = -1;
        // Where the checkpoints lie along the loop, the first on the start line;
        // empty: evenly spaced, about every 62 m (12 to 20).
        std::vector<float> checkpoints;
    };

    // The island circuit.
    static Design islandDesign();

    TrackPath() : TrackPath(islandDesign()) {}
    explicit TrackPath(const Design& design);

    // The closing straights' solved lengths (a valid design needs them positive).
    float shortestClosing() const { return minClosing; }

    float length() const { return total; }
    // Wraps s into [0, length).
    float wrap(float s) const;
    Frame at(float s) const;
    float heightAt(float s) const;
    Nearest nearest(const glm::vec2& xz) const;
    bool insideLoop(const glm::vec2& xz) const;
    const std::vector<Arc>& arcs() const { return arcList; }

    // Where the start/finish line lies along the loop.
    float startLine() const { return startS; }
    // Where each checkpoint lies along the loop, in race order from the start line.
    const std::vector<float>& checkpoints() const { return checkpointS; }
    // The line a driver follows through the checkpoints: a uniform Catmull-Rom
    // curve, `perGap` points from each checkpoint towards the next (x, z).
    std::vector<glm::vec2> checkpointLine(int perGap) const;
    // Where the road is highest.
    float crest() const;
    // The stretch without an outside barrier, where a kart can fall in the sea.
    float unguardedBegin() const { return unguardedS0; }
    float unguardedEnd() const { return unguardedS1; }
    bool isUnguarded(float s) const;

private:
    struct Element {
        float length;    // arc length of this element
        float radius;    // 0 for a straight
        float turn;      // radians, + right; 0 for a straight
        glm::vec2 start; // x, z where it begins
        float heading;   // radians where it begins; 0 = -Z, pi/2 = +X
        float s0;        // distance along the loop where it begins
    };

    // Places the elements one after another; returns where the last one ends.
    glm::vec2 layOut(std::vector<Element>& elements) const;
    glm::vec2 planar(float s, float* heading, float* curvature) const;

    Design design;
    std::vector<Element> elements;
    float minClosing = 0.0f;
    float crestS = 0.0f;
    std::vector<Arc> arcList;
    std::vector<glm::vec2> polyline; // centre points every metre or so, for queries
    std::vector<float> polylineS;
    float total = 0.0f;
    float startS = 0.0f;
    std::vector<float> checkpointS;
    float unguardedS0 = 0.0f;
    float unguardedS1 = 0.0f;
};
