// Base of everything an entity is made of. A component joins its scene's list of
// components when constructed and leaves it when destroyed.
#pragma once

class Entity;
class SystemRegistry;

class Component {
public:
    Component(SystemRegistry* systems, Entity* entity);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // Told when the scene starts or stops running (an audio source stops its sound).
    virtual void onSceneActive(bool active) { (void)active; }
    virtual void onEnabledChanged() {}

    void setEnabled(bool value);
    bool isEnabled() const { return enabled; }

    SystemRegistry* const systems;
    Entity* const entity;

private:
    bool enabled = true;
};
