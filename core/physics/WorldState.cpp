// Bullet world construction and the contact hook every world relies on.
#include "core/physics/WorldState.h"

#include "core/physics/BodyState.h"
#include "core/physics/CollisionShape.h"
#include "core/physics/PhysicsMaterial.h"

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>

namespace {

// Below this closing speed a contact does not bounce (the designed SDK's threshold).
constexpr btScalar bounceThreshold = 2.0f;

const PhysicsMaterial fallbackMaterial(nullptr);

// The material of the shape a contact belongs to: leaf Bullet shapes carry their
// CollisionShape; a triangle's wrapper has the mesh as its parent.
const PhysicsMaterial& materialOf(const btCollisionObjectWrapper* wrapper) {
    for (; wrapper != nullptr; wrapper = wrapper->m_parent) {
        if (const void* user = wrapper->getCollisionShape()->getUserPointer()) {
            const PhysicsMaterial* material = static_cast<const CollisionShape*>(user)->getMaterial();
            return material != nullptr ? *material : fallbackMaterial;
        }
    }
    return fallbackMaterial;
}

bool onContactAdded(btManifoldPoint& point, const btCollisionObjectWrapper* wrapper0, int /*part0*/,
                    int /*index0*/, const btCollisionObjectWrapper* wrapper1, int part1, int index1) {
    // Bullet hands a mesh triangle in as the second wrapper, whichever body was
    // made first; the call returns at once when that wrapper is not a triangle.
    btAdjustInternalEdgeContacts(point, wrapper1, wrapper0, part1, index1);
    const PhysicsMaterial& a = materialOf(wrapper0);
    const PhysicsMaterial& b = materialOf(wrapper1);
    point.m_combinedFriction = PhysicsMaterial::combine(a.dynamicFriction, b.dynamicFriction);
    point.m_combinedRestitution = PhysicsMaterial::combine(a.restitution, b.restitution);
    return true;
}

// Bullet's default pools hold 4096 contact manifolds and as many collision
// algorithms, about 7 MB per world allocated up front; a race has a few dozen
// contacts, and full pools fall back to the heap.
btDefaultCollisionConstructionInfo smallPools() {
    btDefaultCollisionConstructionInfo info;
    info.m_defaultMaxPersistentManifoldPoolSize = 256;
    info.m_defaultMaxCollisionAlgorithmPoolSize = 256;
    return info;
}

} // namespace

bool SameBodyFilter::needBroadphaseCollision(btBroadphaseProxy* proxy0, btBroadphaseProxy* proxy1) const {
    if ((proxy0->m_collisionFilterGroup & proxy1->m_collisionFilterMask) == 0 ||
        (proxy1->m_collisionFilterGroup & proxy0->m_collisionFilterMask) == 0) {
        return false;
    }
    const auto* object0 = static_cast<const btCollisionObject*>(proxy0->m_clientObject);
    const auto* object1 = static_cast<const btCollisionObject*>(proxy1->m_clientObject);
    return object0->getUserPointer() != object1->getUserPointer();
}

WorldState::WorldState()
    : configuration(std::make_unique<btDefaultCollisionConfiguration>(smallPools())),
      dispatcher(std::make_unique<btCollisionDispatcher>(configuration.get())),
      broadphase(std::make_unique<btDbvtBroadphase>()),
      solver(std::make_unique<btSequentialImpulseConstraintSolver>()),
      world(std::make_unique<CappedDynamicsWorld>(dispatcher.get(), broadphase.get(), solver.get(),
                                                  configuration.get())) {
    installSimulationHooks();
    world->getPairCache()->setOverlapFilterCallback(&filter);
    world->getSolverInfo().m_restitutionVelocityThreshold = bounceThreshold;
}

void installSimulationHooks() {
    gContactAddedCallback = onContactAdded;
}
