// See KartBuilder.h. The game sets each wheel to its file position plus
// (0, 0.5 - hit distance, 0) every frame, so the file position is where the wheel
// would touch the ground with the suspension fully stretched: 0.5 below the box.
#include "KartBuilder.h"

#include <glm/gtc/matrix_transform.hpp>

#include <memory>

namespace {

// The body mesh is modelled around a box of these half extents, in model units.
const glm::vec3 modelHalfExtents(0.7f, 0.3f, 1.1f);

constexpr float suspensionLength = 0.5f;
constexpr float springStrength = 12.0f;
constexpr float gravity = 9.81f;
constexpr float rayStartBelowBox = 0.0001f;

// Regions of the kart texture (u0, v0, u1, v1; v up).
const glm::vec4 paint(0.0f, 0.5f, 1.0f, 1.0f);
const glm::vec4 dark(0.0f, 0.25f, 0.5f, 0.5f);
const glm::vec4 suit(0.5f, 0.25f, 1.0f, 0.5f);
const glm::vec4 helmet(0.0f, 0.0f, 0.5f, 0.25f);
const glm::vec4 metal(0.5f, 0.0f, 1.0f, 0.25f);

float restHitDistance() {
    return suspensionLength * (1.0f - gravity / (4.0f * springStrength));
}

// A part placed at p in model units, built at the kart's scale.
glm::mat4 at(const glm::vec3& p) {
    return glm::translate(glm::scale(glm::mat4(1.0f), glm::vec3(KartBuilder::scale)), p);
}

std::shared_ptr<Mesh> bodyMesh() {
    auto mesh = std::make_shared<Mesh>();
    Mesh& m = *mesh;
    const glm::vec3& h = modelHalfExtents;
    // Floor pan and bumpers.
    m.addBox(at({0.0f, -h.y + 0.08f, 0.0f}), {0.62f, 0.08f, 1.02f}, 0, FaceUv::rect(dark));
    m.addBox(at({0.0f, -0.16f, -h.z + 0.04f}), {0.66f, 0.07f, 0.06f}, 0, FaceUv::rect(dark));
    m.addBox(at({0.0f, -0.16f, h.z - 0.04f}), {0.66f, 0.07f, 0.06f}, 0, FaceUv::rect(dark));
    // Nose, side pods and engine cover in the team colour.
    m.addBox(at({0.0f, -0.06f, -0.78f}), {0.36f, 0.13f, 0.3f}, 0, FaceUv::rect(paint));
    m.addBox(glm::rotate(at({0.0f, 0.02f, -0.55f}), glm::radians(-18.0f), glm::vec3(1, 0, 0)),
             {0.3f, 0.1f, 0.2f}, 0, FaceUv::rect(paint));
    for (float side : {-1.0f, 1.0f})
        m.addBox(at({side * 0.52f, -0.04f, 0.12f}), {0.16f, 0.16f, 0.55f}, 0, FaceUv::rect(paint));
    m.addBox(at({0.0f, 0.06f, 0.74f}), {0.4f, 0.2f, 0.3f}, 0, FaceUv::rect(paint));
    // Seat and driver.
    m.addBox(at({0.0f, 0.08f, 0.32f}), {0.26f, 0.24f, 0.08f}, 0, FaceUv::rect(dark));
    m.addBox(at({0.0f, 0.32f, 0.16f}), {0.22f, 0.26f, 0.14f}, 0, FaceUv::rect(suit));
    m.addBox(glm::rotate(at({0.0f, 0.16f, -0.2f}), glm::radians(-30.0f), glm::vec3(1, 0, 0)),
             {0.2f, 0.06f, 0.28f}, 0, FaceUv::rect(suit));
    m.addSphere(at({0.0f, 0.74f, 0.12f}), glm::vec3(0.2f, 0.21f, 0.22f), 8, 12, 0, FaceUv::rect(helmet));
    // Steering wheel column.
    m.addCylinder(glm::rotate(at({0.0f, 0.3f, -0.22f}), glm::radians(90.0f), glm::vec3(0, 1, 0)), 0.03f,
                  0.14f, 6, 0, FaceUv::rect(metal), FaceUv::rect(metal));
    m.addCylinder(glm::rotate(at({0.0f, 0.4f, -0.1f}), glm::radians(90.0f), glm::vec3(0, 1, 0)), 0.13f, 0.02f,
                  10, 0, FaceUv::rect(dark), FaceUv::rect(dark));
    // Rear wing on two struts.
    m.addBox(at({0.0f, 0.5f, 1.0f}), {0.62f, 0.03f, 0.16f}, 0, FaceUv::rect(paint));
    for (float side : {-1.0f, 1.0f}) {
        m.addBox(at({side * 0.3f, 0.3f, 1.0f}), {0.03f, 0.18f, 0.06f}, 0, FaceUv::rect(dark));
        m.addBox(at({side * 0.63f, 0.58f, 1.0f}), {0.02f, 0.1f, 0.2f}, 0, FaceUv::rect(paint));
        // Exhaust pipes.
        m.addCylinder(glm::rotate(at({side * 0.2f, 0.1f, 1.12f}), glm::radians(90.0f), glm::vec3(0, 1, 0)),
                      0.06f, 0.14f, 8, 0, FaceUv::rect(metal), FaceUv::rect(dark));
    }
    // Axles between the wheels (they stay where the wheels rest).
    const float axleY = -KartBuilder::halfExtents.y - suspensionLength + KartBuilder::wheelRadius +
                        (suspensionLength - restHitDistance());
    for (float z : {-0.75f, 0.75f})
        m.addCylinder(at({0.0f, axleY / KartBuilder::scale, z}), 0.04f, 0.8f, 6, 0, FaceUv::rect(metal),
                      FaceUv::rect(metal));
    return mesh;
}

std::shared_ptr<Mesh> wheelMesh() {
    auto mesh = std::make_shared<Mesh>();
    // Tread on the left half of the texture, the rim on the right half.
    mesh->addCylinder(glm::mat4(1.0f), KartBuilder::wheelRadius, KartBuilder::wheelHalfWidth, 20, 0,
                      FaceUv::rect(glm::vec4(0.0f, 0.0f, 0.5f, 1.0f)),
                      FaceUv::rect(glm::vec4(0.5f, 0.0f, 1.0f, 1.0f)));
    return mesh;
}

} // namespace

