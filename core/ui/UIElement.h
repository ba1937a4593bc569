// Base of everything the UI draws. An element sits on an entity with a
// Transform2D and offers its draw items each frame through prepare().
#pragma once

#include "core/runtime/Component.h"
#include "core/ui/UIDrawItem.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class Transform2D;

class UIElement : public Component {
public:
    UIElement(SystemRegistry* systems, Entity* entity);
    ~UIElement() override;

    // Rebuilds the element's own draw items for this frame.
    virtual void prepare(float dt);

    const std::vector<UIDrawItem>& getItems() const { return items; }

    // The entity's Transform2D, or null; subscribes to its changes on first sight.
    Transform2D* getTransform();

    glm::vec4 color{1.0f};
    uint32_t layer = 0;
    // Set whenever the transform announces a change.
    bool changed = true;

protected:
    // The transform's matrix; without a Transform2D a warning and the identity.
    glm::mat4 transformMatrix();

    std::vector<UIDrawItem> items;

private:
    void onTransformChanged();

    Transform2D* subscribedTo = nullptr;
};
