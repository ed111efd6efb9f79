#pragma once

#include <string>

// A random (version 4) UUID in its 36-character text form, from the
// system's random source.
std::string MakeUniqueId();
