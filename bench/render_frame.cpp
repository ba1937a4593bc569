// Benchmark of the renderer's frame: a fixed split-screen scene of a few hundred
// draws (two views, each with a shadow map, a depth pre-pass and the main pass).
// Reports the median frame time and, when apitrace is installed, the OpenGL calls
// per draw of one frame, counted by tracing a second run of this program.
//
//   render_frame [--frames N] [--width W --height H]
#include "core/render/Camera.h"
#include "core/render/Graphics.h"
#include "core/render/Light.h"
#include "core/render/MeshRenderer.h"
#include "core/render/Renderer.h"
#include "core/resources/Material.h"
#include "core/resources/Mesh.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/Shader.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/SystemRegistry.h"
#include "core/runtime/Transform.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

struct Options {
    int frames = 40;
    int width = 1280;
    int height = 720;
    bool traced = false;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue) {
            options.frames = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--width" && hasValue) {
            options.width = std::atoi(argv[++i]);
        } else if (arg == "--height" && hasValue) {
            options.height = std::atoi(argv[++i]);
        } else if (arg == "--traced") {
            options.traced = true;
        }
    }
    return options;
}

Material* material(ResourceCache& cache, const std::string& name, const glm::vec4& albedo) {
    Material* result = cache.create<Material>(name);
    result->setShader(cache.get<Shader>("default"));
    result->setUniform("albedo", albedo);
    result->setUniform("metallic", 0.0f);
    result->setUniform("roughness", 0.6f);
    return result;
}

void add(Scene& scene, Mesh* mesh, Material* mat, const glm::vec3& position, const glm::vec3& scale) {
    Entity* entity = scene.createEntity();
    auto* transform = entity->addComponent<Transform>();
    transform->setPosition(position);
    transform->setScale(scale);
    entity->addComponent<MeshRenderer>(mesh, std::vector<Material*>{mat});
}

Camera* camera(Scene& scene, const glm::vec3& eye, const glm::vec3& target, float viewportY) {
    Entity* entity = scene.createEntity();
    entity->addComponent<Transform>()->setLocalMatrix(
        glm::inverse(glm::lookAt(eye, target, glm::vec3(0.0f, 1.0f, 0.0f))));
    auto* result = entity->addComponent<Camera>();
    result->setViewport(0.0f, viewportY, 1.0f, 0.5f);
    result->fov = 70.0f;
    return result;
}

// 8 x 8 boxes and spheres in four materials on a ground slab, one sun, two cameras.
void buildScene(SystemRegistry& systems) {
    auto& cache = *systems.get<ResourceCache>();
    Scene& scene = *systems.get<SceneManager>()->createScene("bench");
    systems.get<SceneManager>()->setScene(&scene);
    scene.setRunning(true);
    const std::vector<Material*> materials = {material(cache, "bench red", {0.8f, 0.2f, 0.2f, 1.0f}),
                                              material(cache, "bench green", {0.2f, 0.8f, 0.3f, 1.0f}),
                                              material(cache, "bench blue", {0.2f, 0.3f, 0.9f, 1.0f}),
                                              material(cache, "bench white", {0.9f, 0.9f, 0.9f, 1.0f})};
    Mesh* cube = cache.get<Mesh>("cube");
    Mesh* sphere = cache.get<Mesh>("sphere");
    add(scene, cube, materials[3], {0.0f, -0.1f, -12.0f}, {40.0f, 0.2f, 40.0f});
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            const int n = row * 8 + column;
            add(scene, n % 2 == 0 ? cube : sphere, materials[static_cast<size_t>(n % 4)],
                {static_cast<float>(column) * 2.5f - 8.75f, 0.6f, static_cast<float>(-row) * 2.5f - 2.0f},
                glm::vec3(1.2f));
        }
    }
    Entity* sun = scene.createEntity("sun");
    sun->addComponent<Transform>()->setLocalMatrix(glm::inverse(
        glm::lookAt(glm::vec3(0.0f), glm::vec3(0.5f, -0.7f, -0.4f), glm::vec3(0.0f, 1.0f, 0.0f))));
    sun->addComponent<Light>()->shadowDistance = 30.0f;
    camera(scene, {0.0f, 6.0f, 8.0f}, {0.0f, 0.0f, -10.0f}, 0.5f);
    camera(scene, {10.0f, 4.0f, 4.0f}, {-2.0f, 0.0f, -12.0f}, 0.0f);
}

