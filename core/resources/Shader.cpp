// Shader source loading, the #version / #include preprocessor and the variant map.
#include "core/resources/Shader.h"

#include "core/platform/FileSystem.h"
#include "core/platform/Log.h"
#include "core/resources/GLContext.h"
#include "core/resources/ResourceLoader.h"
#include "core/runtime/SystemRegistry.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

// The text between the first and the last double quote; empty when there are fewer than two.
std::string quotedName(const std::string& line) {
    const size_t first = line.find('"');
    const size_t last = line.rfind('"');
    if (first == std::string::npos || last == first) {
        return "";
    }
    return line.substr(first + 1, last - first - 1);
}

// One spelling per file, so that "a/../b.glsl" and "b.glsl" are seen as the same include.
std::string identity(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

} // namespace

Shader::Shader(SystemRegistry* systems) : Resource(systems) {}

Shader::Shader(SystemRegistry* systems, const std::string& vertexPath, const std::string& fragmentPath)
    : Resource(systems) {
    load(vertexPath, fragmentPath);
}

Shader::~Shader() = default;

std::string Shader::resolvePath(const std::string& path) const {
    const ResourceLoader* loader = systems != nullptr ? systems->get<ResourceLoader>() : nullptr;
    if (loader == nullptr) {
        return path;
    }
    const std::string resolved = loader->resolve(path);
    // Unresolved paths are reported where they were looked for first.
    return resolved.empty() ? loader->baseDir + "/" + path : resolved;
}

bool Shader::load(const std::string& vertexPath, const std::string& fragmentPath) {
    versionLine.clear();
    vertexSource.clear();
    fragmentSource.clear();
    if (!readSource(vertexPath, vertexSource)) {
        return false;
    }
    return readSource(fragmentPath, fragmentSource);
}

void Shader::setSources(const std::string& vertexText, const std::string& fragmentText) {
    versionLine.clear();
    programs.clear();
    const auto strip = [&](const std::string& text) {
        std::string out;
        std::istringstream lines(text);
        std::string line;
        while (std::getline(lines, line)) {
            if (startsWith(line, "#version")) {
                versionLine = line + "\n";
            } else if (!startsWith(line, "#include")) {
                out += line + "\n";
            }
        }
        return out;
    };
    vertexSource = strip(vertexText);
    fragmentSource = strip(fragmentText);
}

bool Shader::readSource(const std::string& path, std::string& body) {
    const std::string resolved = resolvePath(path);
    std::string text;
    if (!readFile(resolved, text)) {
        logError(resolved, " not found.");
        return false;
    }
    std::vector<std::string> includeStack{identity(resolved)};
    body = preprocess(text, includeStack);
    return true;
}

std::string Shader::preprocess(const std::string& text, std::vector<std::string>& includeStack) {
    std::string out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (startsWith(line, "#version")) {
            versionLine = line + "\n";
        } else if (startsWith(line, "#include")) {
            includeFile(line, out, includeStack);
        } else {
            out += line;
            out += '\n';
        }
    }
    return out;
}

void Shader::includeFile(const std::string& line, std::string& out, std::vector<std::string>& includeStack) {
    const std::string resolved = resolvePath(quotedName(line));
    std::string text;
    if (!readFile(resolved, text)) {
        logError(resolved, " not found.");
        return;
    }
    const std::string id = identity(resolved);
    if (std::find(includeStack.begin(), includeStack.end(), id) != includeStack.end()) {
        // Following it would recurse for ever; the line is dropped like a missing file.
        logError("Include cycle: ", resolved, " includes itself.");
        return;
    }
    includeStack.push_back(id);
    out += preprocess(text, includeStack);
    includeStack.pop_back();
}

std::string Shader::buildDefines(const std::vector<std::string>& defines) {
    std::string text;
    for (const std::string& define : defines) {
        text += "#define " + define + "\n";
    }
    return text;
}

ShaderProgram* Shader::getProgram(const std::vector<std::string>& defines) {
    return getProgram(buildDefines(defines));
}

ShaderProgram* Shader::getProgram(const std::string& definesText) {
    const auto it = programs.find(definesText);
    if (it != programs.end()) {
        return it->second.get();
    }
    if (!hasGLContext()) {
        return nullptr;
    }
    auto program = std::make_unique<ShaderProgram>(this, definesText);
    program->build(versionLine, vertexSource, fragmentSource);
    // Failed variants are kept too, so each failure is compiled and reported once.
    ShaderProgram* result = program.get();
    programs.emplace(definesText, std::move(program));
    return result;
}
