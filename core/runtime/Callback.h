// A subscription that binds one subscriber object to one of its member
// functions. Its dynamic type identifies the subscriber's class.
#pragma once

#include "core/runtime/CallbackBase.h"

template <typename T, typename... Args> class Callback : public CallbackBase<Args...> {
public:
    Callback(T* object, void (T::*method)(Args...)) : object(object) {
        this->function = [object, method](Args... args) { (object->*method)(args...); };
    }
    T* const object;
};
