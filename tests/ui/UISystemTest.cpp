// Gathering and sorting of UI draw items and the missing-transform warning.
// Runs with or without a window.
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UI.h"
#include "core/ui/UITex.h"
#include "support/LogCapture.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class UISystemTest : public ::testing::Test {
protected:
    UISystemTest() : engine(testConfig(320, 200)) {
        scene = engine.get<SceneManager>()->createScene("ui");
        white = engine.get<ResourceCache>()->get<Texture2D>("white");
    }

    UITex* addTex(const std::string& name, uint32_t layer, bool withTransform = true) {
        Entity* entity = scene->createEntity(name);
        if (withTransform) {
            entity->addComponent<Transform2D>();
        }
        UITex* tex = entity->addComponent<UITex>(white);
        tex->layer = layer;
        return tex;
    }

    std::vector<uint32_t> gatheredLayers() {
        UI* ui = engine.get<UI>();
        ui->update(*scene, 0.016f);
        std::vector<uint32_t> layers;
        for (const UIDrawItem& item : ui->getItems()) {
            layers.push_back(item.layer);
        }
        return layers;
    }

    TestEngine engine;
    Scene* scene = nullptr;
    Texture2D* white = nullptr;
};

} // namespace

TEST_F(UISystemTest, GathersEnabledElementsOfActiveEntitiesLowestLayerFirst) {
    ASSERT_NE(white, nullptr);
    addTex("top", 5);
    addTex("bottom", 1);
    addTex("middle", 3);
    addTex("hidden", 0)->entity->active = false;
    addTex("disabled", 0)->setEnabled(false);
    scene->createEntity("empty")->addComponent<UITex>();
    EXPECT_EQ(gatheredLayers(), (std::vector<uint32_t>{1, 3, 5}));

    scene->findEntity("hidden")->active = true;
    EXPECT_EQ(gatheredLayers(), (std::vector<uint32_t>{0, 1, 3, 5})) << "items are rebuilt every frame";
}

TEST_F(UISystemTest, ElementWithoutTransformWarnsAndUsesTheIdentityUntilOneIsAdded) {
    LogCapture log;
    UITex* tex = addTex("loose", 0, false);
    gatheredLayers();
    gatheredLayers();
    EXPECT_EQ(log.count("No Transform2D found."), 2) << "warned each time the matrix is needed";
    EXPECT_EQ(engine.get<UI>()->getItems().at(0).model, glm::mat4(1.0f));

    Transform2D* transform = tex->entity->addComponent<Transform2D>();
    EXPECT_EQ(tex->getTransform(), transform);
    tex->changed = false;
    // Text sets its transform's aspect every frame; only the aspect modes care.
    transform->setAspect(3.0f);
    EXPECT_FALSE(tex->changed);
    transform->setPosition({1.0f, 2.0f});
    EXPECT_TRUE(tex->changed);
}
