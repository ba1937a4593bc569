// Current-context test. Asks GLX directly: GLFW would report an error when it
// has not been initialised, which is exactly the case this test is for.
#include "core/resources/GLContext.h"

#include <GL/glew.h>
#include <GL/glx.h>

bool hasGLContext() {
    return glCreateProgram != nullptr && glXGetCurrentContext() != nullptr;
}
