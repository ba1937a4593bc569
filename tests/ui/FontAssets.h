// A throwaway assets folder for text tests: the repository's engine shaders
// plus a Debian font under "fonts/", so tests do not depend on generated fonts.
#pragma once

#include <string>

// The folder (with a trailing slash), or empty when the font is not installed.
std::string fontAssetsDir();

// Font file name inside "fonts/".
extern const char* const testFontFile;
