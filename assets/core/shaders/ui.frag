// Screen-space UI rectangles (fragment stage): texture "tex" tinted by
// "color"; "brightness" stays 1 (the setting is for the 3D views).
#version 430 core

in vec2 vUv;

uniform sampler2D tex;
uniform vec4 color;
uniform float brightness;

out vec4 fragColor;

void main() {
    vec4 texel = texture(tex, vUv) * color;
    fragColor = vec4(texel.rgb * brightness, texel.a);
}
