// Race position text refresh.
#include "game/PositionLabel.h"

#include "core/runtime/Entity.h"
#include "core/ui/Text.h"
#include "game/RaceFlow.h"

#include <string>

void PositionLabel::update(float dt) {
    Updateable::update(dt);
    if (race == nullptr || kartIndex >= race->positions.size()) {
        return;
    }
    const int position = race->positions[kartIndex];
    if (position == shownPosition) {
        return;
    }
    shownPosition = position;
    if (Text* text = entity->getComponent<Text>()) {
        text->text = ordinal(position) + " / " + std::to_string(race->karts.size());
        text->changed = true;
    }
}
