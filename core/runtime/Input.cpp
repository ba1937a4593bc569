// Keyboard, mouse and close handling through GLFW's callbacks.
#include "core/runtime/Input.h"

#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"

#include <GLFW/glfw3.h>

namespace {

void applyAction(std::map<int, KeyState>& states, int code, int action) {
    if (action == GLFW_RELEASE) {
        states[code] = KeyState::Released;
    } else if (action == GLFW_PRESS) {
        states[code] = KeyState::Pressed;
    }
}

void age(std::map<int, KeyState>& states) {
    for (auto& entry : states) {
        if (entry.second == KeyState::Pressed) {
            entry.second = KeyState::Held;
        }
    }
}

Input* inputOf(GLFWwindow* window) { return static_cast<Input*>(glfwGetWindowUserPointer(window)); }

} // namespace

Input::Input(SystemRegistry* systems) : System(systems) {
    const Graphics* graphics = get<Graphics>();
    window = graphics != nullptr ? graphics->window : nullptr;
    if (window == nullptr) {
        return;
    }
    glfwSetInputMode(window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
    glfwSetWindowUserPointer(window, this);
    glfwSetKeyCallback(window, keyCallback);
    glfwSetMouseButtonCallback(window, mouseButtonCallback);
    glfwSetWindowCloseCallback(window, closeCallback);
}

Input::~Input() {
    if (window != nullptr) {
        glfwSetKeyCallback(window, nullptr);
        glfwSetMouseButtonCallback(window, nullptr);
        glfwSetWindowCloseCallback(window, nullptr);
        glfwSetWindowUserPointer(window, nullptr);
    }
}

void Input::keyCallback(GLFWwindow* window, int key, int, int action, int) { inputOf(window)->onKey(key, action); }

void Input::mouseButtonCallback(GLFWwindow* window, int button, int action, int) {
    inputOf(window)->onMouseButton(button, action);
}

void Input::closeCallback(GLFWwindow* window) { inputOf(window)->onClose(); }

void Input::onKey(int key, int action) { applyAction(keys, key, action); }

void Input::queueKey(int key, int action) { queuedKeys.emplace_back(key, action); }

void Input::onMouseButton(int button, int action) { applyAction(mouseButtons, button, action); }

void Input::onClose() {
    if (Engine* engine = get<Engine>()) {
        engine->quit = true;
    }
}

void Input::setCursorOverride(bool enabled, float x, float y) {
    cursorOverridden = enabled;
    overrideX = x;
    overrideY = y;
}

void Input::readCursor(float& x, float& y) const {
    if (cursorOverridden || window == nullptr) {
        x = cursorOverridden ? overrideX : cursorX;
        y = cursorOverridden ? overrideY : cursorY;
        return;
    }
    double cx = 0.0;
    double cy = 0.0;
    glfwGetCursorPos(window, &cx, &cy);
    x = static_cast<float>(cx);
    y = static_cast<float>(cy);
}

void Input::update() {
    age(keys);
    age(mouseButtons);
    if (window != nullptr) {
        glfwPollEvents();
    }
    for (const auto& [key, action] : queuedKeys) {
        onKey(key, action);
    }
    queuedKeys.clear();
    float x = 0.0f;
    float y = 0.0f;
    readCursor(x, y);
    if (cursorX == -1.0f) {
        cursorX = x;
    }
    if (cursorY == -1.0f) {
        cursorY = y;
    }
    cursorDeltaX = x - cursorX;
    cursorX = x;
    cursorDeltaY = y - cursorY;
    cursorY = y;
}

KeyState& Input::getKey(int key) { return keys[key]; }

bool Input::isKeyDown(int key) {
    const KeyState state = getKey(key);
    return state == KeyState::Pressed || state == KeyState::Held;
}

KeyState& Input::getMouseButton(int button) { return mouseButtons[button]; }

bool Input::isMouseButtonDown(int button) {
    const KeyState state = getMouseButton(button);
    return state == KeyState::Pressed || state == KeyState::Held;
}
