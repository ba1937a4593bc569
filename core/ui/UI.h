// The 2D user interface: gathers the current scene's UI elements each frame,
// sorts them by layer and draws them over the finished 3D views.
#pragma once

#include "core/runtime/System.h"

class Scene;

class UI : public System {
public:
    explicit UI(SystemRegistry* systems);
    ~UI() override;

    void update(Scene& scene, float dt);
    void draw();

    bool enabled = true;
};
