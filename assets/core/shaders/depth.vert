// Depth-only pass (vertex stage): the renderer's depth pre-pass and the
// shadow-map passes, which set only "object.worldViewProjection".
#version 430 core

struct ObjectData {
    mat4 worldViewProjection;
};
uniform ObjectData object;

in vec3 position;

// The main pass draws the same triangles at LessEqual against this depth: both
// stages must compute the position the same way.
invariant gl_Position;

void main() {
    gl_Position = object.worldViewProjection * vec4(position, 1.0);
}
