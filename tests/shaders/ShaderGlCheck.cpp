// Compiles and links shader variants with the real OpenGL driver, for the
// shader check script: glslangValidator accepts some sources that a driver
// rejects (and the other way round), so the variants are also built where
// the game runs. Reads lines "vertex-file<TAB>fragment-file<TAB>label" from
// standard input, prints each failure with its label and the driver's log.
// Exit 0 all built, 1 a failure, 77 no display (skipped).
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Appends the stage's log to the report; true when it compiled.
bool compileStage(GLuint shader, const std::string& source, std::string& report) {
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[4096] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        report += log;
    }
    return ok == GL_TRUE;
}

bool buildProgram(const std::string& vertexPath, const std::string& fragmentPath, std::string& report) {
    GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
    GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    bool ok = compileStage(vertex, readFile(vertexPath), report);
    ok = compileStage(fragment, readFile(fragmentPath), report) && ok;
    GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        char log[4096] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        report += log;
    }
    glDeleteProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return ok && linked == GL_TRUE;
}

bool createContext() {
    if (!glfwInit()) {
        return false;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(64, 64, "shader check", nullptr, nullptr);
    if (window == nullptr) {
        return false;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    return glewInit() == GLEW_OK;
}

} // namespace

int main() {
    if (!createContext()) {
        std::printf("no OpenGL 4.3 context (DISPLAY not set?): GL shader check skipped\n");
        glfwTerminate();
        return 77;
    }
    int built = 0;
    int failed = 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream fields(line);
        std::string vertexPath, fragmentPath, label;
        if (!std::getline(fields, vertexPath, '\t') || !std::getline(fields, fragmentPath, '\t')) {
            continue;
        }
        std::getline(fields, label);
        std::string report;
        if (buildProgram(vertexPath, fragmentPath, report)) {
            ++built;
        } else {
            ++failed;
            std::printf("FAIL: %s\n%s\n", label.c_str(), report.c_str());
        }
    }
    std::printf("%d variants built by %s, %d failed\n", built + failed,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)), failed);
    glfwTerminate();
    return failed == 0 ? 0 : 1;
}
