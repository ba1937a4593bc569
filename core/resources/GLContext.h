// Whether OpenGL may be called now. Resources can be made before the window
// exists or in runs without a display; they then keep their CPU-side data and
// create no GL objects, instead of calling entry points GLEW never loaded.
#pragma once

bool hasGLContext();
