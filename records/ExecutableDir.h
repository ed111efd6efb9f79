#pragma once

#include <filesystem>

// The directory of the running executable (read from /proc/self/exe), where
// the result databases and the lookup database live. The current directory
// when the link cannot be read.
std::filesystem::path ExecutableDir();
