// Box and triangle-mesh geometry, triggers and materials of collision shapes.
#include "core/physics/CollisionShape.h"

#include "core/physics/BodyState.h"
#include "core/physics/MeshShape.h"
#include "core/physics/PhysicsMaterial.h"
#include "core/physics/RigidBody.h"
#include "core/physics/ShapeState.h"
#include "core/platform/Log.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/runtime/Transform.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace {

// Bullet rounds box corners by this margin (kept inside the box); small boxes get less.
constexpr btScalar boxMargin = 0.04f;
// Triangles with less area than this (in square metres, times two) are dropped.
constexpr float degenerateArea = 1e-10f;
// What a missing mesh gives: no triangles, which fail as a broken mesh's do.
const std::vector<glm::vec3> noPositions;
const std::vector<uint16_t> noIndices;

bool isFinite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

CollisionShape::CollisionShape(SystemRegistry* systems, RigidBody* owner)
    : systems(systems), owner(owner), state(std::make_unique<ShapeState>()) {
    ResourceCache* cache = systems != nullptr ? systems->get<ResourceCache>() : nullptr;
    if (cache != nullptr) {
        material = cache->get<PhysicsMaterial>("default");
    }
}

CollisionShape::~CollisionShape() = default;

bool CollisionShape::hasGeometry() const {
    return state->geometry != nullptr;
}

size_t CollisionShape::getTriangleCount() const {
    return state->faceIds.size();
}

void CollisionShape::setMaterial(PhysicsMaterial* newMaterial) {
    material = newMaterial;
}

void CollisionShape::setTrigger(bool value) {
    if (value == trigger) {
        return;
    }
    trigger = value;
    owner->shapeChanged(*this, nullptr);
}

void CollisionShape::replaceState(std::unique_ptr<ShapeState> next) {
    // Bullet lets go of the old geometry inside shapeChanged, before it is freed here.
    std::unique_ptr<ShapeState> previous = std::move(state);
    state = std::move(next);
    if (state->geometry != nullptr) {
        state->geometry->setUserPointer(this);
    }
    owner->shapeChanged(*this, previous.get());
}

void CollisionShape::setBox(float x, float y, float z) {
    kind = ShapeKind::Box;
    size = glm::vec3(x, y, z);
    auto next = std::make_unique<ShapeState>();
    if (!(x > 0.0f && y > 0.0f && z > 0.0f) || !isFinite(size)) {
        logError("CollisionShape::setBox: invalid size ", x, " x ", y, " x ", z);
        replaceState(std::move(next));
        return;
    }
    const btVector3 halfExtents(x * 0.5f, y * 0.5f, z * 0.5f);
    auto box = std::make_unique<btBoxShape>(halfExtents);
    box->setMargin(std::min(boxMargin, 0.2f * halfExtents[halfExtents.minAxis()]));
    next->geometry = std::move(box);
    replaceState(std::move(next));
}

bool CollisionShape::setMesh(const Mesh* mesh) {
    // One shape cooks on the calling thread.
    setMeshes({{this, mesh}});
    return hasGeometry();
}

bool CollisionShape::setTriangles(const std::vector<glm::vec3>& positions,
                                  const std::vector<uint16_t>& indices) {
    std::unique_ptr<ShapeState> next = takeTriangles(positions, indices);
    if (next == nullptr) {
        return false;
    }
    cookMesh(*next);
    replaceState(std::move(next));
    return true;
}

