// Delayed actions of updateable components.
#include "core/runtime/Updateable.h"

void Updateable::update(float) {
    for (Timer& timer : timers) {
        timer.stepped = false;
    }
}

void Updateable::lateUpdate(float) {
    // Timers made this frame start counting at the next fixed step, never this frame.
    startPendingTimers();
}

void Updateable::startPendingTimers() {
    for (Timer& timer : pendingTimers) {
        timers.push_back(std::move(timer));
    }
    pendingTimers.clear();
}

void Updateable::fixedUpdate(float dt) {
    for (size_t i = 0; i < timers.size();) {
        timers[i].stepped = true;
        timers[i].remaining -= dt;
        if (timers[i].remaining <= 0.0f) {
            // Move the action out first: it may schedule new timers on this component.
            std::function<void()> action = std::move(timers[i].action);
            timers.erase(timers.begin() + static_cast<std::ptrdiff_t>(i));
            const std::weak_ptr<char> alive = lifetime;
            action();
            if (alive.expired()) {
                return;
            }
        } else {
            ++i;
        }
    }
}

void Updateable::invoke(std::function<void()> action, float delay) {
    pendingTimers.push_back({std::move(action), delay, false});
}
