// Descriptions of the sound runtime's result codes.
#include "core/audio/SoundTypes.h"

const char* describeSoundResult(int code) {
    switch (static_cast<SoundResult>(code)) {
    case SoundResult::ok:
        return "No errors.";
    case SoundResult::alreadyInitialized:
        return "The sound system is already initialized.";
    case SoundResult::fileBad:
        return "Error loading file.";
    case SoundResult::fileNotFound:
        return "File not found.";
    case SoundResult::format:
        return "Unsupported file or audio format.";
    case SoundResult::invalidHandle:
        return "An invalid object handle was used.";
    case SoundResult::invalidParam:
        return "An invalid parameter was passed to this function.";
    case SoundResult::memory:
        return "Not enough memory or resources.";
    case SoundResult::notInitialized:
        return "The sound system has not been initialized.";
    case SoundResult::outputInit:
        return "Error initializing the sound output.";
    case SoundResult::unsupported:
        return "This call is not supported by the sound output in use.";
    }
    return "Unknown error.";
}

const char* describeSoundResult(SoundResult result) {
    return describeSoundResult(static_cast<int>(result));
}
