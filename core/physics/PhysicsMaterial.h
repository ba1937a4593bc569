// Surface properties of a collision shape: friction and bounciness. Cached by
// name like every resource; "default" exists as soon as the type is first used.
#pragma once

#include "core/resources/Resource.h"

class ResourceCache;

class PhysicsMaterial : public Resource {
public:
    PhysicsMaterial(SystemRegistry* systems, float staticFriction = 0.5f, float dynamicFriction = 0.5f,
                    float restitution = 0.1f);

    // The cache calls this once, the first time any PhysicsMaterial is asked for.
    static void createBuiltIns(ResourceCache& cache);

    // Two touching shapes use the average of their materials' values.
    static float combine(float a, float b) { return 0.5f * (a + b); }

    float staticFriction;
    // The simulation has a single friction coefficient and takes this one.
    float dynamicFriction;
    float restitution;
};
