// Per-frame keyboard, mouse-button, cursor and gamepad states from the window's reports.
// A key reads Pressed for exactly the frame whose poll saw it go down, then Held
// until released; repeats never turn Held back into Pressed. A key pressed and
// released within one poll reads Pressed for that frame and Released after it.
#pragma once

#include "core/runtime/Gamepad.h"
#include "core/runtime/System.h"

#include <array>
#include <functional>
#include <utility>
#include <vector>

struct GLFWwindow;

enum class KeyState : int { Released = 0, Pressed = 1, Held = 2 };

class Input : public System {
public:
    explicit Input(SystemRegistry* systems);
    ~Input() override;

    void update();

    // Codes the window library does not name read Released.
    KeyState getKey(int key) const;
    bool isKeyDown(int key) const;
    // Whether any key, or any button of any pad, went down this frame (the
    // title's idle timer watches it).
    bool anyKeyPressed() const;
    KeyState getMouseButton(int button) const;
    bool isMouseButtonDown(int button) const;

    float getCursorX() const { return cursorX; }
    float getCursorY() const { return cursorY; }
    float getCursorDeltaX() const { return cursorDeltaX; }
    float getCursorDeltaY() const { return cursorDeltaY; }

    // The window's callbacks land here; tests inject events through the same path.
    // action: 0 release, 1 press, anything else (repeat) ignored.
    void onKey(int key, int action);
    // Recorded or scripted input: the event is applied by the next update() right
    // after the ageing, as if that update's poll had seen it, so game code reads a
    // queued press as Pressed for that frame.
    void queueKey(int key, int action);
    void onMouseButton(int button, int action);
    void onClose();
    // Replaces the window as the source of cursor positions (tests, recorded input).
    void setCursorOverride(bool enabled, float x = 0.0f, float y = 0.0f);

    static constexpr int maxGamepads = 16;
    // One past the highest key and mouse-button codes the window library names.
    static constexpr int keyCodes = 349;
    static constexpr int mouseButtonCodes = 8;
    // Fills state for pad 0..maxGamepads-1 and says whether it is connected.
    using GamepadSource = std::function<bool(int pad, GamepadState& state)>;
    // Where each update reads the pads: by default the window library's gamepad
    // API (joysticks it has a mapping for); tests and recorded input put their own.
    // Pads coming and going are logged.
    void setGamepadSource(GamepadSource source);
    bool isGamepadConnected(int pad) const;
    // Nothing pressed, sticks centred and triggers let go for a pad that is not connected.
    const GamepadState& getGamepad(int pad) const;
    bool isGamepadButtonDown(int pad, int button) const;
    // Down at this update, up at the one before.
    bool isGamepadButtonPressed(int pad, int button) const;
    bool anyGamepadButtonPressed(int button) const;
    float getGamepadAxis(int pad, int axis) const;
    // The pad of the nth player (from 0), or -1. A pad connecting takes the first
    // player without one and keeps that player until it disconnects, so pads
    // present at start go to players 1, 2, ... in pad order and a pad that drops
    // out never hands its player to another.
    int gamepadOfPlayer(int player) const;

private:
    static void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
    static void mouseButtonCallback(GLFWwindow* window, int button, int action, int mods);
    static void closeCallback(GLFWwindow* window);
    void readCursor(float& x, float& y) const;
    void pollGamepads();
    void joinOrLeave(int pad, bool connected);

    struct Pad {
        bool connected = false;
        GamepadState now;
        GamepadState before;
    };

    GLFWwindow* window = nullptr;
    // Tables by code, not maps: the first press of a key then makes nothing.
    std::array<KeyState, keyCodes> keys{};
    std::vector<std::pair<int, int>> queuedKeys;
    // Released within the poll that pressed them: let go at the next update.
    std::vector<int> tappedKeys;
    std::array<KeyState, mouseButtonCodes> mouseButtons{};
    std::vector<int> tappedButtons;
    float cursorX = -1.0f;
    float cursorY = -1.0f;
    float cursorDeltaX = -1.0f;
    float cursorDeltaY = -1.0f;
    std::array<Pad, maxGamepads> pads{};
    std::array<int, maxGamepads> playerPads{};
    GamepadSource gamepadSource;
    bool cursorOverridden = false;
    float overrideX = 0.0f;
    float overrideY = 0.0f;
};
