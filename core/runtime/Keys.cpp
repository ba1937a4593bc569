// The written key names, one table for both directions.
#include "core/runtime/Keys.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace key {

namespace {

struct Named {
    const char* name;
    int code;
};

// Letters, digits, F1-F12 and the keypad digits are generated in fromName/name.
constexpr std::array<Named, 40> namedKeys{{
    {"Space", space},
    {"Apostrophe", 39},
    {"Comma", comma},
    {"Minus", 45},
    {"Period", period},
    {"Slash", 47},
    {"Semicolon", 59},
    {"Equal", 61},
    {"LeftBracket", 91},
    {"Backslash", 92},
    {"RightBracket", 93},
    {"GraveAccent", 96},
    {"Escape", escape},
    {"Enter", enter},
    {"Tab", 258},
    {"Backspace", 259},
    {"Insert", 260},
    {"Delete", 261},
    {"Right", right},
    {"Left", left},
    {"Down", down},
    {"Up", up},
    {"PageUp", 266},
    {"PageDown", 267},
    {"Home", 268},
    {"End", 269},
    {"KPDecimal", 330},
    {"KPDivide", 331},
    {"KPMultiply", 332},
    {"KPSubtract", 333},
    {"KPAdd", 334},
    {"KPEnter", 335},
    {"LeftShift", leftShift},
    {"LeftControl", 341},
    {"LeftAlt", 342},
    {"RightShift", 344},
    {"RightControl", rightControl},
    {"RightAlt", 346},
    {"FullStop", period},
    {"Return", enter},
}};

constexpr int firstFunctionKey = f1;
constexpr int functionKeys = 12;
constexpr int firstKeypadDigit = 320;

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The number after prefix when text is prefix followed by only digits, else -1.
int numberAfter(const std::string& text, const std::string& prefix) {
    if (text.size() <= prefix.size() || text.size() > prefix.size() + 2 ||
        text.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    int value = 0;
    for (size_t i = prefix.size(); i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

int fromName(const std::string& name) {
    const std::string wanted = lower(name);
    if (wanted.size() == 1) {
        const char c = wanted[0];
        if (c >= 'a' && c <= 'z') {
            return 'A' + (c - 'a');
        }
        if (c >= '0' && c <= '9') {
            return c;
        }
    }
    const int function = numberAfter(wanted, "f");
    if (function >= 1 && function <= functionKeys) {
        return firstFunctionKey + function - 1;
    }
    const int keypad = numberAfter(wanted, "kp");
    if (keypad >= 0 && keypad <= 9) {
        return firstKeypadDigit + keypad;
    }
    for (const Named& entry : namedKeys) {
        if (lower(entry.name) == wanted) {
            return entry.code;
        }
    }
    return unknown;
}

std::string name(int code) {
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
        return std::string(1, static_cast<char>(code));
    }
    if (code >= firstFunctionKey && code < firstFunctionKey + functionKeys) {
        return "F" + std::to_string(code - firstFunctionKey + 1);
    }
    if (code >= firstKeypadDigit && code <= firstKeypadDigit + 9) {
        return "KP" + std::to_string(code - firstKeypadDigit);
    }
    for (const Named& entry : namedKeys) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return "?";
}

} // namespace key
