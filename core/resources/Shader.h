// A named pair of vertex and fragment sources, read and preprocessed once, and
// compiled lazily into one ShaderProgram per distinct defines text.
#pragma once

#include "core/resources/Resource.h"
#include "core/resources/ShaderProgram.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class Shader : public Resource {
public:
    explicit Shader(SystemRegistry* systems);
    // Convenience: constructs and loads at once.
    Shader(SystemRegistry* systems, const std::string& vertexPath, const std::string& fragmentPath);
    ~Shader() override;

    // Reads and preprocesses both sources (paths relative to the assets folder).
    // False when a file could not be read; the error is logged.
    bool load(const std::string& vertexPath, const std::string& fragmentPath);
    // Takes both sources as given (built-in shaders); #version lines are taken out
    // as load does, #include lines are dropped.
    void setSources(const std::string& vertexText, const std::string& fragmentText);

    // The variant for these defines ("NAME" or "NAME value" each), compiled on first
    // use. The same entries in another order make another variant. Null only when
    // there is no GL context to compile in.
    ShaderProgram* getProgram(const std::vector<std::string>& defines);
    ShaderProgram* getProgram(const std::string& definesText);

    // "#define " + entry + "\n" for each entry, in order.
    static std::string buildDefines(const std::vector<std::string>& defines);

    const std::string& getVersionLine() const { return versionLine; }
    const std::string& getVertexSource() const { return vertexSource; }
    const std::string& getFragmentSource() const { return fragmentSource; }
    size_t getProgramCount() const { return programs.size(); }

private:
    bool readSource(const std::string& path, std::string& body);
    std::string preprocess(const std::string& text, std::vector<std::string>& includeStack);
    void includeFile(const std::string& line, std::string& out, std::vector<std::string>& includeStack);
    std::string resolvePath(const std::string& path) const;

    std::string versionLine;
    std::string vertexSource;
    std::string fragmentSource;
    std::map<std::string, std::unique_ptr<ShaderProgram>> programs;
};
