// Angular speed limit.
#include "core/physics/CappedDynamicsWorld.h"

#include "core/physics/BodyState.h"

void CappedDynamicsWorld::integrateTransforms(btScalar timeStep) {
    for (int i = 0; i < m_nonStaticRigidBodies.size(); ++i) {
        btRigidBody* body = m_nonStaticRigidBodies[i];
        const auto* owner = static_cast<const BodyState*>(body->getUserPointer());
        if (owner == nullptr) {
            continue;
        }
        const btVector3 angular = body->getAngularVelocity();
        const btScalar speed2 = angular.length2();
        if (speed2 > owner->maxAngularSpeed * owner->maxAngularSpeed) {
            body->setAngularVelocity(angular * (owner->maxAngularSpeed / btSqrt(speed2)));
        }
    }
    btDiscreteDynamicsWorld::integrateTransforms(timeStep);
}
