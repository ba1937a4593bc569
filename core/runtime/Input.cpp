// Keyboard, mouse and close handling through GLFW's callbacks.
#include "core/runtime/Input.h"

#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Keys.h"

#include <GLFW/glfw3.h>

#include <algorithm>

// Key codes pass through unchanged: the names must be the window library's codes.
static_assert(key::space == GLFW_KEY_SPACE && key::comma == GLFW_KEY_COMMA && key::period == GLFW_KEY_PERIOD);
static_assert(key::a == GLFW_KEY_A && key::w == GLFW_KEY_W && key::escape == GLFW_KEY_ESCAPE);
static_assert(key::right == GLFW_KEY_RIGHT && key::up == GLFW_KEY_UP && key::f1 == GLFW_KEY_F1);
static_assert(key::f10 == GLFW_KEY_F10 && key::leftShift == GLFW_KEY_LEFT_SHIFT);
static_assert(key::rightControl == GLFW_KEY_RIGHT_CONTROL && key::enter == GLFW_KEY_ENTER);

namespace {

// A key released in the same poll that saw it go down stays Pressed for that
// frame (a quick tap must not vanish) and is let go at the next ageing.
void applyAction(std::map<int, KeyState>& states, std::vector<int>& tapped, int code, int action) {
    KeyState& state = states[code];
    if (action == GLFW_RELEASE) {
        if (state == KeyState::Pressed) {
            tapped.push_back(code);
        } else {
            state = KeyState::Released;
        }
    } else if (action == GLFW_PRESS) {
        state = KeyState::Pressed;
        tapped.erase(std::remove(tapped.begin(), tapped.end(), code), tapped.end());
    }
}

void age(std::map<int, KeyState>& states, std::vector<int>& tapped) {
    for (auto& entry : states) {
        if (entry.second == KeyState::Pressed) {
            entry.second = KeyState::Held;
        }
    }
    for (const int code : tapped) {
        states[code] = KeyState::Released;
    }
    tapped.clear();
}

Input* inputOf(GLFWwindow* window) {
    return static_cast<Input*>(glfwGetWindowUserPointer(window));
}

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

void Input::keyCallback(GLFWwindow* window, int key, int, int action, int) {
    inputOf(window)->onKey(key, action);
}

void Input::mouseButtonCallback(GLFWwindow* window, int button, int action, int) {
    inputOf(window)->onMouseButton(button, action);
}

void Input::closeCallback(GLFWwindow* window) {
    inputOf(window)->onClose();
}

void Input::onKey(int key, int action) {
    applyAction(keys, tappedKeys, key, action);
}

void Input::queueKey(int key, int action) {
    queuedKeys.emplace_back(key, action);
}

void Input::onMouseButton(int button, int action) {
    applyAction(mouseButtons, tappedButtons, button, action);
}

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
    age(keys, tappedKeys);
    age(mouseButtons, tappedButtons);
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

KeyState& Input::getKey(int key) {
    return keys[key];
}

bool Input::anyKeyPressed() const {
    for (const auto& [key, state] : keys) {
        if (state == KeyState::Pressed) {
            return true;
        }
    }
    return false;
}

bool Input::isKeyDown(int key) {
    const KeyState state = getKey(key);
    return state == KeyState::Pressed || state == KeyState::Held;
}

KeyState& Input::getMouseButton(int button) {
    return mouseButtons[button];
}

bool Input::isMouseButtonDown(int button) {
    const KeyState state = getMouseButton(button);
    return state == KeyState::Pressed || state == KeyState::Held;
}
