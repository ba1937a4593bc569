// The built-in physics material.
#include "core/physics/PhysicsMaterial.h"

#include "core/resources/ResourceCache.h"

PhysicsMaterial::PhysicsMaterial(SystemRegistry* systems, float staticFriction, float dynamicFriction,
                                 float restitution)
    : Resource(systems), staticFriction(staticFriction), dynamicFriction(dynamicFriction),
      restitution(restitution) {}

void PhysicsMaterial::createBuiltIns(ResourceCache& cache) {
    cache.create<PhysicsMaterial>("default", 0.5f, 0.5f, 0.1f);
}
