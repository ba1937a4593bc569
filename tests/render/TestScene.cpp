// Building the render tests' scene.
#include "render/TestScene.h"

#include "core/render/Camera.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <glm/gtc/matrix_transform.hpp>

Material* colourMaterial(SystemRegistry& systems, const std::string& name, const glm::vec4& albedo) {
    auto* cache = systems.get<ResourceCache>();
    Material* material = cache->get<Material>(name);
    if (material == nullptr) {
        material = cache->create<Material>(name);
    }
    material->setShader(cache->get<Shader>("default"));
    material->setUniform("albedo", albedo);
    material->setUniform("metallic", 0.0f);
    material->setUniform("roughness", 0.8f);
    return material;
}

Material* glassMaterial(SystemRegistry& systems, const std::string& name, const glm::vec4& albedo,
                        BlendMode blend) {
    Material* material = colourMaterial(systems, name, albedo);
    material->setRenderQueue(3);
    material->setBlendMode(blend);
    material->setDepthWrite(false);
    material->setCastsShadows(false);
    return material;
}

MeshRenderer* addShape(Scene& scene, const std::string& name, const std::string& mesh, Material* material,
                       const glm::vec3& position, const glm::vec3& scale) {
    Entity* entity = scene.createEntity(name);
    auto* transform = entity->addComponent<Transform>();
    transform->setPosition(position);
    transform->setScale(scale);
    Mesh* shape = scene.systems->get<ResourceCache>()->get<Mesh>(mesh);
    return entity->addComponent<MeshRenderer>(shape, std::vector<Material*>{material});
}

Camera* addCamera(Scene& scene, const std::string& name, const glm::vec3& eye, const glm::vec3& target) {
    Entity* entity = scene.createEntity(name);
    auto* transform = entity->addComponent<Transform>();
    transform->setLocalMatrix(glm::inverse(glm::lookAt(eye, target, glm::vec3(0.0f, 1.0f, 0.0f))));
    return entity->addComponent<Camera>();
}

TestScene buildTestScene(SystemRegistry& systems) {
    TestScene result;
    Scene& scene = *systems.get<SceneManager>()->createScene("render test");
    systems.get<SceneManager>()->setScene(&scene);
    scene.setRunning(true);
    result.scene = &scene;

    Material* ground = colourMaterial(systems, "test ground", {0.55f, 0.7f, 0.45f, 1.0f});
    Material* red = colourMaterial(systems, "test red", {0.85f, 0.2f, 0.15f, 1.0f});
    Material* blue = colourMaterial(systems, "test blue", {0.2f, 0.35f, 0.9f, 1.0f});
    Material* white = colourMaterial(systems, "test white", {0.9f, 0.9f, 0.85f, 1.0f});
    Material* glass = glassMaterial(systems, "test glass", {1.0f, 0.9f, 0.1f, 0.5f});

    addShape(scene, "ground", "cube", ground, {0.0f, -0.1f, -20.0f}, {16.0f, 0.2f, 60.0f});
    addShape(scene, "box1", "cube", red, {-2.0f, 0.75f, -3.0f}, glm::vec3(1.5f));
    addShape(scene, "box2", "cube", blue, {2.5f, 1.0f, -6.0f}, {1.0f, 2.0f, 1.0f});
    addShape(scene, "box3", "cube", red, {0.5f, 0.5f, -14.0f}, glm::vec3(1.0f));
    addShape(scene, "sphere1", "sphere", white, {0.5f, 0.6f, -1.5f}, glm::vec3(1.2f));
    addShape(scene, "sphere2", "sphere", blue, {-3.0f, 1.0f, -9.0f}, glm::vec3(2.0f));
    // In front of box1 as seen from the cameras, so it is blended over it.
    result.glass = addShape(scene, "glass", "sphere", glass, {-1.6f, 1.0f, -0.8f}, glm::vec3(1.4f));

    Entity* sunEntity = scene.createEntity("sun");
    auto* sunTransform = sunEntity->addComponent<Transform>();
    // Low from the left and behind, so shadows fall long towards the cameras' right.
    sunTransform->setLocalMatrix(glm::inverse(
        glm::lookAt(glm::vec3(0.0f), glm::vec3(0.6f, -0.55f, 0.45f), glm::vec3(0.0f, 1.0f, 0.0f))));
    result.sun = sunEntity->addComponent<Light>();
    result.sun->color = glm::vec3(1.0f, 0.95f, 0.85f);
    result.sun->intensity = 1.6f;
    result.sun->shadowDistance = 20.0f;

    result.top = addCamera(scene, "cam0", {0.0f, 3.0f, 5.0f}, {0.0f, 0.5f, -4.0f});
    result.top->setViewport(0.0f, 0.5f, 1.0f, 0.5f);
    result.bottom = addCamera(scene, "cam1", {4.0f, 2.0f, 4.0f}, {-1.0f, 0.5f, -5.0f});
    result.bottom->setViewport(0.0f, 0.0f, 1.0f, 0.5f);
    result.top->fov = result.bottom->fov = 60.0f;

    auto* renderer = systems.get<Renderer>();
    renderer->fogColor = glm::vec3(0.7f, 0.8f, 0.9f);
    renderer->fogStart = 12.0f;
    renderer->fogRange = 30.0f;
    renderer->ambientColor = glm::vec3(0.35f, 0.4f, 0.45f);
    result.top->clearColor = result.bottom->clearColor = renderer->fogColor;
    return result;
}
