// Base of every component the renderer collects from a scene: it owns a list of
// render items, a world-space bounding box and a visibility test. Mesh
// renderers, particle systems, the skybox and lights derive from it.
#pragma once

#include "core/render/Frustum.h"
#include "core/render/RenderItem.h"
#include "core/runtime/Component.h"

#include <glm/glm.hpp>

#include <cfloat>
#include <vector>

class Camera;
class Transform;

class Drawable : public Component {
public:
    Drawable(SystemRegistry* systems, Entity* entity);
    ~Drawable() override;

    // Brings items up to date for the view being prepared; runs once per view,
    // with the frame's dt for the first view and 0 for the others.
    virtual void updateItems(float dt, Camera* camera);
    // World-space box: the stored one unless a subclass knows better.
    virtual void getBounds(glm::vec3& outMin, glm::vec3& outMax);
    virtual bool isVisible(const Frustum& frustum);
    // Items set aside while there is nothing to draw (an emitter's, between its
    // bursts): the renderer readies their programs at load all the same, so the
    // frame they come back in does no start-up work.
    virtual const std::vector<RenderItem>& standbyItems() const;

    // The entity's Transform, created (with a log line) when it has none.
    Transform* getTransform();
    glm::mat4 getWorldMatrix();

    std::vector<RenderItem> items;
    glm::vec3 boundsMin{FLT_MAX};
    glm::vec3 boundsMax{-FLT_MAX};
};
