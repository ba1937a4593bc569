// Rebound keys over the help picture.
#include "game/HelpKeys.h"

#include "core/render/Graphics.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Keys.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <algorithm>
#include <cctype>

namespace {

// The help picture's size in its own pixels, its share of the window's height,
// and its key text size and colour.
constexpr float pictureSize = 1024.0f;
constexpr float pictureHeight = 0.9f;
constexpr float keyPixels = 30.0f;
const glm::vec4 keyColour{1.0f, 0.85f, 0.1f, 1.0f};
const glm::vec4 patchColour{0.02f, 0.04f, 0.12f, 0.97f};
// About how wide a character of the key text runs, for its size: names too long
// for the column are written smaller.
constexpr float characterWidth = 0.68f;

struct Row {
    int player;
    // Indices into the key list below; the second is -1 for a single key.
    int first;
    int second;
    glm::vec2 at;
    float width;
};

// Where the picture writes each player's keys (see the asset generator's help screen).
constexpr Row rows[] = {
    {0, 0, 1, {60, 215}, 115},  {0, 2, 3, {60, 255}, 115},  {0, 4, -1, {60, 295}, 115},
    {1, 0, 1, {520, 215}, 220}, {1, 2, 3, {520, 255}, 220}, {1, 4, -1, {520, 295}, 220},
};

int keyAt(const PlayerKeys& keys, int index) {
    const int all[] = {keys.accelerate, keys.reverse, keys.steerLeft, keys.steerRight,
                       keys.boost,      keys.hop,     keys.respawn};
    return all[index];
}

std::string keysText(const PlayerKeys& keys, int first, int second) {
    std::string text = HelpKeys::displayName(keyAt(keys, first));
    if (second >= 0) {
        text += " / " + HelpKeys::displayName(keyAt(keys, second));
    }
    return text;
}

} // namespace

std::string HelpKeys::displayName(int key) {
    const std::string name = key::name(key);
    std::string shown;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i > 0 && std::isupper(static_cast<unsigned char>(c)) &&
            std::islower(static_cast<unsigned char>(name[i - 1]))) {
            shown += ' ';
        }
        shown += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    const std::string control = "CONTROL";
    if (const size_t at = shown.find(control); at != std::string::npos) {
        shown.replace(at, control.size(), "CTRL");
    }
    return shown;
}

void HelpKeys::build(const std::array<PlayerKeys, 2>& keys, Texture2D* fill) {
    Scene& scene = *entity->scene;
    std::vector<std::pair<std::string, Row>> changed;
    for (const Row& row : rows) {
        const PlayerKeys& bound = keys[static_cast<size_t>(row.player)];
        const PlayerKeys defaults = PlayerKeys::defaults(row.player);
        const std::string text = keysText(bound, row.first, row.second);
        if (text != keysText(defaults, row.first, row.second)) {
            changed.emplace_back(text, row);
        }
    }
    // The shared rows: one key for both players, else player 1's then player 2's.
    const glm::vec2 sharedAt[] = {{60, 420}, {60, 460}};
    for (int shared = 0; shared < 2; ++shared) {
        const int index = 5 + shared;
        const int one = keyAt(keys[0], index);
        const int two = keyAt(keys[1], index);
        if (one == keyAt(PlayerKeys::defaults(0), index) && two == keyAt(PlayerKeys::defaults(1), index)) {
            continue;
        }
        const std::string text = one == two ? displayName(one) : displayName(one) + " | " + displayName(two);
        changed.emplace_back(text, Row{0, index, -1, sharedAt[shared], 165});
    }
    for (const auto& [text, row] : changed) {
        Label label;
        label.at = row.at;
        label.width = row.width;
        label.patch = addPictureEntity(scene, "", fill, {}, uiLayer::overlay + 1);
        label.patch->color = patchColour;
        label.patch->entity->active = false;
        label.text = addTextEntity(scene, "", text, {}, keyColour, uiLayer::overlay + 2);
        label.text->entity->active = false;
        labels.push_back(label);
    }
}

void HelpKeys::show(bool visible) {
    const auto* graphics = systems != nullptr ? systems->get<Graphics>() : nullptr;
    const float aspect = graphics != nullptr && graphics->height > 0
                             ? static_cast<float>(graphics->width) / static_cast<float>(graphics->height)
                             : 1.6f;
    // Picture pixels to fractions of the window.
    const auto toWindow = [aspect](const glm::vec2& p) {
        return glm::vec2(0.5f + (p.x / pictureSize - 0.5f) * pictureHeight / aspect,
                         0.5f + (p.y / pictureSize - 0.5f) * pictureHeight);
    };
    const float pixel = pictureHeight / pictureSize;
    for (const Label& label : labels) {
        label.patch->entity->active = visible;
        label.text->entity->active = visible;
        if (!visible) {
            continue;
        }
        auto* patch = label.patch->entity->getComponent<Transform2D>();
        patch->setAspectMode(AspectMode::None);
        patch->setAnchor(Anchor::TopLeft);
        patch->setPosition(toWindow(label.at + glm::vec2(-4.0f, -keyPixels)));
        patch->setSize({(label.width + 4.0f) * pixel / aspect, (keyPixels + 10.0f) * pixel});
        const float natural = characterWidth * keyPixels * static_cast<float>(label.text->text.size());
        const float size = keyPixels * std::min(1.0f, label.width / natural);
        placeOnScreen(*label.text->entity,
                      {toWindow(label.at + glm::vec2(0.0f, -0.4f * keyPixels)), size * pixel, Anchor::Left});
    }
}
