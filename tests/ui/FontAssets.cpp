// Builds the text tests' assets folder once per test run and removes it at exit.
#include "FontAssets.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

const char* const testFontFile = "DejaVuSans-Bold.ttf";

namespace {

class TempAssets {
public:
    TempAssets() {
        const fs::path font = fs::path("/usr/share/fonts/truetype/dejavu") / testFontFile;
        if (!fs::exists(font)) {
            return;
        }
        root = fs::temp_directory_path() / ("tw-ui-assets-" + std::to_string(getpid()));
        std::error_code error;
        fs::create_directories(root / "fonts", error);
        if (!error) {
            fs::create_directory_symlink(fs::path(TW_ASSETS_DIR) / "core", root / "core", error);
        }
        if (!error) {
            fs::copy_file(font, root / "fonts" / testFontFile, fs::copy_options::overwrite_existing, error);
        }
        if (!error) {
            dir = root.string() + "/";
        }
    }
    ~TempAssets() {
        std::error_code error;
        if (!root.empty()) {
            fs::remove_all(root, error);
        }
    }
    TempAssets(const TempAssets&) = delete;
    TempAssets& operator=(const TempAssets&) = delete;

    fs::path root;
    std::string dir;
};

} // namespace

std::string fontAssetsDir() {
    static const TempAssets assets;
    return assets.dir;
}
