// Bullet's discrete dynamics world with a per-body angular speed limit applied
// after the solver and before positions are integrated, as the driving model
// expects. Internal to the physics folder.
#pragma once

#include <btBulletDynamicsCommon.h>

class CappedDynamicsWorld : public btDiscreteDynamicsWorld {
public:
    using btDiscreteDynamicsWorld::btDiscreteDynamicsWorld;

protected:
    void integrateTransforms(btScalar timeStep) override;
};
