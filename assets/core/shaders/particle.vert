// Instanced particles (vertex stage): one camera-facing quad per instance at
// "particlePos", "particleScale" wide, tinted by palette entry
// "particleColors[particleColor]".
//
// Sprite sheets of ANIMATED systems: 50 frames in a grid of 10 columns by
// 5 rows of equal cells, frame 0 at the top left, numbered left to right, then
// row by row downwards (frame 49 at the bottom right); the image is drawn
// upright as it appears in an image viewer.
#version 430 core
#include "core/shaders/common.glsl"

// Palette slots: 0 is white, the particle system adds its colours from 1.
#define PALETTE_SIZE 16
#define SHEET_COLUMNS 10
#define SHEET_ROWS 5

in vec3 position;
in vec2 uv0;
in vec3 particlePos;
in float particleScale;
in float particleAlpha;
in int particleColor;
#ifdef ANIMATED
in int particleTexture;
#endif

uniform vec3 particleColors[PALETTE_SIZE];

out vec2 vUv;
flat out vec2 vCell;
out vec3 vTint;
out float vAlpha;
out vec3 vWorldPos;

void main() {
    // The camera's right and up axes are the first two rows of the view matrix.
    vec3 right = vec3(camera.view[0][0], camera.view[1][0], camera.view[2][0]);
    vec3 up = vec3(camera.view[0][1], camera.view[1][1], camera.view[2][1]);
    float size = max(particleScale, 0.0);
    vec3 world = particlePos + (right * position.x + up * position.y) * size;

    vTint = particleColors[clamp(particleColor, 0, PALETTE_SIZE - 1)];
    // Alpha runs outside 0..1 for particles whose life exceeds the base life.
    vAlpha = clamp(particleAlpha, 0.0, 1.0);
    vUv = uv0;
#ifdef ANIMATED
    int frameIndex = clamp(particleTexture, 0, SHEET_COLUMNS * SHEET_ROWS - 1);
    // Textures are stored bottom row first, so the sheet's top row is at v = 1.
    vCell = vec2(frameIndex % SHEET_COLUMNS, SHEET_ROWS - 1 - frameIndex / SHEET_COLUMNS);
#else
    vCell = vec2(0.0);
#endif
    vWorldPos = world;
    gl_Position = camera.viewProjection * vec4(world, 1.0);
}
