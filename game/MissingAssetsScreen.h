// What the game shows when its assets folder does not exist: one message naming
// the folder it looked for, on a scene of its own, and Q (or Escape) to quit.
#pragma once

#include "core/runtime/Updateable.h"

#include <string>

class Scene;

class MissingAssetsScreen : public Updateable {
public:
    using Updateable::Updateable;

    void update(float dt) override;

    // Fills scene with the message about folder and this screen's key handling.
    static void build(Scene& scene, const std::string& folder);
};
