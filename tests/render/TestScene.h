// The small scene the render tests draw: a ground slab, boxes and spheres, one
// shadow-casting directional light, a see-through sphere in the blended queue,
// fog, and two cameras splitting the window into a top and a bottom half.
#pragma once

#include "core/render/RenderState.h"

#include <glm/glm.hpp>

#include <string>

class Camera;
class Entity;
class Light;
class Material;
class MeshRenderer;
class Scene;
class SystemRegistry;

struct TestScene {
    Scene* scene = nullptr;
    Camera* top = nullptr;
    Camera* bottom = nullptr;
    Light* sun = nullptr;
    MeshRenderer* glass = nullptr;
};

// A material on the "default" shader with a plain colour.
Material* colourMaterial(SystemRegistry& systems, const std::string& name, const glm::vec4& albedo);

// A see-through material in the blended queue: no depth writes, no shadows.
Material* glassMaterial(SystemRegistry& systems, const std::string& name, const glm::vec4& albedo,
                        BlendMode blend = BlendMode::Alpha);

// An entity with a Transform and a MeshRenderer of a cached primitive.
MeshRenderer* addShape(Scene& scene, const std::string& name, const std::string& mesh, Material* material,
                       const glm::vec3& position, const glm::vec3& scale = glm::vec3(1.0f));

// A camera entity at eye looking at target.
Camera* addCamera(Scene& scene, const std::string& name, const glm::vec3& eye, const glm::vec3& target);

// Builds the split-screen scene in a new current scene of the engine.
TestScene buildTestScene(SystemRegistry& systems);
