// The application's whole life: settings, the main loop and shutdown order.
#include "core/runtime/App.h"
#include "core/render/Graphics.h"
#include "core/render/Renderer.h"
#include "core/runtime/Engine.h"
#include "core/runtime/Entity.h"
#include "core/runtime/Input.h"
#include "core/runtime/Scene.h"
#include "core/runtime/SceneManager.h"
#include "core/runtime/Updateable.h"
#include "support/LogCapture.h"
#include "support/TempAssets.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Closes the window through the input system at the third frame.
struct Closer : Updateable {
    using Updateable::Updateable;
    void update(float dt) override {
        Updateable::update(dt);
        if (++frames == 3) {
            systems->get<Input>()->onClose();
        }
    }
    int frames = 0;
};

struct TestApp : App {
    void configure() override { config.title = "Torquewind"; }
    void init() override {
        Scene* scene = systems->get<SceneManager>()->createScene("menu");
        closer = scene->createEntity()->addComponent<Closer>();
    }
    Closer* closer = nullptr;
};

// Runs each test in a scratch working directory, where config.ini may or may not be.
struct AppTest : ::testing::Test {
    AppTest() { fs::current_path(scratch.dir); }
    ~AppTest() override { fs::current_path(previous); }
    const fs::path previous = fs::current_path();
    const TempAssets scratch;
};

} // namespace

TEST_F(AppTest, WithoutConfigFileWarnsTwiceThenClosingEndsTheLoopAndShutsDownInOrder) {
    TW_REQUIRE_DISPLAY();
    LogCapture log;
    auto* app = new TestApp();
    app->run();
    const int readerWarning = log.indexOf("WARNING: config.ini not found! Using defaults instead.");
    const int appWarning = log.indexOf("Failed to load config file: config.ini");
    ASSERT_GE(readerWarning, 0);
    EXPECT_EQ(appWarning, readerWarning + 1);
    EXPECT_EQ(log.lines[static_cast<size_t>(appWarning)].level, LogLevel::Warning);
    EXPECT_EQ(app->engine->frameCount, 3u) << "no frame after the close";
    delete app;
    const int appLine = log.indexOf("App::~");
    ASSERT_GE(appLine, 0);
    EXPECT_GT(log.indexOf("Engine::~"), appLine);
}

// Out-of-range window settings are named in a warning and replaced by the
// defaults before the window opens; anything else in the file still counts.
TEST_F(AppTest, WindowSettingsOutOfRangeWarnByKeyAndFallBackAndBrightnessKeysStepOncePerPress) {
    TW_REQUIRE_DISPLAY();
    scratch.write("config.ini", "[window]\nwidth=-5\nheight=100000\nrefreshRate=0\ntitle=Y\n");
    struct BrightnessApp : TestApp {
        void init() override {
            TestApp::init();
            auto* input = systems->get<Input>();
            // Both keys go down before the first frame; the loop sees them Pressed once.
            input->onKey(46, 1);
            input->onKey(44, 1);
        }
    };
    LogCapture log;
    auto* app = new BrightnessApp();
    EXPECT_EQ(app->run(), 0);
    // Both keys were pressed at once: increase wins.
    EXPECT_FLOAT_EQ(app->systems->get<Renderer>()->brightness, 1.1f);
    EXPECT_TRUE(log.contains("config.ini: window width=-5 is out of range (320 to 16384); using 1280"));
    EXPECT_TRUE(log.contains("config.ini: window height=100000 is out of range (320 to 16384); using 800"));
    EXPECT_TRUE(log.contains("config.ini: window refreshRate=0 is out of range (1 to 1000); using 60"));
    EXPECT_EQ(app->config.title, "Y");
    EXPECT_EQ(app->config.refreshRate, 60);
    EXPECT_EQ(app->systems->get<Graphics>()->width, 1280);
    EXPECT_EQ(app->systems->get<Graphics>()->height, 800);
    delete app;
}

// Without a window nothing could ever end the loop: run says why and returns 1
// at once, before the game's own start-up.
TEST_F(AppTest, WithoutADisplayRunLogsWhyAndReturnsOneBeforeInit) {
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display != nullptr ? display : "";
    unsetenv("DISPLAY");
    LogCapture log;
    auto* app = new TestApp();
    const int status = app->run();
    if (!saved.empty()) {
        setenv("DISPLAY", saved.c_str(), 1);
    }
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(log.contains("Failed to init GLFW"));
    EXPECT_TRUE(log.contains(
        "Cannot run without an OpenGL 4.3 window: X11: The DISPLAY environment variable is missing"));
    EXPECT_EQ(app->closer, nullptr);
    delete app;
}
