// Nearest-listener placement of 3D voices.
#include "core/audio/SoundListeners.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Listeners whose distances differ by less than this share the direction of a voice.
float blendWidth(float nearest) {
    return 1.0f + 0.25f * nearest;
}

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

SoundListeners::SoundListeners() : listeners(1) {}

bool SoundListeners::setCount(int count) {
    if (count < 1 || count > maxListeners)
        return false;
    listeners.resize(static_cast<std::size_t>(count));
    liveDirty = true;
    return true;
}

bool SoundListeners::set(int index, const glm::vec3& position, const glm::vec3& forward,
                         const glm::vec3& up) {
    if (index < 0 || index >= getCount())
        return false;
    if (!finite(position) || !finite(forward) || !finite(up))
        return false;
    Listener& l = listeners[static_cast<std::size_t>(index)];
    l.position = position;
    const glm::vec3 f = glm::length(forward) > 1e-6f ? glm::normalize(forward) : glm::vec3(0, 0, -1);
    glm::vec3 r = glm::cross(f, up);
    if (glm::length(r) < 1e-6f)
        r = glm::cross(f, std::abs(f.y) < 0.9f ? glm::vec3(0, 1, 0) : glm::vec3(0, 0, 1));
    l.right = glm::normalize(r);
    l.up = glm::cross(l.right, f);
    l.back = -f;
    if (l.setFrame < frame)
        liveDirty = true;
    l.setFrame = frame;
    return true;
}

bool SoundListeners::get(int index, glm::vec3& position, glm::vec3& forward, glm::vec3& up) const {
    if (index < 0 || index >= getCount())
        return false;
    const Listener& l = listeners[static_cast<std::size_t>(index)];
    position = l.position;
    forward = -l.back;
    up = l.up;
    return true;
}

void SoundListeners::nextFrame() {
    ++frame;
    liveDirty = true;
}

glm::vec3 SoundListeners::Listener::toLocal(const glm::vec3& world) const {
    const glm::vec3 d = world - position;
    return {glm::dot(d, right), glm::dot(d, up), glm::dot(d, back)};
}

const std::vector<int>& SoundListeners::candidates() const {
    if (!liveDirty)
        return live;
    live.clear();
    for (int i = 0; i < getCount(); ++i) {
        if (listeners[static_cast<std::size_t>(i)].setFrame >= frame - 1)
            live.push_back(i);
    }
    // Nobody keeps their listener fresh: every listener keeps its last attributes.
    if (live.empty()) {
        for (int i = 0; i < getCount(); ++i)
            live.push_back(i);
    }
    liveDirty = false;
    return live;
}

glm::vec3 SoundListeners::place(const glm::vec3& world, float& nearestDistance) const {
    const std::vector<int>& ids = candidates();
    float nearest = std::numeric_limits<float>::max();
    int nearestId = ids.front();
    for (int id : ids) {
        const float d = glm::distance(world, listeners[static_cast<std::size_t>(id)].position);
        if (d < nearest) {
            nearest = d;
            nearestId = id;
        }
    }
    nearestDistance = nearest;
    const glm::vec3 own = listeners[static_cast<std::size_t>(nearestId)].toLocal(world);
    if (ids.size() == 1 || nearest < 1e-6f)
        return own;

    // Blend the directions seen by every listener within reach of the nearest, each
    // weighted by how close it comes to being the nearest; the distance stays the
    // nearest one, so loudness is unchanged and the direction turns smoothly.
    const float width = blendWidth(nearest);
    glm::vec3 direction(0.0f);
    for (int id : ids) {
        const Listener& l = listeners[static_cast<std::size_t>(id)];
        const float d = glm::distance(world, l.position);
        const float weight = 1.0f - (d - nearest) / width;
        if (weight <= 0.0f || d < 1e-6f)
            continue;
        direction += weight * l.toLocal(world) / d;
    }
    const float length = glm::length(direction);
    if (length < 1e-3f)
        return own;
    return direction / length * nearest;
}
