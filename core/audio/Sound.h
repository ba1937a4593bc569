// A sound resource: one sound file loaded into the sound runtime as a 2D sound
// (music, interface) or a 3D one (mixed down to mono, placed and attenuated).
// Shared by every AudioSource that plays it.
#pragma once

#include "core/resources/Resource.h"

#include <string>

class Engine;
class SoundClip;

class Sound : public Resource {
public:
    explicit Sound(SystemRegistry* systems);
    ~Sound() override;

    // path is relative to the assets folder. A file that cannot be loaded is logged
    // and leaves clip null; sources playing this sound then report it.
    void load(const std::string& path, bool is3D);

    Engine* engine;
    SoundClip* clip = nullptr; // owned by the sound runtime
    bool is3D = false;
};
