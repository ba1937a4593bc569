// Torquewind's application: names the window, registers the shared resources
// and builds the title scene.
#pragma once

#include "core/runtime/App.h"

class Game : public App {
public:
    void configure() override;
    void init() override;
};
