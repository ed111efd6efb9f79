#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Longest request line the unit keeps; a longer one is thrown away whole.
inline constexpr std::size_t kMaxRequestLineLength = 512;

// Collects the bytes of request lines that may arrive in pieces. A line ends
// with CR LF, a bare CR or a bare LF; the LF of a CR LF pair may come in a
// later piece and is then not taken for an empty line.
class LineAssembler {
public:
    // Lines completed by these bytes, without their line ends.
    std::vector<std::string> Feed(std::string_view bytes);

private:
    std::string pending_;
    bool afterCr_ = false;
    bool overlong_ = false;
};

}  // namespace sim
