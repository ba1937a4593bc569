// The one-shot scale and alpha blend of Animator2D.
#include "core/ui/Animator2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UIElement.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

TEST(Animator2DTest, GrowsAndFadesFromTheSecondUpdateAndStopsWhereTheLastUpdateInsideLeftIt) {
    TestEngine engine(testConfig(), false);
    Entity* entity = engine.systems->add<SceneManager>()->createScene("ui")->createEntity("popup");
    auto* transform = entity->addComponent<Transform2D>();
    auto* element = entity->addComponent<UIElement>();
    auto* animator = entity->addComponent<Animator2D>();

    animator->update(0.016f);
    EXPECT_FLOAT_EQ(transform->getFirstScale(), 1.0f) << "the first update only starts";
    EXPECT_FLOAT_EQ(element->color.a, 1.0f);

    element->changed = false;
    animator->update(0.5f);
    EXPECT_FLOAT_EQ(transform->getFirstScale(), 1.5f);
    EXPECT_FLOAT_EQ(element->color.a, 0.5f);
    EXPECT_FLOAT_EQ(element->color.r, 1.0f) << "only alpha blends";
    EXPECT_TRUE(element->changed);

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
