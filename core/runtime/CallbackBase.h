// One subscription of an event: a type-erased call with the event's arguments.
#pragma once

#include <functional>

template <typename... Args> class CallbackBase {
public:
    virtual ~CallbackBase() = default;
    std::function<void(Args...)> function;
};
