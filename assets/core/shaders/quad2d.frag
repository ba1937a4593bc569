// Textured quad for full-screen and debug drawing (fragment stage). "tex" is
// shown as it is; with "singleChannel" set its red channel is shown as grey,
// which is how depth textures and shadow maps become visible.
//
// PLAIN_COPY (the upscale of the scene's picture): the texel goes out as it
// is and the shader does nothing else, which is what lets llvmpipe draw the
// quad on its fast 8-bit path.
#version 430 core

in vec2 vUv;

uniform sampler2D tex;
#ifndef PLAIN_COPY
uniform bool singleChannel;
#endif

out vec4 fragColor;

void main() {
    vec4 texel = texture(tex, vUv);
#ifdef PLAIN_COPY
    fragColor = texel;
#else
    fragColor = singleChannel ? vec4(texel.rrr, 1.0) : texel;
#endif
}
