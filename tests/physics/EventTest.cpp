// Contact and trigger reports, as the race, sound and sparks rely on them.
#include "PhysicsFixture.h"

#include "support/LogCapture.h"

using Lines = std::vector<std::string>;

TEST_F(PhysicsTest, TriggersTellBothPartnersOnceOnEnterAndOnExit) {
    RigidBodyStatic* gate = staticBox("Gate", glm::vec3(0.0f, 5.0f, 0.0f), glm::vec3(4.0f, 1.0f, 4.0f), true);
    RigidBodyDynamic* kart = dynamicBox("Kart", glm::vec3(0.0f, 8.0f, 0.0f));
    EventLog events;
    events.listen(gate);
    events.listen(kart);
    Lines handled;
    const auto note = [&](const std::string& what) {
        return [&handled, what](RigidBody* other) { handled.push_back(what + " " + other->entity->name); };
    };
    gate->triggerEnterHandlers[2] = note("gate 2");
    gate->triggerEnterHandlers[1] = note("gate 1");
    kart->triggerExitHandlers[0] = note("kart exit");

    LogCapture log;
    step(120);
    EXPECT_LT(kart->getGlobalPosition().y, 0.0f) << "a trigger has no contact response";
    EXPECT_EQ(events.lines, (Lines{"trigger enter Gate Kart", "trigger enter Kart Gate",
                                   "trigger exit Gate Kart", "trigger exit Kart Gate"}));
    EXPECT_EQ(handled, (Lines{"gate 1 Kart", "gate 2 Kart", "kart exit Gate"}));
    EXPECT_EQ(log.startingWith("Trigger "),
              (Lines{"enter: Gate", "enter: Kart", "exit: Gate", "exit: Kart"}));
}

// Two karts side by side cross the start line in the same step, and two more
// cross another gate in that step too: every pair is reported, in body order.
TEST_F(PhysicsTest, EveryTriggerPairOfAStepIsReportedInBodyOrder) {
    staticBox("Line", glm::vec3(-3.0f, 5.0f, 0.0f), glm::vec3(4.0f, 1.0f, 2.0f), true);
    staticBox("Gate", glm::vec3(6.0f, 5.0f, 0.0f), glm::vec3(4.0f, 1.0f, 2.0f), true);
    for (const auto& [name, x] :
         {std::pair{"KartA", -5.0f}, {"KartB", -1.0f}, {"KartC", 4.0f}, {"KartD", 8.0f}})
        dynamicBox(name, glm::vec3(x, 8.0f, 0.0f));
    LogCapture log;
    step(60);
    EXPECT_EQ(log.startingWith("Trigger enter: "),
              (Lines{"Line", "KartA", "Line", "KartB", "Gate", "KartC", "Gate", "KartD"}));
}

TEST_F(PhysicsTest, ContactsReportEnterWithAPointAndExitOnce) {
    RigidBodyStatic* track = ground();
    RigidBodyDynamic* kart = dynamicBox("Kart", glm::vec3(2.0f, 3.0f, 1.0f));
    EventLog events;
    events.listen(track);
    events.listen(kart);
    step(90);
    ASSERT_EQ(events.lines, (Lines{"collision enter Ground", "collision enter Kart"}));
    for (const glm::vec3& point : events.points) {
        EXPECT_NEAR(point.y, 0.0f, 0.05f);
        EXPECT_NEAR(point.x, 2.0f, 0.51f);
        EXPECT_NEAR(point.z, 1.0f, 0.51f);
    }
    kart->teleport(glm::vec3(2.0f, 30.0f, 1.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    step(2);
    EXPECT_EQ(events.lines, (Lines{"collision enter Ground", "collision enter Kart", "collision exit Ground",
                                   "collision exit Kart"}));
}

TEST_F(PhysicsTest, DestroyedBodiesSendNoEventsAndAreNotWrittenBack) {
    RigidBodyStatic* gate = staticBox("Gate", glm::vec3(0.0f, 0.0f, 0.0f), glm::vec3(4.0f), true);
    RigidBodyDynamic* kart = dynamicBox("Kart", glm::vec3(0.0f, 2.5f, 0.0f));
    RigidBodyDynamic* other = dynamicBox("Other", glm::vec3(10.0f, 2.5f, 0.0f));
    EventLog events;
    events.listen(gate);
    step(10);
    ASSERT_EQ(events.lines.size(), 1u);
    scene->destroyEntity(kart->entity);
    scene->update(0.016f);
    EXPECT_EQ(world->getBodies(), (std::vector<RigidBody*>{gate, other}));
    step(120);
    EXPECT_EQ(events.lines.size(), 1u);
    EXPECT_LT(other->getGlobalPosition().y, 0.0f);

    // A handler that destroys its partner at once: the partner hears nothing more.
    Entity* doomed = dynamicBox("Doomed", glm::vec3(0.0f, 2.5f, 0.0f))->entity;
    bool removed = false;
    gate->triggerEnterHandlers[0] = [&](RigidBody*) {
        doomed->removeComponents<RigidBody>();
        removed = true;
    };
    step(10);
    EXPECT_TRUE(removed);
    EXPECT_EQ(world->getBodies().size(), 2u);
}

// A subscriber that removes its own body while the body's event is being fired:
// the subscribers after it are not told, and nothing reads the freed event.
TEST_F(PhysicsTest, ASubscriberRemovingItsOwnBodyEndsThatBodysEvent) {
    struct Remover {
        Entity* entity;
        void enter(RigidBody*, glm::vec3) { entity->removeComponents<RigidBody>(); }
    };
    ground();
    RigidBodyDynamic* kart = dynamicBox("Kart", glm::vec3(0.0f, 2.0f, 0.0f));
    Remover remover{kart->entity};
    EventLog later;
    subscribe(kart->onCollisionEnter, &remover, &Remover::enter);
    later.listen(kart);
    step(90);
    EXPECT_EQ(remover.entity->getComponent<RigidBody>(), nullptr);
    EXPECT_TRUE(later.lines.empty());
}

TEST_F(PhysicsTest, AMovingBodysTriggerRidesAlongAndSkipsItsOwnShapes) {
    RigidBodyStatic* post = staticBox("Post", glm::vec3(2.0f, 1.0f, -10.0f), glm::vec3(1.0f, 2.0f, 1.0f));
    RigidBodyDynamic* kart = dynamicBox("Kart", glm::vec3(0.0f, 30.0f, 0.0f));
    CollisionShape* sensor = kart->addCollisionShape();
    sensor->setBox(6.0f, 1.0f, 6.0f);
    sensor->setTrigger(true);
    EventLog events;
    events.listen(kart);
    events.listen(post);
    // Float level with the post and glide past it.
    kart->teleport(glm::vec3(0.0f, 1.0f, 0.0f), glm::quat(1.0f, 0.0f, 0.0f, 0.0f));
    kart->setMass(1.0f);
    for (int i = 0; i < 90; ++i) {
        kart->addForce(glm::vec3(0.0f, 9.81f, 0.0f));
        kart->setLinearVelocity(glm::vec3(0.0f, 0.0f, -10.0f));
        step();
    }
    EXPECT_EQ(events.lines, (Lines{"trigger enter Kart Post", "trigger enter Post Kart",
                                   "trigger exit Kart Post", "trigger exit Post Kart"}));
}
