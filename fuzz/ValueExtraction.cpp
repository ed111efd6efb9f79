// The pure extraction rules on any chunk text: values stop inside the chunk
// and inside the output, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "atcmd/Atcmd.h"
#include "atcmd/Extract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A chunk is zero-terminated and holds at most 199 bytes.
    const std::string chunk(reinterpret_cast<const char*>(data), size < 199 ? size : 199);
    const char* text = chunk.c_str();

    std::vector<char> out(kSsidMax, '\0');
    CopyValue(text, out.data(), kSsidMax, OkStop::AtLineStart);
    CopyValue(text, out.data(), kSsidMax, OkStop::Never);
    std::vector<char> mac(kMacMax, '\0');
    CopyMacValue(text, mac.data(), kMacMax);
    std::vector<char> a(kRssiFieldSize), b(kRssiFieldSize), c(kRssiFieldSize);
    ParseCesqFields(text, a.data(), b.data(), c.data(), kRssiFieldSize);
    return 0;
}
