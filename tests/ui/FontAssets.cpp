// Builds the text tests' assets folder once per test run and removes it at exit.
#include "FontAssets.h"
#include "support/TempAssets.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

const char* const testFontFile = "DejaVuSans-Bold.ttf";

namespace {

struct FontAssets {
    FontAssets() {
        const fs::path font = fs::path("/usr/share/fonts/truetype/dejavu") / testFontFile;
        if (!fs::exists(font)) {
            return;
        }
        std::error_code error;
        fs::create_directory_symlink(fs::path(TW_ASSETS_DIR) / "core", folder.dir + "core", error);
        if (!error) {
            fs::copy_file(font, folder.makeDir("fonts") + "/" + testFontFile, error);
        }
        if (!error) {
            dir = folder.dir;
        }
    }

    const TempAssets folder;
    std::string dir;
};

} // namespace

std::string fontAssetsDir() {
    static const FontAssets assets;
    return assets.dir;
}
