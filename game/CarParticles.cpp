// The kart's effect entities, their settings, and the smoke, flame, collision
// and water bursts driven from the kart's state and contacts.
#include "game/CarParticles.h"

#include "core/physics/RigidBodyDynamic.h"
#include "core/render/ParticleSystem.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Texture2D.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"
#include "game/Car.h"

#include <algorithm>
#include <initializer_list>
#include <string>

namespace {

// One effect's look: the table values plus the settings left to taste.
struct Effect {
    const char* entity;
    const char* texture;
    const char* file;
    bool animated;
    float duration;
    float rate;
    float spread;
    float speed;
    float life;
    float startScale;
    float endScale;
    float startAlpha;
    float endAlpha;
    // Cone axis: (90, 0, 0) points up, (0, 180, 0) out of the kart's back.
    glm::vec3 angles;
    glm::vec3 acceleration;
    float positionVariation;
    float velocityVariation;
    float lifeVariation;
    bool looping;
};

constexpr glm::vec3 up(90.0f, 0.0f, 0.0f);
constexpr glm::vec3 backwards(0.0f, 180.0f, 0.0f);
constexpr glm::vec3 drift(0.0f, 5.0f, 0.0f);

// Lazy, thin exhaust that rises as it spreads.
const Effect smoke{"ps",   "smoke",   "textures/particles/Particles_Smoke2.psd",
                   false,  2.0f,      10.0f,
                   130.0f, 0.4f,      0.6f,
                   0.5f,   2.0f,      0.005f,
                   0.0f,   backwards, drift,
                   0.05f,  0.2f,      0.2f,
                   true};
// Fireballs thrown out of the back, played once per boost.
const Effect flame{"psBoost", "flame",   "textures/particles/FlameRoundParticleSheet.tif",
                   true,      2.0f,      10.0f,
                   10.0f,     10.0f,     0.3f,
                   3.0f,      3.0f,      0.5f,
                   0.0f,      backwards, drift,
                   0.05f,     0.2f,      0.05f,
                   false};
// A ball of sparks in every direction, falling as they cool.
const Effect impact{"",
                    "collisionParticle",
                    "textures/particles/collision.png",
                    false,
                    0.8f,
                    200.0f,
                    180.0f,
                    14.0f,
                    0.4f,
                    0.3f,
                    0.1f,
                    1.0f,
                    0.3f,
                    up,
                    {0.0f, -15.0f, 0.0f},
                    0.1f,
                    2.0f,
                    0.15f,
                    false};
// A column of water thrown up that falls back as it spreads.
const Effect splashColumn{"splashParticles",
                          "splash",
                          "textures/particles/ImpactSplashParticle.tif",
                          false,
                          0.4f,
                          200.0f,
                          20.0f,
                          20.0f,
                          1.0f,
                          0.5f,
                          4.0f,
                          0.5f,
                          0.0f,
                          up,
                          {0.0f, -35.0f, 0.0f},
                          0.8f,
                          1.5f,
                          0.2f,
                          false};
// Spray that billows wide around the column.
const Effect mist{"splashMistParticles",
                  "waterMist",
                  "textures/particles/WaterMistParticle.tif",
                  false,
                  0.4f,
                  200.0f,
                  20.0f,
                  18.0f,
                  1.0f,
                  0.5f,
                  8.0f,
                  0.1f,
                  0.0f,
                  up,
                  {0.0f, -30.0f, 0.0f},
                  1.0f,
                  3.0f,
                  0.2f,
                  false};
// Sparks of the shorting kart, brightening as they fall.
const Effect waterSparks{"psSpark", "spark", "textures/particles/SparkParticle.tif",
                         false,     0.2f,    400.0f,
                         20.0f,     10.0f,   1.0f,
                         0.5f,      0.1f,    0.3f,
                         1.0f,      up,      {0.0f, -15.0f, 0.0f},
                         0.5f,      2.0f,    0.3f,
                         false};

// The exhaust pipes' ends and the gap between them, in the kart's frame (+Z is its back).
const glm::vec3 leftExhaust(-0.36f, 0.18f, 2.1f);
const glm::vec3 rightExhaust(0.36f, 0.18f, 2.1f);
const glm::vec3 flameOutlet(0.0f, 0.18f, 2.2f);

Texture2D* effectTexture(SystemRegistry* systems, const Effect& effect) {
    auto* cache = systems->get<ResourceCache>();
    if (cache == nullptr) {
        return nullptr;
    }
    if (Texture2D* texture = cache->get<Texture2D>(effect.texture)) {
        return texture;
    }
    Texture2D* texture = cache->create<Texture2D>(effect.texture);
    texture->load(effect.file);
    return texture;
}

// An effect entity; parented to the kart at offset when a parent is given,
// else placed in the world (bursts that are moved where they happen).
ParticleSystem* createEffect(Scene& scene, const Effect& effect, Transform* parent, const glm::vec3& offset,
                             std::initializer_list<glm::vec3> palette) {
    Entity* entity = scene.createEntity(effect.entity);
    auto* transform = entity->addComponent<Transform>();
    transform->setPosition(offset);
    transform->setParent(parent);
    auto* system = entity->addComponent<ParticleSystem>();
    system->init(effectTexture(scene.systems, effect), effect.animated, effect.animated);
    system->duration = effect.duration;
    system->rate = effect.rate;
    system->spread = effect.spread;
    system->speed = effect.speed;
    system->life = effect.life;
    system->startScale = effect.startScale;
    system->endScale = effect.endScale;
    system->startAlpha = effect.startAlpha;
    system->endAlpha = effect.endAlpha;
    system->emitterAngles = effect.angles;
    system->acceleration = effect.acceleration;
    system->positionVariation = effect.positionVariation;
    system->velocityVariation = effect.velocityVariation;
    system->lifeVariation = effect.lifeVariation;
    system->looping = effect.looping;
    // Bursts wait for their cue.
    system->finished = !effect.looping;
    for (const glm::vec3& colour : palette) {
        system->addColor(colour);
    }
    return system;
}

} // namespace

