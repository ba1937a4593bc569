// A scratch folder whose "home" subfolder stands in for the player's home while
// it lives: HOME points there and the XDG folder variables are unset. Everything
// is put back and the folder removed afterwards, so later tests in the same
// process see the real environment.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class ScratchHome {
public:
    ScratchHome();
    ~ScratchHome();
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    std::filesystem::path dir;
    std::filesystem::path home() const { return dir / "home"; }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};
