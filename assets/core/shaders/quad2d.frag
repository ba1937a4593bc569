// Textured quad for full-screen and debug drawing (fragment stage). "tex" is
// shown as it is; with "singleChannel" set its red channel is shown as grey,
// which is how depth textures and shadow maps become visible.
#version 430 core

in vec2 vUv;

uniform sampler2D tex;
uniform bool singleChannel;

out vec4 fragColor;

void main() {
    vec4 texel = texture(tex, vUv);
    fragColor = singleChannel ? vec4(texel.rrr, 1.0) : texel;
}