const glm::vec3 KartBuilder::halfExtents = modelHalfExtents * KartBuilder::scale;

float KartBuilder::rideHeight() {
    return halfExtents.y + rayStartBelowBox + restHitDistance();
}

void KartBuilder::build(SceneNode& kart, const std::string& prefix, const std::string& bodyMaterial) {
    SceneNode* collider = kart.addChild(prefix + "BuggyCollider");
    collider->scale = halfExtents;

    SceneNode* body = kart.addChild(prefix + "Body");
    body->mesh = bodyMesh();
    body->materials = {bodyMaterial};
    body->occluder = false;

    const std::shared_ptr<Mesh> wheel = wheelMesh();
    const float wheelX = halfExtents.x + 0.06f * scale + wheelHalfWidth;
    const float wheelZ = 0.75f * scale;
    const float restY = -halfExtents.y - rayStartBelowBox - suspensionLength + wheelRadius;
    struct Corner {
        const char* name;
        float x, z;
    };
    const Corner corners[4] = {{"Wheel_FL", -wheelX, -wheelZ},
                               {"Wheel_FR", wheelX, -wheelZ},
                               {"Wheel_RL", -wheelX, wheelZ},
                               {"Wheel_RR", wheelX, wheelZ}};
    for (const Corner& c : corners) {
        SceneNode* w = kart.addChild(prefix + c.name);
        w->position = glm::vec3(c.x, restY, c.z);
        w->mesh = wheel;
        w->materials = {"Wheel"};
        w->occluder = false;
    }
}
