// AI-only races on the generated track at full speed, without a window or
// sound: the race scene built as the game builds it for players = 0, then the
// race run again and again. Prints each kart's total and best lap per race,
// how often it got stuck (backed out / was put back), its longest time without
// headway, and at the end the wall time per race and the worst stuck time.
//   ai_races [--races N] [--laps N] [--skill easy|medium|hard]
#include "core/physics/Physics.h"
#include "core/platform/Log.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "game/AiDriver.h"
#include "game/RaceFlow.h"
#include "game/RaceProgress.h"
#include "game/RaceScene.h"
#include "game/RaceSetup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    int races = 20;
    RaceSetup setup = defaultRaceSetup(3);
    setup.players = 0;
    setup.ai = RaceSetup::maxKarts;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--races") == 0) {
            races = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--laps") == 0) {
            setup.laps = static_cast<unsigned>(std::clamp(std::atoi(argv[i + 1]), 1, 9));
        } else if (std::strcmp(argv[i], "--skill") == 0) {
            const std::string skill = argv[i + 1];
            setup.skill = skill == "easy" ? AiSkill::easy : skill == "hard" ? AiSkill::hard : AiSkill::medium;
        }
    }

    auto systems = std::make_unique<SystemRegistry>();
    Engine* engine = systems->add<Engine>();
    systems->add<ResourceLoader>()->baseDir = TW_ASSETS_DIR;
    systems->add<ResourceCache>();
    systems->add<Physics>();
    auto* input = systems->add<Input>();
    Scene* scene = systems->add<SceneManager>()->createScene("game");
    systems->get<ResourceLoader>()->importScene(*scene, setup.track);
    if (scene->getEntities().empty() || !buildRaceScene(*scene, setup)) {
        std::fprintf(stderr, "the race could not be built (are the assets generated?)\n");
        return 1;
    }
    scene->setRunning(true);
    auto* gameplay = scene->findEntity("gameplay")->getComponent<RaceFlow>();
    const size_t karts = gameplay->karts.size();
    std::printf("%d races of %u laps, %zu AI karts, skill %s\n", races, setup.laps, karts,
                skillName(setup.skill));

    constexpr float dt = 1.0f / 60.0f;
    constexpr int stepLimit = 60 * 60 * 10;
    float worstStuck = 0.0f;
    int karts5sStuck = 0;
    int unfinished = 0;
    double wallTotal = 0.0;
    for (int race = 0; race < races; ++race) {
        for (Entity* kart : gameplay->karts) {
            kart->getComponent<AiDriver>()->longestStuck = 0.0f;
        }
        std::vector<int> stuckBefore;
        std::vector<int> respawnsBefore;
        for (Entity* kart : gameplay->karts) {
            stuckBefore.push_back(kart->getComponent<AiDriver>()->stuckCount);
            respawnsBefore.push_back(kart->getComponent<AiDriver>()->respawnCount);
        }
        gameplay->startRace();
        const auto start = std::chrono::steady_clock::now();
        int steps = 0;
        for (; steps < stepLimit && gameplay->state != RaceFlow::raceOver; ++steps) {
            engine->time += dt;
            input->update();
            scene->earlyUpdate(dt);
            scene->fixedUpdate(dt);
            scene->update(dt);
            scene->lateUpdate(dt);
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        wallTotal += wall;
        std::printf("race %2d: %.1f s raced in %.2f s\n", race + 1, steps * dt, wall);
        for (size_t i = 0; i < karts; ++i) {
            Entity* kart = gameplay->karts[i];
            const auto* props = kart->getComponent<RaceProgress>();
            const auto* ai = kart->getComponent<AiDriver>();
            const bool done = gameplay->finished[i];
            unfinished += done ? 0 : 1;
            worstStuck = std::max(worstStuck, ai->longestStuck);
            karts5sStuck += ai->longestStuck > 5.0f ? 1 : 0;
            std::printf(
                "  %-3s place %d  total %s  best lap %s  stuck %d  put back %d  longest without headway "
                "%.1f s\n",
                kart->name.c_str(), gameplay->positions[i],
                done ? formatRaceTime(props->finishTime).c_str() : "--",
                props->bestLap > 0.0f ? formatRaceTime(props->bestLap).c_str() : "--",
                ai->stuckCount - stuckBefore[i], ai->respawnCount - respawnsBefore[i], ai->longestStuck);
        }
    }
    std::printf("wall time per race %.2f s; worst time without headway %.1f s; karts stuck over 5 s: %d; "
                "unfinished: %d\n",
                wallTotal / races, worstStuck, karts5sStuck, unfinished);
    return karts5sStuck == 0 && unfinished == 0 ? 0 : 2;
}
