// The one-shot scale and alpha blend of Animator2D.
#include "core/ui/Animator2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UIElement.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

namespace {

class Animator2DTest : public ::testing::Test {
protected:
    Animator2DTest() : engine(testConfig(), false) {
        engine.systems->add<SceneManager>();
        scene = engine.get<SceneManager>()->createScene("ui");
        Entity* entity = scene->createEntity("popup");
        transform = entity->addComponent<Transform2D>();
        transform->setRelative(false);
        transform->setSize({100.0f, 40.0f});
        element = entity->addComponent<UIElement>();
        animator = entity->addComponent<Animator2D>();
    }

    float height() const {
        const glm::mat4& m = transform->getMatrix();
        return (m * glm::vec4(0.0f, 0.5f, 0.0f, 1.0f)).y - (m * glm::vec4(0.0f, -0.5f, 0.0f, 1.0f)).y;
    }

    TestEngine engine;
    Scene* scene = nullptr;
    Transform2D* transform = nullptr;
    UIElement* element = nullptr;
    Animator2D* animator = nullptr;
};

} // namespace

TEST_F(Animator2DTest, GrowsAndFadesFromTheSecondUpdateAndStopsWhereTheLastUpdateInsideLeftIt) {
    animator->update(0.016f);
    EXPECT_FLOAT_EQ(transform->getFirstScale(), 1.0f) << "the first update only starts";
    EXPECT_FLOAT_EQ(element->color.a, 1.0f);

    element->changed = false;
    animator->update(0.5f);
    EXPECT_FLOAT_EQ(transform->getFirstScale(), 1.5f);
    EXPECT_FLOAT_EQ(transform->getSecondScale(), 1.5f);
    EXPECT_FLOAT_EQ(element->color.a, 0.5f);
    EXPECT_FLOAT_EQ(element->color.r, 1.0f) << "only alpha blends";
    EXPECT_TRUE(element->changed);
    EXPECT_FLOAT_EQ(height(), 60.0f) << "the transform's matrix follows the new scale";

    animator->update(0.25f);
    animator->update(0.5f);
    EXPECT_FLOAT_EQ(transform->getFirstScale(), 1.75f) << "past the end nothing moves";
    EXPECT_FLOAT_EQ(element->color.a, 0.25f);
    EXPECT_FALSE(animator->isRunning());

    animator->restart();
    EXPECT_TRUE(animator->isRunning());
    animator->update(0.5f);
    EXPECT_FLOAT_EQ(transform->getFirstScale(), 1.875f);
    EXPECT_FLOAT_EQ(element->color.a, 0.125f);
}
