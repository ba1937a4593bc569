// Audio system start-up and per-frame update.
#include "core/audio/Audio.h"

Audio::Audio(SystemRegistry* systems) : System(systems) {}

Audio::~Audio() = default;

void Audio::update() {}
