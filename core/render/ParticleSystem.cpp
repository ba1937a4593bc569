// Emission, simulation, sorting and instanced upload of particle systems.
#include "core/render/ParticleSystem.h"

#include "core/platform/Log.h"
#include "core/render/Camera.h"
#include "core/render/Renderer.h"
#include "core/resources/GLContext.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/resources/VertexBuffer.h"
#include "core/runtime/Entity.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/quaternion.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Uniform in [0, 1] from the C library generator, as the effects were tuned with.
float random01() {
    return static_cast<float>(std::rand()) / static_cast<float>(RAND_MAX);
}

float jitter() {
    return 1.0f - 2.0f * random01();
}

Shader* particleShader(SystemRegistry* systems) {
    auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache == nullptr) {
        return nullptr;
    }
    if (Shader* shader = cache->get<Shader>("particle")) {
        return shader;
    }
    Shader* shader = cache->create<Shader>("particle");
    shader->load("core/shaders/particle.vert", "core/shaders/particle.frag");
    return shader;
}

std::unique_ptr<VertexBuffer> instanceBuffer(const char* name, VertexAttributeType type) {
    return std::make_unique<VertexBuffer>(std::vector<VertexAttribute>{{name, type, true}}, nullptr,
                                          static_cast<uint32_t>(ParticleSystem::maxParticles), true);
}

// Only the first count values: the draw reads no more instances than that.
template <typename T> void uploadFirst(const VertexBuffer* buffer, const T& values, int32_t count) {
    if (buffer == nullptr || buffer->buffer == 0 || count <= 0) {
        return;
    }
    glBindBuffer(GL_ARRAY_BUFFER, buffer->buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0,
                    static_cast<GLsizeiptr>(sizeof(values[0]) * static_cast<size_t>(count)), values.data());
}

} // namespace

ParticleSystem::ParticleSystem(SystemRegistry* systems, Entity* entity) : Drawable(systems, entity) {
    resetParticles();
}

ParticleSystem::~ParticleSystem() = default;

void ParticleSystem::resetParticles() {
    particles = Particles();
    particles.life.fill(-1.0f);
    particles.cameraDistance.fill(-1.0f);
    for (int32_t i = 0; i < maxParticles; ++i) {
        order[i] = i;
    }
    liveCount = 0;
}

void ParticleSystem::init(Texture* texture, bool additive, bool isAnimated) {
    resetParticles();
    animated = isAnimated;
    emitterTime = 0.0f;
    finished = false;
    spawnBank = 0.0f;
    searchStart = 0;
    nextPaletteSlot = 1;
    palette.clear();

    createBuffers();

    material = std::make_unique<Material>(systems);
    material->setShader(particleShader(systems));
    material->setRenderQueue(3);
    material->setCastsShadows(false);
    material->setReceivesShadows(false);
    material->setUniform("color", glm::vec4(1.0f));
    material->setTexture("particleTex", texture);
    material->setUniform("particleColors[0]", glm::vec3(1.0f));
    material->setCullMode(CullMode::None);
    material->setDepthWrite(false);
    if (animated) {
        material->addDefine("ANIMATED");
        if (additive) {
            material->setBlendMode(BlendMode::Additive);
            material->setBlendColor(glm::vec4(0.6f));
        }
    } else {
        material->addDefine("NOT_ANIMATED");
        material->setBlendMode(BlendMode::Alpha);
    }

    parkedItems.clear();
    items.clear();
    RenderItem item;
    item.drawType = RenderItem::instanced;
    if (quad != nullptr) {
        item.vertexBuffers = quad->getVertexBuffers();
        item.indexBuffer = quad->getIndexBuffer();
    }
    for (const auto* buffer : {&positionBuffer, &scaleBuffer, &alphaBuffer, &colorBuffer, &frameBuffer}) {
        if (*buffer != nullptr) {
            item.vertexBuffers.push_back(buffer->get());
        }
    }
    item.first = 0;
    item.count = 6;
    item.material = material.get();
    item.instanceCount = maxParticles;
    // Room for the item in both places, so moving it never allocates.
    parkedItems.reserve(1);
    items.push_back(std::move(item));

    resetSettings();
    emitterPosition = getTransform() != nullptr ? getTransform()->getWorldPosition() : glm::vec3(0.0f);
}

