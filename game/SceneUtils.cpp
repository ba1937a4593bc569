// Player messages: a fading, growing text on its own entity.
#include "game/SceneUtils.h"

#include "core/resources/ResourceCache.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Animator2D.h"
#include "core/ui/Font.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"

namespace {

constexpr float largeHeight = 0.14f;
constexpr float smallHeight = 0.08f;
constexpr float fadeInSeconds = 0.3f;
constexpr float grownScale = 1.5f;
constexpr float lastingMessage = 0.00001f;

} // namespace

Entity* SceneUtils::showMessage(const std::string& text, int player, bool small, const glm::vec3& colour,
                                float duration) {
    if (entity == nullptr || entity->scene == nullptr) {
        return nullptr;
    }
    Scene& scene = *entity->scene;
    Entity* message = scene.createEntity();

    auto* place = message->addComponent<Transform2D>();
    place->setRelative(true);
    const float height = small ? smallHeight : largeHeight;
    place->setAspectMode(AspectMode::WidthFollowsHeight);
    place->setSize(glm::vec2(height, height));
    if (player == 0) {
        place->setPosition(glm::vec2(0.5f, 0.25f));
    } else if (player == 1) {
        place->setPosition(glm::vec2(0.5f, 0.75f));
    }

    auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    Font* font = cache != nullptr ? cache->get<Font>("default") : nullptr;
    auto* label = message->addComponent<Text>(font, text);
    label->color = glm::vec4(colour, 0.0f);

    auto* animator = message->addComponent<Animator2D>();
    animator->duration = fadeInSeconds;
    animator->targetAlpha = 1.0f;
    animator->targetFirstScale = grownScale;
    animator->targetSecondScale = grownScale;

    if (duration > lastingMessage) {
        scene.destroyEntity(message, duration);
    } else {
        persistentMessages.push_back(message);
    }
    return message;
}

void SceneUtils::clear() {
    if (entity != nullptr && entity->scene != nullptr) {
        for (Entity* message : persistentMessages) {
            entity->scene->destroyEntity(message);
        }
    }
    persistentMessages.clear();
}
