// Depth-only pass (fragment stage): the targets have no colour attachment,
// so nothing is written but depth.
#version 430 core

void main() {
}
