// Draw item of a textured rectangle.
#include "core/ui/UITex.h"

#include "core/resources/Material.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/SystemRegistry.h"
#include "core/ui/Transform2D.h"

UITex::UITex(SystemRegistry* systems, Entity* entity, Texture2D* texture)
    : UIElement(systems, entity), texture(texture) {}

void UITex::prepare(float) {
    if (!changed) {
        return;
    }
    items.clear();
    if (texture == nullptr) {
        return;
    }
    if (Transform2D* transform = getTransform()) {
        if (texture->getHeight() > 0.0f) {
            transform->setAspect(texture->getWidth() / texture->getHeight());
        }
    }
    ResourceCache* cache = systems->get<ResourceCache>();
    UIDrawItem item;
    item.material = cache != nullptr ? cache->get<Material>("ui") : nullptr;
    item.texture = texture;
    item.color = color;
    item.model = transformMatrix();
    item.layer = layer;
    items.push_back(item);
}
