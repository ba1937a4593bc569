// Reading and checking the start-up settings.
#include "core/runtime/Config.h"

#include "core/platform/Log.h"
#include "core/runtime/ConfigFile.h"

namespace {

// A value the window cannot use is refused here, where the key is still known,
// rather than failing later inside the windowing library.
int checkedInteger(const ConfigFile& file, const char* key, int fallback, long low, long high) {
    const long value = file.GetInteger("window", key, fallback);
    if (value < low || value > high) {
        logWarning("config.ini: window ", key, "=", file.Get("window", key, ""), " is out of range (", low,
                   " to ", high, "); using ", fallback);
        return fallback;
    }
    return static_cast<int>(value);
}

} // namespace

void Config::read(const ConfigFile& file) {
    width = checkedInteger(file, "width", width, minSide, maxSide);
    height = checkedInteger(file, "height", height, minSide, maxSide);
    title = file.Get("window", "title", title);
    fullscreen = file.GetBoolean("window", "fullscreen", fullscreen);
    refreshRate = checkedInteger(file, "refreshRate", refreshRate, 1, 1000);
    assetsDir = file.Get("dir", "assets", assetsDir);
    quality = file.Get("graphics", "quality", quality);
    const double scale = file.GetReal("graphics", "render_scale", renderScale);
    if (scale == 0.0 || (scale >= 0.25 && scale <= 1.0)) {
        renderScale = static_cast<float>(scale);
    } else {
        logWarning("config.ini: graphics render_scale=", file.Get("graphics", "render_scale", ""),
                   " is out of range (0.25 to 1); using the preset's");
    }
    // High draws at full size unless render_scale says otherwise.
    windowDepth = windowDepth || (quality == "high" && renderScale == 0.0f) || renderScale >= 1.0f;
}
