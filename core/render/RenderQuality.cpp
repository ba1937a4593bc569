// Preset names, the automatic choice and the cycling order.
#include "core/render/RenderQuality.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

bool parseRenderQuality(const std::string& text, RenderQuality& out) {
    const std::string name = lowered(text);
    for (RenderQuality quality : {RenderQuality::Low, RenderQuality::Medium, RenderQuality::High}) {
        if (name == renderQualityName(quality)) {
            out = quality;
            return true;
        }
    }
    return false;
}

const char* renderQualityName(RenderQuality quality) {
    switch (quality) {
    case RenderQuality::Low:
        return "low";
    case RenderQuality::Medium:
        return "medium";
    case RenderQuality::High:
        break;
    }
    return "high";
}

bool isSoftwareRenderer(const std::string& glRenderer) {
    const std::string name = lowered(glRenderer);
    return name.find("llvmpipe") != std::string::npos || name.find("softpipe") != std::string::npos ||
           name.find("swrast") != std::string::npos;
}

bool resolveRenderQuality(const std::string& setting, const std::string& glRenderer, RenderQuality& out) {
    const std::string name = lowered(setting);
    if (name.empty() || name == "auto") {
        out = isSoftwareRenderer(glRenderer) ? RenderQuality::Low : RenderQuality::High;
        return true;
    }
    return parseRenderQuality(name, out);
}

RenderQuality nextRenderQuality(RenderQuality quality) {
    switch (quality) {
    case RenderQuality::Low:
        return RenderQuality::Medium;
    case RenderQuality::Medium:
        return RenderQuality::High;
    case RenderQuality::High:
        break;
    }
    return RenderQuality::Low;
}
