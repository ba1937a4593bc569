// UI entity builders.
#include "game/UiFactory.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "core/ui/UITex.h"
#include "game/GameAssets.h"

Transform2D* placeOnScreen(Entity& entity, const UiPlacement& placement) {
    auto* transform = entity.getComponent<Transform2D>();
    if (transform == nullptr) {
        transform = entity.addComponent<Transform2D>();
    }
    transform->setRelative(true);
    transform->setAspectMode(AspectMode::WidthFollowsHeight);
    transform->setSize({placement.height, placement.height});
    transform->setPosition(placement.position);
    transform->setAnchor(placement.anchor);
    return transform;
}

Text* addTextEntity(Scene& scene, const std::string& name, const std::string& text,
                    const UiPlacement& placement, const glm::vec4& color, uint32_t layer) {
    Entity* entity = scene.createEntity(name);
    placeOnScreen(*entity, placement);
    auto* label = entity->addComponent<Text>(defaultFont(scene.systems), text);
    label->color = color;
    label->layer = layer;
    // The game's texts sit over sky and road alike.
    label->outlined = true;
    return label;
}

UITex* addPictureEntity(Scene& scene, const std::string& name, Texture2D* texture,
                        const UiPlacement& placement, uint32_t layer) {
    Entity* entity = scene.createEntity(name);
    placeOnScreen(*entity, placement);
    auto* picture = entity->addComponent<UITex>(texture);
    picture->layer = layer;
    return picture;
}