CarParticles::CarParticles(SystemRegistry* systems, Entity* entity) : Updateable(systems, entity) {
    effectTexture(systems, impact);
    car = entity->getComponent<Car>();
    body = entity->getComponent<RigidBodyDynamic>();
    if (body != nullptr) {
        subscribe(body->onCollisionEnter, this, &CarParticles::onCollisionEnter);
        subscribe(body->onCollisionExit, this, &CarParticles::onCollisionExit);
    }
}

CarParticles::~CarParticles() {
    if (bodyAlive()) {
        unsubscribe(body->onCollisionEnter, this);
        unsubscribe(body->onCollisionExit, this);
    }
}

bool CarParticles::bodyAlive() const {
    // Components are torn down front to back and the body came first: look for
    // it by address rather than through a pointer that may dangle.
    if (body == nullptr || entity == nullptr) {
        return false;
    }
    const auto& components = entity->getAllComponents();
    return std::any_of(components.begin(), components.end(),
                       [this](const auto& component) { return component.get() == body; });
}

std::vector<std::pair<std::string, std::string>> CarParticles::pictures() {
    std::vector<std::pair<std::string, std::string>> pictures;
    for (const Effect* effect : {&smoke, &flame, &impact, &splashColumn, &mist, &waterSparks}) {
        pictures.emplace_back(effect->texture, effect->file);
    }
    return pictures;
}

void CarParticles::createEffects() {
    Scene* scene = entity != nullptr ? entity->scene : nullptr;
    if (scene == nullptr) {
        return;
    }
    Transform* kart = entity->getComponent<Transform>();
    exhaustSmoke1 = createEffect(*scene, smoke, kart, leftExhaust, {});
    exhaustSmoke2 = createEffect(*scene, smoke, kart, rightExhaust, {});
    baseSmokeAlpha = exhaustSmoke1->startAlpha;
    baseSmokeRate = exhaustSmoke1->rate;
    // Drawn additively at 0.6 and fading from half alpha, the sheet alone would
    // barely show on a sunny road: the tints go above 1 to make it burn.
    boostFlame = createEffect(*scene, flame, kart, flameOutlet,
                              {{6.0f, 4.5f, 3.0f}, {6.0f, 3.8f, 2.2f}, {5.5f, 3.2f, 1.6f}});
    // On the kart, so that a kart scraping along a barrier keeps throwing sparks at its side.
    ParticleSystem* sparks =
        createEffect(*scene, impact, kart, glm::vec3(0.0f),
                     {{1.0f, 0.95f, 0.75f}, {1.0f, 0.8f, 0.35f}, {1.0f, 0.55f, 0.15f}, {0.9f, 0.3f, 0.08f}});
    collisionSparks = sparks->entity;
    splashBurst = createEffect(*scene, splashColumn, nullptr, glm::vec3(0.0f),
                               {{0.92f, 0.97f, 1.0f}, {0.7f, 0.87f, 0.97f}, {0.5f, 0.75f, 0.9f}});
    // Many faint quads pile up into a cloud: a grey-blue keeps it from glowing white.
    mistBurst = createEffect(*scene, mist, nullptr, glm::vec3(0.0f),
                             {{0.8f, 0.87f, 0.93f}, {0.72f, 0.81f, 0.89f}, {0.65f, 0.76f, 0.86f}});
    sparkBurst = createEffect(*scene, waterSparks, nullptr, glm::vec3(0.0f),
                              {{1.0f, 0.95f, 0.6f}, {1.0f, 0.7f, 0.25f}, {0.6f, 0.85f, 1.0f}});
}

