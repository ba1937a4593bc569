// Torquewind's application: names the window, registers the shared resources
// and builds the title scene.
#pragma once

#include "core/runtime/App.h"

#include <string>

class Game : public App {
public:
    void configure() override;
    void init() override;

    // A replay to show instead of the title (--replay FILE); the title follows it.
    std::string replayFile;
};
