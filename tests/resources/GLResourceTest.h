// Fixture for resource tests that need OpenGL: a real engine with a small
// window whose assets folder is a fresh temporary one. Skips without a display.
#pragma once

#include "support/TempAssets.h"
#include "support/TestEngine.h"

#include "core/render/Graphics.h"
#include "core/resources/ResourceCache.h"

#include <gtest/gtest.h>

#include <memory>

class GLResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        TW_REQUIRE_DISPLAY();
        engine = std::make_unique<TestEngine>(assets.config());
        cache = engine->get<ResourceCache>();
        graphics = engine->get<Graphics>();
        ASSERT_TRUE(graphics->hasWindow());
    }

    TempAssets assets;
    std::unique_ptr<TestEngine> engine;
    ResourceCache* cache = nullptr;
    Graphics* graphics = nullptr;
};
