// Keyboard, mouse and close handling through GLFW's callbacks.
#include "core/runtime/Input.h"

#include "core/platform/Log.h"
#include "core/render/Graphics.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Keys.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <iterator>
#include <utility>

// Key codes pass through unchanged: the names must be the window library's codes.
static_assert(key::space == GLFW_KEY_SPACE && key::comma == GLFW_KEY_COMMA && key::period == GLFW_KEY_PERIOD);
static_assert(key::a == GLFW_KEY_A && key::w == GLFW_KEY_W && key::escape == GLFW_KEY_ESCAPE);
static_assert(key::right == GLFW_KEY_RIGHT && key::up == GLFW_KEY_UP && key::f1 == GLFW_KEY_F1);
static_assert(key::f10 == GLFW_KEY_F10 && key::leftShift == GLFW_KEY_LEFT_SHIFT);
static_assert(key::rightControl == GLFW_KEY_RIGHT_CONTROL && key::enter == GLFW_KEY_ENTER);
// Pad states are copied straight from the library's struct.
static_assert(sizeof(GamepadState::buttons) == sizeof(GLFWgamepadstate::buttons));
static_assert(sizeof(GamepadState::axes) == sizeof(GLFWgamepadstate::axes));
static_assert(pad::back == GLFW_GAMEPAD_BUTTON_BACK && pad::dpadLeft == GLFW_GAMEPAD_BUTTON_DPAD_LEFT);
static_assert(pad::y == GLFW_GAMEPAD_BUTTON_Y && pad::rightTrigger == GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER);
static_assert(Input::maxGamepads == GLFW_JOYSTICK_LAST + 1);
static_assert(Input::keyCodes == GLFW_KEY_LAST + 1 && Input::mouseButtonCodes == GLFW_MOUSE_BUTTON_LAST + 1);

namespace {

// A key released in the same poll that saw it go down stays Pressed for that
// frame (a quick tap must not vanish) and is let go at the next ageing.
template <size_t codes>
void applyAction(std::array<KeyState, codes>& states, std::vector<int>& tapped, int code, int action) {
    // GLFW_KEY_UNKNOWN and anything else past the table have no state to keep.
    if (code < 0 || code >= static_cast<int>(codes)) {
        return;
    }
    KeyState& state = states[static_cast<size_t>(code)];
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

template <size_t codes> void age(std::array<KeyState, codes>& states, std::vector<int>& tapped) {
    for (KeyState& state : states) {
        if (state == KeyState::Pressed) {
            state = KeyState::Held;
        }
    }
    for (const int code : tapped) {
        states[static_cast<size_t>(code)] = KeyState::Released;
    }
    tapped.clear();
}

template <size_t codes> KeyState stateOf(const std::array<KeyState, codes>& states, int code) {
    return code >= 0 && code < static_cast<int>(codes) ? states[static_cast<size_t>(code)]
                                                       : KeyState::Released;
}

Input* inputOf(GLFWwindow* window) {
    return static_cast<Input*>(glfwGetWindowUserPointer(window));
}

bool readLibraryGamepad(int pad, GamepadState& state) {
    GLFWgamepadstate read;
    if (glfwJoystickIsGamepad(pad) != GLFW_TRUE || glfwGetGamepadState(pad, &read) != GLFW_TRUE) {
        return false;
    }
    std::copy(std::begin(read.buttons), std::end(read.buttons), state.buttons.begin());
    std::copy(std::begin(read.axes), std::end(read.axes), state.axes.begin());
    return true;
}

// Sticks centred, triggers let go, nothing pressed.
const GamepadState idlePad{{}, {0.0f, 0.0f, 0.0f, 0.0f, -1.0f, -1.0f}};

} // namespace

Input::Input(SystemRegistry* systems) : System(systems) {
    playerPads.fill(-1);
    // Room for a busy frame's events, so that none of them allocates.
    queuedKeys.reserve(64);
    tappedKeys.reserve(64);
    tappedButtons.reserve(mouseButtonCodes);
    const Graphics* graphics = get<Graphics>();
    window = graphics != nullptr ? graphics->window : nullptr;
    if (window == nullptr) {
        return;
    }
    gamepadSource = readLibraryGamepad;
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
    pollGamepads();
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

KeyState Input::getKey(int key) const {
    return stateOf(keys, key);
}

bool Input::anyKeyPressed() const {
    if (std::find(keys.begin(), keys.end(), KeyState::Pressed) != keys.end()) {
        return true;
    }
    for (int button = 0; button < static_cast<int>(idlePad.buttons.size()); ++button) {
        if (anyGamepadButtonPressed(button)) {
            return true;
        }
    }
    return false;
}

bool Input::isKeyDown(int key) const {
    const KeyState state = getKey(key);
    return state == KeyState::Pressed || state == KeyState::Held;
}

KeyState Input::getMouseButton(int button) const {
    return stateOf(mouseButtons, button);
}

bool Input::isMouseButtonDown(int button) const {
    const KeyState state = getMouseButton(button);
    return state == KeyState::Pressed || state == KeyState::Held;
}

void Input::setGamepadSource(GamepadSource source) {
    gamepadSource = std::move(source);
}

void Input::pollGamepads() {
    for (int index = 0; index < maxGamepads; ++index) {
        Pad& pad = pads[static_cast<size_t>(index)];
        pad.before = pad.now;
        GamepadState state;
        const bool connected = gamepadSource && gamepadSource(index, state);
        if (connected != pad.connected) {
            joinOrLeave(index, connected);
        }
        pad.connected = connected;
        pad.now = connected ? state : idlePad;
        if (!connected) {
            pad.before = idlePad;
        }
    }
}

bool Input::isGamepadConnected(int pad) const {
    return pad >= 0 && pad < maxGamepads && pads[static_cast<size_t>(pad)].connected;
}

const GamepadState& Input::getGamepad(int pad) const {
    return isGamepadConnected(pad) ? pads[static_cast<size_t>(pad)].now : idlePad;
}

bool Input::isGamepadButtonDown(int pad, int button) const {
    return button >= 0 && button < static_cast<int>(idlePad.buttons.size()) &&
           getGamepad(pad).buttons[static_cast<size_t>(button)] != 0;
}

bool Input::isGamepadButtonPressed(int pad, int button) const {
    return isGamepadButtonDown(pad, button) &&
           pads[static_cast<size_t>(pad)].before.buttons[static_cast<size_t>(button)] == 0;
}

bool Input::anyGamepadButtonPressed(int button) const {
    for (int pad = 0; pad < maxGamepads; ++pad) {
        if (isGamepadButtonPressed(pad, button)) {
            return true;
        }
    }
    return false;
}

float Input::getGamepadAxis(int pad, int axis) const {
    if (axis < 0 || axis >= static_cast<int>(idlePad.axes.size())) {
        return 0.0f;
    }
    return getGamepad(pad).axes[static_cast<size_t>(axis)];
}

void Input::joinOrLeave(int pad, bool connected) {
    const auto seat = std::find(playerPads.begin(), playerPads.end(), connected ? -1 : pad);
    if (seat != playerPads.end()) {
        *seat = connected ? pad : -1;
    }
    if (connected) {
        logInfo("Gamepad ", pad + 1, " connected for player ", seat - playerPads.begin() + 1);
    } else {
        logInfo("Gamepad ", pad + 1, " disconnected");
    }
}

int Input::gamepadOfPlayer(int player) const {
    return player >= 0 && player < maxGamepads ? playerPads[static_cast<size_t>(player)] : -1;
}