void CollisionShape::setMeshes(const std::vector<MeshOfShape>& shapes) {
    std::vector<std::unique_ptr<ShapeState>> states;
    states.reserve(shapes.size());
    for (const MeshOfShape& each : shapes) {
        states.push_back(each.mesh != nullptr
                             ? each.shape->takeTriangles(each.mesh->positions, each.mesh->indices)
                             : each.shape->takeTriangles(noPositions, noIndices));
    }
    std::atomic<size_t> next{0};
    const auto cookNext = [&states, &next] {
        for (size_t i = next++; i < states.size(); i = next++) {
            if (states[i] != nullptr) {
                cookMesh(*states[i]);
            }
        }
    };
    // One thread per core, the calling one among them, and none without a shape.
    const size_t cooks = std::min<size_t>(states.size(), std::max(2u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (size_t i = 1; i < cooks; ++i) {
        threads.emplace_back(cookNext);
    }
    cookNext();
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (size_t i = 0; i < shapes.size(); ++i) {
        if (states[i] != nullptr) {
            shapes[i].shape->replaceState(std::move(states[i]));
        }
    }
}

std::unique_ptr<ShapeState> CollisionShape::takeTriangles(const std::vector<glm::vec3>& positions,
                                                          const std::vector<uint16_t>& indices) {
    kind = ShapeKind::TriangleMesh;
    size = glm::vec3(0.0f);
    auto next = std::make_unique<ShapeState>();
    if (owner->isDynamic()) {
        logError("CollisionShape::setMesh: triangle meshes need a static body");
        replaceState(std::move(next));
        return nullptr;
    }
    const glm::vec3 scale =
        owner->state->transform != nullptr ? owner->state->transform->getGlobalScale() : glm::vec3(1.0f);
    // A mirroring scale turns the triangles inside out; swapping two corners keeps
    // the front faces (the only ones rays hit) facing out.
    const bool mirrored = scale.x * scale.y * scale.z < 0.0f;
    bool corrupt = !isFinite(scale);
    next->vertices.reserve(positions.size() * 3);
    for (const glm::vec3& position : positions) {
        const glm::vec3 scaled = position * scale;
        corrupt = corrupt || !isFinite(scaled);
        next->vertices.insert(next->vertices.end(), {scaled.x, scaled.y, scaled.z});
    }
    const size_t triangles = indices.size() / 3;
    for (size_t t = 0; t < triangles && !corrupt; ++t) {
        uint16_t corner[3] = {indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]};
        if (corner[0] >= positions.size() || corner[1] >= positions.size() || corner[2] >= positions.size()) {
            corrupt = true;
            break;
        }
        const glm::vec3 a = positions[corner[0]] * scale;
        const glm::vec3 b = positions[corner[1]] * scale;
        const glm::vec3 c = positions[corner[2]] * scale;
        if (glm::length(glm::cross(b - a, c - a)) < degenerateArea) {
            continue;
        }
        if (mirrored) {
            std::swap(corner[1], corner[2]);
        }
        next->indices.insert(next->indices.end(), corner, corner + 3);
        next->faceIds.push_back(static_cast<int>(t));
    }
    if (corrupt || next->faceIds.empty()) {
        logError("Error cooking PhysxMesh.");
        replaceState(std::make_unique<ShapeState>());
        return nullptr;
    }
    return next;
}

void CollisionShape::cookMesh(ShapeState& state) {
    btIndexedMesh part;
    part.m_numTriangles = static_cast<int>(state.faceIds.size());
    part.m_triangleIndexBase = reinterpret_cast<const unsigned char*>(state.indices.data());
    part.m_triangleIndexStride = 3 * sizeof(uint16_t);
    part.m_numVertices = static_cast<int>(state.vertices.size() / 3);
    part.m_vertexBase = reinterpret_cast<const unsigned char*>(state.vertices.data());
    part.m_vertexStride = 3 * sizeof(float);
    part.m_indexType = PHY_SHORT;
    part.m_vertexType = PHY_FLOAT;
    state.meshData = std::make_unique<btTriangleIndexVertexArray>();
    state.meshData->addIndexedMesh(part, PHY_SHORT);
    auto mesh = std::make_unique<MeshShape>(state.meshData.get());
    // Without this, bodies sliding across the mesh bump on the seams between triangles.
    state.edgeInfo = std::make_unique<btTriangleInfoMap>();
    mesh->generateInternalEdges(*state.edgeInfo);
    state.geometry = std::move(mesh);
}
