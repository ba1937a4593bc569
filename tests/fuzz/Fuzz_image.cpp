// Fuzz target: image bytes as a texture file would hand them to the decoder.
#include "core/resources/Image.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image image;
    if (image.decode(data, size, size % 2 == 0) &&
        image.bgra.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4) {
        std::abort();
    }
    return 0;
}
