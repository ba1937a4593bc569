// The results over the views once a race is over: place, name, total time and
// best lap of every kart, in finishing order ("--" for a time not driven).
// Its rows are made with the race and stay hidden until shown.
#pragma once

#include "core/runtime/Component.h"

#include <array>
#include <cstddef>
#include <vector>

class RaceFlow;
class Text;

class ResultsTable : public Component {
public:
    ResultsTable(SystemRegistry* systems, Entity* entity);

    // A header and one row for each of karts karts.
    void build(size_t karts);
    void show(const RaceFlow& race);
    void hide();

    // Header first; columns: place, name, time, best lap.
    std::vector<std::array<Text*, 4>> rows;
    Entity* panel = nullptr;

private:
    void setActive(bool active);
};
