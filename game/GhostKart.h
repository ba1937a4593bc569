// The ghost of the best lap: a translucent copy of a kart's body and wheels that
// drives the kept lap each time its player's kart starts a lap from the line,
// and is hidden before the first crossing and once its lap is done. It has no
// body, so it collides with nothing; it casts no shadow.
#pragma once

#include "core/runtime/Updateable.h"
#include "game/GhostLap.h"

class Entity;
class RaceProgress;
class Scene;
class Transform;

class GhostKart : public Updateable {
public:
    GhostKart(SystemRegistry* systems, Entity* entity);

    // Copies kart's look (every mesh below it) as the translucent "ghostKart" and
    // follows the laps of its player's kart.
    void build(Scene& scene, Entity& kart);
    // The lap to race from the next crossing of the line (none: no ghost).
    void race(GhostLap lap);

    void fixedUpdate(float dt) override;

    bool isShown() const;
    const GhostLap& lap() const { return ghost; }

    // How much of the kart shows through.
    static constexpr float opacity = 0.4f;

private:
    void show(bool shown);

    GhostLap ghost;
    RaceProgress* progress = nullptr;
    Entity* look = nullptr;
    Transform* lookTransform = nullptr;
    int lapSeen = 0;
    uint32_t step = 0;
};
