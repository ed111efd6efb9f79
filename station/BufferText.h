#pragma once

#include <cstring>
#include <string>

// The text a device command left in its zero-filled buffer.
template <size_t N>
std::string TextOf(const char (&buffer)[N])
{
    return std::string(buffer, strnlen(buffer, N));
}
