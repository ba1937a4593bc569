// Listener indices and the per-frame listener attributes.
#include "core/audio/AudioListener.h"

#include "core/audio/Audio.h"
#include "core/runtime/Entity.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

int AudioListener::counter = 0;

AudioListener::AudioListener(SystemRegistry* systems, Entity* entity)
    : Updateable(systems, entity), index(counter), audio(systems->get<Audio>()) {
    counter += 1;
    if (counter > 1 && audio != nullptr && audio->soundSystem) {
        audio->soundSystem->set3DNumListeners(counter);
    }
}

void AudioListener::update(float dt) {
    Updateable::update(dt);
    if (entity == nullptr)
        return;
    Transform* transform = entity->getComponent<Transform>();
    if (transform == nullptr)
        transform = entity->addComponent<Transform>();
    transform->refresh();
    const glm::mat4& world = transform->getWorldMatrix();
    const glm::vec3 up(world[1]);
    // The engine looks down -z.
    const glm::vec3 forward = -glm::vec3(world[2]);
    if (audio != nullptr && audio->soundSystem) {
        audio->soundSystem->set3DListenerAttributes(index, transform->getWorldPosition(), glm::vec3(0.0f),
                                                    forward, up);
    }
}
