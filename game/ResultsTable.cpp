// Results layout and filling.
#include "game/ResultsTable.h"

#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/ui/Text.h"
#include "core/ui/Transform2D.h"
#include "core/ui/UITex.h"
#include "game/GameAssets.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"
#include "game/UiFactory.h"
#include "game/UiLayers.h"

#include <string>

namespace {

// Below the end screen's strip in the middle of the window.
constexpr float top = 0.56f;
constexpr float rowHeight = 0.04f;
constexpr float rowSpacing = 0.046f;
constexpr std::array<float, 4> columns{0.27f, 0.36f, 0.52f, 0.67f};
constexpr float panelLeft = 0.25f;
constexpr float panelWidth = 0.56f;
const glm::vec4 headerColour{0.9f, 1.0f, 0.0f, 1.0f};
const glm::vec4 rowColour{1.0f, 1.0f, 1.0f, 1.0f};
const glm::vec4 panelColour{0.05f, 0.06f, 0.12f, 0.75f};

} // namespace

ResultsTable::ResultsTable(SystemRegistry* systems, Entity* entity) : Component(systems, entity) {}

void ResultsTable::build(size_t karts) {
    Scene& scene = *entity->scene;
    UITex* back =
        addPictureEntity(scene, "resultsPanel", cachedTexture(systems, "fill", "textures/ui/fill.png"),
                         {{panelLeft, top - 0.01f}, rowSpacing, Anchor::TopLeft}, uiLayer::hudPanel);
    auto* place = back->entity->getComponent<Transform2D>();
    place->setAspectMode(AspectMode::None);
    place->setSize({panelWidth, rowSpacing * static_cast<float>(karts + 1) + 0.015f});
    back->color = panelColour;
    panel = back->entity;
    const std::array<const char*, 4> header{"", "Kart", "Time", "Best lap"};
    for (size_t row = 0; row <= karts; ++row) {
        std::array<Text*, 4> cells{};
        for (size_t column = 0; column < cells.size(); ++column) {
            const glm::vec2 at(columns[column], top + rowSpacing * static_cast<float>(row));
            cells[column] =
                addTextEntity(scene, "results" + std::to_string(row) + "_" + std::to_string(column),
                              row == 0 ? header[column] : "", {at, rowHeight, Anchor::TopLeft},
                              row == 0 ? headerColour : rowColour, uiLayer::screen);
        }
        rows.push_back(cells);
    }
    setActive(false);
}

void ResultsTable::setActive(bool active) {
    if (panel != nullptr) {
        panel->active = active;
    }
    for (const auto& cells : rows) {
        for (Text* cell : cells) {
            cell->entity->active = active;
        }
    }
}

void ResultsTable::show(const RaceFlow& race) {
    for (size_t kart = 0; kart < race.karts.size() && kart < race.positions.size(); ++kart) {
        const size_t row = static_cast<size_t>(race.positions[kart]);
        if (row == 0 || row >= rows.size()) {
            continue;
        }
        const RaceProgress* props = race.karts[kart]->getComponent<RaceProgress>();
        const bool finished = kart < race.finished.size() && race.finished[kart];
        const std::string name =
            race.karts[kart]->name + (static_cast<int>(kart) >= race.humanPlayers ? " (AI)" : "");
        const std::array<std::string, 4> texts{
            ordinal(static_cast<int>(row)), name,
            finished && props != nullptr ? formatRaceTime(props->finishTime) : "--",
            props != nullptr && props->bestLap > 0.0f ? formatRaceTime(props->bestLap) : "--"};
        for (size_t column = 0; column < texts.size(); ++column) {
            rows[row][column]->text = texts[column];
            rows[row][column]->changed = true;
        }
    }
    setActive(true);
}

void ResultsTable::hide() {
    setActive(false);
}
