// Events: an owned list of callbacks fired in subscription order. An object
// subscribes itself at most once per event, whatever member function it offers.
#pragma once

#include "core/runtime/Callback.h"

#include <memory>
#include <vector>

template <typename... Args> using Event = std::vector<std::unique_ptr<CallbackBase<Args...>>>;

template <typename T, typename... Args>
void subscribe(Event<Args...>& event, T* object, void (T::*method)(Args...)) {
    for (const auto& entry : event) {
        const auto* callback = dynamic_cast<const Callback<T, Args...>*>(entry.get());
        if (callback != nullptr && callback->object == object) {
            return;
        }
    }
    event.push_back(std::make_unique<Callback<T, Args...>>(object, method));
}

template <typename T, typename... Args> void unsubscribe(Event<Args...>& event, T* object) {
    for (auto it = event.begin(); it != event.end(); ++it) {
        const auto* callback = dynamic_cast<const Callback<T, Args...>*>(it->get());
        if (callback != nullptr && callback->object == object) {
            event.erase(it);
            return;
        }
    }
}

template <typename... Args, typename... Passed> void fire(const Event<Args...>& event, Passed&&... args) {
    // Indexing rather than iterating keeps the walk valid if a callback subscribes another object.
    for (size_t i = 0; i < event.size(); ++i) {
        event[i]->function(args...);
    }
}
