// On-screen messages of the race: where they appear, how they fade in, and how
// long they live.
#include "RaceWorld.h"

#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"

#include <gtest/gtest.h>

namespace {

class MessageTest : public ::testing::Test, protected RaceWorld {
protected:
    void advance(float seconds) { stepSeconds(seconds); }
    bool exists(const std::string& name) const { return scene->findEntity(name) != nullptr; }
};

} // namespace

TEST_F(MessageTest, PlayerMessagesSitInTheirPlayersHalfAndFadeInWhileGrowing) {
    Entity* upper = utils->showMessage("Lap 2", 0, true, {1.0f, 1.0f, 1.0f}, 3.0f);
    Entity* lower = utils->showMessage("You win!", 1, false, {0.9f, 1.0f, 0.0f}, 0.0f);
    auto* lowerPlace = lower->getComponent<Transform2D>();
    EXPECT_EQ(upper->getComponent<Transform2D>()->getPosition(), glm::vec2(0.5f, 0.25f));
    EXPECT_EQ(lowerPlace->getPosition(), glm::vec2(0.5f, 0.75f));
    auto* text = lower->getComponent<Text>();
    EXPECT_EQ(text->text, "You win!");
    EXPECT_EQ(text->color, glm::vec4(0.9f, 1.0f, 0.0f, 0.0f)) << "starts invisible";

    advance(0.15f);
    EXPECT_NEAR(text->color.a, 0.5f, 0.1f);
    EXPECT_NEAR(lowerPlace->getFirstScale(), 1.25f, 0.05f);
    advance(0.5f);
    EXPECT_NEAR(text->color.a, 1.0f, 0.07f);
    EXPECT_NEAR(lowerPlace->getFirstScale(), 1.5f, 0.04f);
    EXPECT_NEAR(lowerPlace->getSecondScale(), 1.5f, 0.04f);
}

TEST_F(MessageTest, TimedMessagesLiveForTheirDurationAndLastingOnesUntilCleared) {
    const std::string timed = utils->showMessage("Boost ready", 0, true, {0.9f, 1.0f, 0.0f}, 2.0f)->name;
    const std::string lasting = utils->showMessage("You loose!", 1, true, {1.0f, 1.0f, 1.0f}, 0.0f)->name;
    ASSERT_EQ(utils->persistentMessages.size(), 1u);

    advance(1.9f);
    EXPECT_TRUE(exists(timed));
    advance(0.15f);
    EXPECT_FALSE(exists(timed));

    advance(10.0f);
    EXPECT_TRUE(exists(lasting));
    utils->clear();
    EXPECT_TRUE(utils->persistentMessages.empty());
    step();
    EXPECT_FALSE(exists(lasting));
}

TEST_F(MessageTest, CentreMessagesShowInTheMiddleAndGoByThemselves) {
    Entity* number = utils->showCenterMessage("3", {1.0f, 1.0f, 1.0f, 1.0f}, false);
    const std::string numberName = number->name;
    EXPECT_EQ(number->getComponent<Transform2D>()->getPosition(), glm::vec2(0.5f, 0.5f));
    const std::string goName = utils->showCenterMessage("Go!", {0.9f, 1.0f, 0.0f, 1.0f}, true)->name;
    EXPECT_TRUE(utils->persistentMessages.empty());

    advance(SceneUtils::centerDuration - 0.1f);
    EXPECT_TRUE(exists(numberName));
    advance(0.15f);
    EXPECT_FALSE(exists(numberName)) << "gone before the next number shows";
    EXPECT_TRUE(exists(goName));
    advance(SceneUtils::emphasisedDuration - SceneUtils::centerDuration);
    EXPECT_FALSE(exists(goName));
}