// Calls between the last two buffer swaps of a trace, and the draws among them.
bool countLastFrame(const std::string& trace, long& calls, long& draws) {
    const std::string command = "apitrace dump --color=never '" + trace + "' 2>/dev/null";
    FILE* dump = popen(command.c_str(), "r");
    if (dump == nullptr) {
        return false;
    }
    long frameCalls = 0;
    long frameDraws = 0;
    calls = draws = -1;
    char line[4096];
    while (fgets(line, sizeof line, dump) != nullptr) {
        // Call lines start with their number; argument continuations do not.
        if (line[0] < '0' || line[0] > '9') {
            continue;
        }
        const char* name = std::strchr(line, ' ');
        if (name == nullptr) {
            continue;
        }
        ++name;
        ++frameCalls;
        if (std::strncmp(name, "glDrawElements", 14) == 0) {
            ++frameDraws;
        }
        if (std::strncmp(name, "glXSwapBuffers", 14) == 0) {
            calls = frameCalls;
            draws = frameDraws;
            frameCalls = frameDraws = 0;
        }
    }
    pclose(dump);
    return calls > 0 && draws > 0;
}

void reportGLCallsPerDraw(const char* self, const Options& options) {
    if (std::system("command -v apitrace >/dev/null 2>&1") != 0) {
        std::printf("GL calls per draw: apitrace not installed, not counted\n");
        return;
    }
    const std::string trace = "/tmp/tw_render_frame_" + std::to_string(::getpid()) + ".trace";
    const std::string command = "apitrace trace -o '" + trace + "' '" + self +
                                "' --traced --frames 4 --width " + std::to_string(options.width) +
                                " --height " + std::to_string(options.height) + " >/dev/null 2>&1";
    long calls = 0;
    long draws = 0;
    if (std::system(command.c_str()) == 0 && countLastFrame(trace, calls, draws)) {
        std::printf("GL calls in one frame: %ld for %ld draws: %.2f per draw\n", calls, draws,
                    static_cast<double>(calls) / static_cast<double>(draws));
    } else {
        std::printf("GL calls per draw: tracing failed\n");
    }
    std::remove(trace.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    Config config;
    config.title = "Torquewind render benchmark";
    config.width = options.width;
    config.height = options.height;
    config.assetsDir = TW_ASSETS_DIR;

    auto systems = std::make_unique<SystemRegistry>();
    Engine* engine = systems->add<Engine>();
    engine->init(config);
    Graphics* graphics = systems->get<Graphics>();
    if (graphics == nullptr || !graphics->hasWindow()) {
        std::fprintf(stderr, "render_frame: no window (is DISPLAY set?)\n");
        return 1;
    }
    buildScene(*systems);

    // The first frames compile the program variants; they are not timed.
    for (int i = 0; i < 3; ++i) {
        engine->update();
    }
    std::vector<double> milliseconds;
    for (int i = 0; i < options.frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        engine->update();
        glFinish();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        milliseconds.push_back(elapsed.count());
    }
    if (options.traced) {
        return 0;
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("window %dx%d, two views, %u draws and %u triangles per frame\n", options.width,
                options.height, graphics->drawCalls, graphics->triangles);
    std::printf("frame time over %d frames: median %.2f ms, fastest %.2f ms, slowest %.2f ms\n",
                options.frames, milliseconds[milliseconds.size() / 2], milliseconds.front(),
                milliseconds.back());
    const uint32_t stateCalls = graphics->stateCalls;
    const uint32_t pointerCalls = graphics->attributePointerCalls;
    engine->update();
    std::printf("state-cache calls let through per frame: %u state, %u attribute pointers\n",
                graphics->stateCalls - stateCalls, graphics->attributePointerCalls - pointerCalls);
    systems.reset();
    reportGLCallsPerDraw(argv[0], options);
    return 0;
}