void ParticleSystem::createBuffers() {
    auto* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    quad = cache != nullptr ? cache->get<Mesh>("quad") : nullptr;
    positionBuffer.reset();
    scaleBuffer.reset();
    alphaBuffer.reset();
    colorBuffer.reset();
    frameBuffer.reset();
    // Without a context the system still simulates; it just has nothing to draw with.
    if (!hasGLContext()) {
        return;
    }
    positionBuffer = instanceBuffer("particlePos", VertexAttributeType::Vec3);
    scaleBuffer = instanceBuffer("particleScale", VertexAttributeType::Float);
    alphaBuffer = instanceBuffer("particleAlpha", VertexAttributeType::Float);
    colorBuffer = instanceBuffer("particleColor", VertexAttributeType::Int);
    frameBuffer = animated ? instanceBuffer("particleTexture", VertexAttributeType::Int) : nullptr;
}

void ParticleSystem::resetSettings() {
    duration = 0.5f;
    rate = 30.0f;
    rateVariation = 0.5f;
    positionVariation = 0.5f;
    lifeVariation = 0.5f;
    velocityVariation = 0.2f;
    emitterAngles = glm::vec3(0.0f);
    spread = 90.0f;
    acceleration = glm::vec3(0.0f, 5.0f, 0.0f);
    speed = 5.0f;
    life = 1.0f;
    startScale = 0.5f;
    endScale = 1.0f;
    startAlpha = 0.5f;
    endAlpha = 0.0f;
    looping = true;
    emitterVelocity = glm::vec3(0.0f);
}

void ParticleSystem::addColor(const glm::vec3& color) {
    if (nextPaletteSlot >= paletteSlots) {
        logWarning("ParticleSystem: palette full, colour ignored on entity '",
                   entity != nullptr ? entity->name : std::string(), "'");
        return;
    }
    palette.push_back(color);
    if (material != nullptr) {
        material->setUniform("particleColors[" + std::to_string(nextPaletteSlot) + "]", color);
    }
    ++nextPaletteSlot;
}

void ParticleSystem::restart() {
    emitterTime = 0.0f;
    finished = false;
}

void ParticleSystem::clear() {
    particles.life.fill(-1.0f);
    particles.cameraDistance.fill(-1.0f);
    liveCount = 0;
    showItem(false);
}

void ParticleSystem::updateItems(float dt, Camera* camera) {
    advanceEmitter(dt);
    const glm::vec3 eye = camera != nullptr ? camera->getPosition() : emitterPosition;
    simulate(dt, eye);
    spawnBank -= std::floor(spawnBank);
    sortFarToNear();
    upload();
}

void ParticleSystem::advanceEmitter(float dt) {
    if (!finished) {
        emitterTime += dt;
    }
    if (Transform* transform = getTransform()) {
        emitterPosition = transform->getWorldPosition();
    }
    if (emitterTime >= duration) {
        if (!looping) {
            finished = true;
        }
        emitterTime = 0.0f;
    }
    if (emitterTime < duration && !finished) {
        // Cheaper presets thin the emission out; each particle stays as it was.
        const Renderer* renderer = systems != nullptr ? systems->get<Renderer>() : nullptr;
        const float density = renderer != nullptr ? renderer->getParticleDensity() : 1.0f;
        spawnBank += rate * density * (1.0f + jitter() * rateVariation) * dt;
        const int count = static_cast<int>(std::floor(spawnBank));
        for (int i = 0; i < count; ++i) {
            spawn();
        }
    }
}

int32_t ParticleSystem::freeSlot() {
    for (int32_t i = searchStart; i < maxParticles; ++i) {
        if (particles.life[i] < 0.0f) {
            searchStart = i;
            return i;
        }
    }
    for (int32_t i = 0; i < searchStart; ++i) {
        if (particles.life[i] < 0.0f) {
            searchStart = i;
            return i;
        }
    }
    return -1;
}

glm::vec3 ParticleSystem::emitDirection(float a, float b) {
    const float tilt = glm::radians(spread * a);
    const float azimuth = b * glm::two_pi<float>();
    glm::vec3 direction(std::sin(tilt) * std::cos(azimuth), std::sin(tilt) * std::sin(azimuth),
                        -std::cos(tilt));
    const glm::quat emitter = glm::angleAxis(glm::radians(emitterAngles.z), glm::vec3(0, 0, 1)) *
                              glm::angleAxis(glm::radians(emitterAngles.x), glm::vec3(1, 0, 0)) *
                              glm::angleAxis(glm::radians(emitterAngles.y), glm::vec3(0, 1, 0));
    direction = emitter * (direction * speed);
    if (Transform* transform = getTransform()) {
        direction = transform->getGlobalRotation() * direction;
    }
    return direction;
}

