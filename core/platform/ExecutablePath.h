// Where the running program's file is, so an installed game can find the data
// it was installed with however it was started (menu, PATH, a link).
#pragma once

#include <string>

// The folder holding the executable, links resolved; empty if the kernel will not say.
std::string executableDir();
