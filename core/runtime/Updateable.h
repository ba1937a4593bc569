// A component with per-frame hooks (update, late update, fixed update) and
// delayed actions. Timed game events use invoke() rather than polled state.
#pragma once

#include "core/runtime/Component.h"

#include <functional>
#include <memory>
#include <vector>

struct Timer {
    std::function<void()> action;
    float remaining = 0.0f;
    bool stepped = false;
};

class Updateable : public Component {
public:
    using Component::Component;

    // The defaults run the timers: a subclass overriding a hook calls the base
    // version to keep that part of its timers working.
    // Runs once per frame after the input and before the fixed steps: where
    // drivers turn this frame's input into what the fixed steps act on. No timers.
    virtual void earlyUpdate(float) {}
    virtual void update(float dt);
    virtual void lateUpdate(float dt);
    virtual void fixedUpdate(float dt);

    // Runs action once, delay seconds from the next fixed step on.
    void invoke(std::function<void()> action, float delay);
    // Lets the timers made so far count from the next fixed step on. The scene
    // calls it after each fixed step, so a timer made inside a step (a trigger,
    // a respawn) fires after the same number of steps however the frames fall;
    // late update calls it for the timers made during the frame.
    void startPendingTimers();

    const std::vector<Timer>& activeTimers() const { return timers; }

private:
    std::vector<Timer> pendingTimers;
    std::vector<Timer> timers;
    // Expires with the component: a timer action may remove its own component,
    // and the timer walk must then stop without touching it again.
    std::shared_ptr<char> lifetime = std::make_shared<char>(0);
};
