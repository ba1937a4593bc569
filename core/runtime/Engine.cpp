// Engine start-up order and the frame.
#include "core/runtime/Engine.h"

#include "core/audio/Audio.h"
#include "core/physics/Physics.h"
#include "core/platform/Clock.h"
#include "core/platform/Log.h"
#include "core/platform/Memory.h"
#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/resources/ResourceCache.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/ui/TextSystem.h"
#include "core/ui/UI.h"

Engine::Engine(SystemRegistry* systems) : System(systems), clock(timeGetTime) {}

Engine::~Engine() {
    logInfo("Engine::~");
}

void Engine::init(Config newConfig) {
    // Before the loader's, the sound's and the driver's threads start.
    setUpHeap();
    Graphics::prepareDriver();
    config = std::move(newConfig);
    if (ResourceLoader* loader = systems->add<ResourceLoader>()) {
        loader->baseDir = config.assetsDir;
        loader->prefetchImages(config.firstFramePictures);
    }
    systems->add<ResourceCache>();
    systems->add<SceneManager>();
    systems->add<Physics>();
    systems->add<Audio>();
    systems->add<TextSystem>();
    if (Graphics* graphics = systems->add<Graphics>()) {
        graphics->init();
    }
    systems->add<Input>();
    systems->add<Renderer>();
    systems->add<UI>();
    // Scenes hold bodies, sounds and GL objects, and cached resources hold GL
    // textures and sound buffers: both go before the systems they depend on.
    systems->setTeardownOrder({typeid(SceneManager), typeid(ResourceCache), typeid(UI), typeid(Renderer),
                               typeid(Input), typeid(Graphics), typeid(TextSystem), typeid(Audio),
                               typeid(Physics), typeid(ResourceLoader)});
}

float Engine::advanceClock() {
    if (lastTimeMs == 0) {
        lastTimeMs = clock() - firstFrameMs;
    }
    const uint32_t now = clock();
    // Unsigned subtraction keeps the frame time right across the clock's wrap.
    const float dt = static_cast<float>(now - lastTimeMs) / 1000.0f;
    lastTimeMs = now;
    time += dt;
    return dt;
}

void Engine::runScene(float dt) {
    SceneManager* sceneManager = get<SceneManager>();
    Scene* scene = sceneManager != nullptr ? sceneManager->current : nullptr;
    if (scene == nullptr) {
        return;
    }
    scene->earlyUpdate(dt);
    fixedAccumulator += dt * stepRate;
    while (fixedAccumulator >= fixedStep) {
        fixedAccumulator -= fixedStep;
        scene->fixedUpdate(fixedStep);
        fire(fixedListeners, fixedStep);
    }
    scene->update(dt);
    scene->lateUpdate(dt);
}

void Engine::render(float dt) {
    SceneManager* sceneManager = get<SceneManager>();
    Graphics* graphics = get<Graphics>();
    Scene* scene = sceneManager != nullptr ? sceneManager->current : nullptr;
    if (scene == nullptr || graphics == nullptr || !graphics->hasWindow() ||
        !graphics->followFramebufferSize()) {
        return;
    }
    graphics->beginFrame();
    if (Renderer* renderer = get<Renderer>()) {
        renderer->render(*scene, dt);
    }
    if (UI* ui = get<UI>()) {
        ui->update(*scene, dt);
        ui->draw();
    }
    graphics->endFrame();
}

void Engine::countFps(float dt) {
    fpsTimer += dt;
    if (fpsTimer >= 1.0f) {
        fps = static_cast<int32_t>(static_cast<float>(frameCount - fpsFrameCount) / fpsTimer);
        fire(secondListeners);
        fpsTimer -= 1.0f;
        fpsFrameCount = frameCount;
    }
}

// A software rasteriser takes and frees megabytes of small blocks every frame,
// more for a view that shows more, and the heap keeps what its heaviest frames
// needed. A trim every five seconds hands back what the last seconds did not
// touch (on the title, while paused, after a heavy view) for about 1 ms (at most
// 2.6). race_soak at 640 x 400 with 10 s races: the heap's free share held at
// 10 MB for 31 races, where with a trim only at each race start it climbed 4 MiB
// at a time to 18 MB. At 1280 x 800 the frames themselves use 10 to 15 MB of it.
void Engine::keepHeapLean(float dt) {
    constexpr float trimSeconds = 5.0f;
    heapTrimTimer += dt;
    if (heapTrimTimer >= trimSeconds) {
        heapTrimTimer = 0.0f;
        returnFreedMemory();
    }
}

void Engine::update() {
    frameCount += 1;
    const float dt = advanceClock();
    if (Input* input = get<Input>()) {
        input->update();
    }
    if (SceneManager* sceneManager = get<SceneManager>()) {
        sceneManager->update(dt);
    }
    runScene(dt);
    fire(frameListeners, dt);
    if (Audio* audio = get<Audio>()) {
        audio->update();
    }
    render(dt);
    countFps(dt);
    keepHeapLean(dt);
}
