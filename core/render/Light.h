// A light source. Every enabled light of the scene is sent to every shader as an
// element of the "lights" array; directional lights that cast shadows also get
// one shadow map per view. A drawable that submits nothing.
#pragma once

#include "core/render/Drawable.h"

#include <glm/glm.hpp>

#include <cstdint>

class RenderTarget;

class Light : public Drawable {
public:
    static constexpr int32_t directional = 0;
    static constexpr int32_t point = 1;
    static constexpr int32_t spot = 2;

    Light(SystemRegistry* systems, Entity* entity);

    // direction turned into world space by the entity's rotation.
    glm::vec3 getWorldDirection();
    glm::vec3 getWorldPosition();

    int32_t type = directional;
    glm::vec3 color{1.0f};
    float intensity = 1.0f;
    float constant = 1.0f;
    float linear = 0.7f;
    float quadratic = 1.8f;
    // Spot cone, radians from the axis: full strength inside inner, none beyond outer.
    float innerAngle = 0.35f;
    float outerAngle = 0.5f;
    // Local to the light's entity: by default the entity's forward.
    glm::vec3 direction{0.0f, 0.0f, -1.0f};
    bool castsShadows = true;
    float shadowStrength = 1.0f;
    float shadowBias = 0.005f;
    // Shadows are drawn up to this distance from the camera.
    float shadowDistance = 20.0f;
    // The target the last shadow pass drew into; owned by the renderer's pool.
    RenderTarget* shadowMap = nullptr;
};
