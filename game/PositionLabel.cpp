// Race position text refresh.
#include "game/PositionLabel.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "game/RaceFlow.h"

#include <algorithm>
#include <string>

void PositionLabel::update(float dt) {
    Updateable::update(dt);
    if (!looked) {
        looked = true;
        Entity* holder = entity->scene != nullptr ? entity->scene->findEntity("gameplay") : nullptr;
        gameplay = holder != nullptr ? holder->getComponent<RaceFlow>() : nullptr;
        if (gameplay != nullptr) {
            const auto found = std::find(gameplay->karts.begin(), gameplay->karts.end(), kart);
            kartIndex = static_cast<size_t>(found - gameplay->karts.begin());
        }
    }
    if (gameplay == nullptr || kartIndex >= gameplay->positions.size()) {
        return;
    }
    const int position = gameplay->positions[kartIndex];
    if (position == shownPosition) {
        return;
    }
    shownPosition = position;
    if (Text* text = entity->getComponent<Text>()) {
        text->text = ordinal(position) + " / " + std::to_string(gameplay->karts.size());
        text->changed = true;
    }
}
