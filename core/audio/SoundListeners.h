// The runtime's listeners. The output has a single listener, so each 3D voice is
// placed in the frame of the listener nearest to it (split-screen players each hear
// around themselves); near a tie the frames are blended so the sound does not jump.
#pragma once

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class SoundListeners {
public:
    static constexpr int maxListeners = 4096;

    SoundListeners();

    bool setCount(int count);
    int getCount() const { return static_cast<int>(listeners.size()); }
    bool set(int index, const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up);
    bool get(int index, glm::vec3& position, glm::vec3& forward, glm::vec3& up) const;

    // Called once per runtime update. A listener not set during the last two frames is
    // considered abandoned (its scene is gone) and left out while others are kept fresh.
    void nextFrame();

    // The point in listener-relative coordinates (x right, y up, z back) and the
    // distance to the nearest listener.
    glm::vec3 place(const glm::vec3& world, float& nearestDistance) const;

private:
    struct Listener {
        glm::vec3 position{0.0f};
        glm::vec3 right{1.0f, 0.0f, 0.0f};
        glm::vec3 up{0.0f, 1.0f, 0.0f};
        glm::vec3 back{0.0f, 0.0f, 1.0f};
        std::int64_t setFrame = -1;

        glm::vec3 toLocal(const glm::vec3& world) const;
    };

    const std::vector<int>& candidates() const;

    std::vector<Listener> listeners;
    std::int64_t frame = 0;
    mutable std::vector<int> live;
    mutable bool liveDirty = true;
};
