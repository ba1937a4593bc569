// The forward renderer: draws every view of the current scene with sorted render
// queues, shadow maps and a depth pre-pass.
#pragma once

#include "core/runtime/System.h"

class Scene;

class Renderer : public System {
public:
    explicit Renderer(SystemRegistry* systems);
    ~Renderer() override;

    // Shadow maps, depth pre-pass and main pass of every view.
    void render(Scene& scene, float dt);

    // Passed to every shader as "brightness"; changed by the brightness keys.
    float brightness = 1.0f;
};
