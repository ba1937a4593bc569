// Exhaust smoke, flames, sparks and splashes: up to maxParticles camera-facing
// textured quads emitted from the entity's position, simulated on the CPU in
// fixed-length arrays and drawn far to near as one instanced draw of a quad.
// After init nothing is allocated, however many particles live or die.
#pragma once

#include "core/render/Drawable.h"

#include <glm/glm.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Material;
class Mesh;
class Texture;
class VertexBuffer;

class ParticleSystem : public Drawable {
public:
    static constexpr int32_t maxParticles = 1000;
    // Frames of an animated sprite sheet (10 columns by 5 rows).
    static constexpr int32_t sheetFrames = 50;
    // Palette slots the particle shader declares; slot 0 is white.
    static constexpr int32_t paletteSlots = 16;

    ParticleSystem(SystemRegistry* systems, Entity* entity);
    ~ParticleSystem() override;

    // Sets up buffers, material and settings. Additive blending applies to
    // animated systems only; the others blend by alpha.
    void init(Texture* texture, bool additive, bool animated);
    // Appends a palette colour; particles spawned near the cone axis take the first ones.
    void addColor(const glm::vec3& color);
    // Emission, simulation, far-to-near sort for this camera, instance upload.
    void updateItems(float dt, Camera* camera) override;
    // The emitter's item while no particle is alive.
    const std::vector<RenderItem>& standbyItems() const override { return parkedItems; }
    // Starts a new emission cycle; live particles carry on.
    void restart();
    // Drops every live particle at once.
    void clear();

    bool isInitialised() const { return material != nullptr; }
    Material* getMaterial() const { return material.get(); }

    // Read-only views of one particle, for tools and tests.
    float particleLife(int32_t slot) const { return particles.life[slot]; }
    float particleScale(int32_t slot) const { return particles.scale[slot]; }
    float particleAlpha(int32_t slot) const { return particles.alpha[slot]; }
    int32_t particleColor(int32_t slot) const { return particles.color[slot]; }
    int32_t particleFrame(int32_t slot) const { return particles.frame[slot]; }
    const glm::vec3& particlePosition(int32_t slot) const { return particles.position[slot]; }
    const glm::vec3& particleVelocity(int32_t slot) const { return particles.velocity[slot]; }
    float particleDistance(int32_t slot) const { return particles.cameraDistance[slot]; }
    // Slot of the k-th particle in drawing order (farthest first).
    int32_t drawOrder(int32_t k) const { return order[k]; }

    // Emitter settings (the owner tunes them after init).
    float duration = 0.5f;
    float rate = 30.0f;
    float rateVariation = 0.5f;
    float positionVariation = 0.5f;
    float lifeVariation = 0.5f;
    float velocityVariation = 0.2f;
    // Degrees: the cone axis (-Z) is turned about Y, then X, then Z.
    glm::vec3 emitterAngles{0.0f};
    // Degrees from the cone axis.
    float spread = 90.0f;
    glm::vec3 acceleration{0.0f, 5.0f, 0.0f};
    float speed = 5.0f;
    float life = 1.0f;
    float startScale = 0.5f;
    float endScale = 1.0f;
    float startAlpha = 0.5f;
    float endAlpha = 0.0f;
    bool looping = true;
    std::vector<glm::vec3> palette;
    // Added to every new particle's velocity: what a moving emitter (a kart's
    // exhaust) hands on, so that its particles leave it rather than fall behind at once.
    glm::vec3 emitterVelocity{0.0f};

    // Running state.
    float emitterTime = 0.0f;
    bool finished = false;
    glm::vec3 emitterPosition{0.0f};
    int32_t liveCount = 0;
    float spawnBank = 0.0f;
    int32_t nextPaletteSlot = 1;
    int32_t searchStart = 0;
    bool animated = false;

private:
    void resetSettings();
    void createBuffers();
    void advanceEmitter(float dt);
    void spawn();
    int32_t freeSlot();
    glm::vec3 emitDirection(float a, float b);
    void simulate(float dt, const glm::vec3& eye);
    void sortFarToNear();
    void upload();
    void showItem(bool show);

    template <typename T> using Slots = std::array<T, maxParticles>;
    // Parallel arrays, one entry per slot; a negative life marks a free slot.
    struct Particles {
        Slots<glm::vec3> position{};
        Slots<glm::vec3> velocity{};
        Slots<float> scale{};
        Slots<float> alpha{};
        Slots<float> life{};
        Slots<float> cameraDistance{};
        Slots<int32_t> color{};
        Slots<int32_t> frame{};
    };
    // The live particles in drawing order, as the instance buffers receive them.
    struct Upload {
        Slots<glm::vec3> position{};
        Slots<float> scale{};
        Slots<float> alpha{};
        Slots<int32_t> color{};
        Slots<int32_t> frame{};
    };
    void resetParticles();

    Particles particles;
    Slots<int32_t> order{};
    Upload uploads;

    Mesh* quad = nullptr;
    std::unique_ptr<VertexBuffer> positionBuffer;
    std::unique_ptr<VertexBuffer> scaleBuffer;
    std::unique_ptr<VertexBuffer> alphaBuffer;
    std::unique_ptr<VertexBuffer> colorBuffer;
    std::unique_ptr<VertexBuffer> frameBuffer;
    std::unique_ptr<Material> material;
    // The one item waits here while nothing is alive, so an idle system costs
    // the renderer no draw; swapping vectors moves it without allocating.
    std::vector<RenderItem> parkedItems;
};