void ParticleSystem::spawn() {
    int32_t slot = freeSlot();
    if (slot < 0) {
        // Every slot is alive: slot 0 makes room.
        slot = 0;
        --liveCount;
    }
    const float a = random01();
    const float b = random01();
    glm::vec3 velocityJitter;
    for (int axis = 0; axis < 3; ++axis) {
        velocityJitter[axis] = jitter() * velocityVariation;
    }
    glm::vec3 positionJitter;
    for (int axis = 0; axis < 3; ++axis) {
        positionJitter[axis] = jitter() * positionVariation;
    }
    particles.velocity[slot] = emitDirection(a, b) + velocityJitter + emitterVelocity;
    // A variation wider than the life must not make a particle that is counted but
    // never simulated: it lives for one update instead.
    particles.life[slot] = std::max(life + (1.0f - 2.0f * b) * lifeVariation, 0.0f);
    particles.position[slot] = emitterPosition + positionJitter;
    // Particles near the cone axis take the first palette colours.
    const auto colours = static_cast<int32_t>(palette.size());
    particles.color[slot] =
        colours == 0 ? 0 : std::min(static_cast<int32_t>(static_cast<float>(colours) * a), colours - 1) + 1;
    particles.frame[slot] = 0;
    ++liveCount;
}

void ParticleSystem::simulate(float dt, const glm::vec3& eye) {
    const float baseLife = life != 0.0f ? life : 1.0f;
    Particles& p = particles;
    for (int32_t i = 0; i < maxParticles; ++i) {
        if (p.life[i] < 0.0f) {
            continue;
        }
        p.life[i] -= dt;
        if (p.life[i] < 0.0f) {
            p.cameraDistance[i] = -1.0f;
            --liveCount;
            continue;
        }
        p.velocity[i] += acceleration * dt;
        p.position[i] += p.velocity[i] * dt;
        // Negative for a particle that outlives the base life: it starts outside the range.
        const float t = 1.0f - p.life[i] / baseLife;
        p.scale[i] = startScale + (endScale - startScale) * t;
        p.alpha[i] = startAlpha + (endAlpha - startAlpha) * t;
        if (animated) {
            p.frame[i] = static_cast<int32_t>(std::floor(t * static_cast<float>(sheetFrames)));
        }
        p.cameraDistance[i] = glm::distance(p.position[i], eye);
    }
}

void ParticleSystem::sortFarToNear() {
    if (liveCount <= 0) {
        return;
    }
    // The dead (distance -1) go last; std::sort works in place.
    std::sort(order.begin(), order.end(), [this](int32_t left, int32_t right) {
        return particles.cameraDistance[left] > particles.cameraDistance[right];
    });
}

void ParticleSystem::upload() {
    showItem(liveCount > 0);
    if (liveCount <= 0 || items.empty()) {
        return;
    }
    for (int32_t k = 0; k < liveCount; ++k) {
        const int32_t slot = order[k];
        uploads.position[k] = particles.position[slot];
        uploads.scale[k] = particles.scale[slot];
        uploads.alpha[k] = particles.alpha[slot];
        uploads.color[k] = particles.color[slot];
        uploads.frame[k] = particles.frame[slot];
    }
    if (positionBuffer != nullptr) {
        uploadFirst(positionBuffer.get(), uploads.position, liveCount);
        uploadFirst(scaleBuffer.get(), uploads.scale, liveCount);
        uploadFirst(alphaBuffer.get(), uploads.alpha, liveCount);
        uploadFirst(colorBuffer.get(), uploads.color, liveCount);
        if (animated) {
            uploadFirst(frameBuffer.get(), uploads.frame, liveCount);
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    RenderItem& item = items.front();
    item.instanceCount = liveCount;
    item.position = emitterPosition;
}

void ParticleSystem::showItem(bool show) {
    if (show == !items.empty() || material == nullptr) {
        return;
    }
    items.swap(parkedItems);
}