float CarParticles::smokeIntensity(const Car& car) {
    float s = car.grounded ? car.lateralSpeed : 0.0f;
    if (car.boostTimeLeft > 0.0f) {
        s = std::max(s, 10.0f);
    }
    return s;
}

float CarParticles::boostFraction(const Car& car) {
    const float f =
        car.boostTimeLeft > 0.0f ? car.boostTimeLeft / car.boostDuration : car.boostTimer / car.boostCooldown;
    return std::clamp(f, 0.0f, 1.0f);
}

void CarParticles::update(float dt) {
    Updateable::update(dt);
    if (exhaustSmoke1 == nullptr || exhaustSmoke2 == nullptr || car == nullptr) {
        return;
    }
    const float s = smokeIntensity(*car);
    for (ParticleSystem* smokeSystem : {exhaustSmoke1, exhaustSmoke2}) {
        smokeSystem->rate = 2.0f * s + baseSmokeRate;
        smokeSystem->startAlpha = baseSmokeAlpha + 0.02f * s;
    }
    // Flames live a third of a second: thrown back from a kart at full speed they
    // would be left behind the camera at once, so they start with the kart's speed.
    if (bodyAlive()) {
        // Particle systems advance once per view, so in split screen they live
        // twice as fast as the kart moves: the speed handed on is shared out.
        const auto* renderer = systems->get<Renderer>();
        const size_t views = renderer != nullptr ? std::max<size_t>(renderer->getViews().size(), 1) : 1;
        const glm::vec3 velocity = body->getLinearVelocity() / static_cast<float>(views);
        if (boostFlame != nullptr) {
            boostFlame->emitterVelocity = velocity;
        }
        // Sparks scraped off carry some of the kart's speed along.
        if (auto* sparks =
                collisionSparks != nullptr ? collisionSparks->getComponent<ParticleSystem>() : nullptr) {
            sparks->emitterVelocity = 0.5f * velocity;
        }
    }
    const float f = boostFraction(*car);
    if (f < 0.99f && !flameArmed) {
        if (boostFlame != nullptr) {
            boostFlame->restart();
        }
        flameArmed = true;
    } else if (f > 0.99f && flameArmed) {
        flameArmed = false;
    }
}

void CarParticles::splash() {
    auto* transform = entity != nullptr ? entity->getComponent<Transform>() : nullptr;
    if (transform == nullptr) {
        return;
    }
    glm::vec3 where = transform->getWorldPosition();
    where.y = std::max(where.y, waterLevel);
    for (ParticleSystem* burst : {splashBurst, mistBurst, sparkBurst}) {
        if (burst == nullptr) {
            continue;
        }
        burst->entity->getComponent<Transform>()->setPosition(where);
        burst->restart();
    }
}

void CarParticles::onCollisionEnter(RigidBody*, glm::vec3 point) {
    if (collisionSparks == nullptr) {
        return;
    }
    if (auto* transform = collisionSparks->getComponent<Transform>()) {
        transform->setGlobalPosition(point);
    }
    if (auto* sparks = collisionSparks->getComponent<ParticleSystem>()) {
        sparks->restart();
    }
}

void CarParticles::onCollisionExit(RigidBody*) {
    // A burst plays out whole: a contact that ends at once still leaves its sparks.
}
