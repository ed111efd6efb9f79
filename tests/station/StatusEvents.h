#pragma once

#include <string>
#include <vector>

#include "tests/station/FakeWindow.h"

// What the operator sees of an operation, in order: lamp pictures, message
// boxes and the texts of the RESULT box. Value boxes are left out.
inline std::vector<std::string> StatusEvents(const FakeWindow& window)
{
    std::vector<std::string> seen;
    for (const std::string& event : window.events) {
        if (event.starts_with("picture ") || event.starts_with("box ") || event.starts_with("text 1022 "))
            seen.push_back(event);
    }
    return seen;
}

// An operation's lamp report: the indicator's picture, then its message.
inline std::vector<std::string> Report(int lamp, const char* picture, const std::string& message)
{
    return {"picture " + std::to_string(lamp) + " " + picture, "text 1022 " + message};
}

// The start of a connected operation with the start report.
inline std::vector<std::string> Started(int lamp)
{
    return Report(lamp, "going", "Start Operation !");
}

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
