#include "mes/UniqueId.h"

#include <array>
#include <cstdint>
#include <random>

namespace {

constexpr size_t kUuidBytes = 16;
constexpr uint8_t kVersion4 = 0x40;
constexpr uint8_t kVariantRfc4122 = 0x80;
constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

std::string MakeUniqueId()
{
    // One generator per thread, seeded from the system's random source.
    thread_local std::mt19937_64 generator(std::random_device {}());
    std::array<uint8_t, kUuidBytes> bytes {};
    for (size_t i = 0; i < bytes.size(); i += sizeof(uint64_t)) {
        const uint64_t word = generator();
        for (size_t j = 0; j < sizeof(uint64_t); ++j)
            bytes[i + j] = static_cast<uint8_t>(word >> (8 * j));
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0f) | kVersion4);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3f) | kVariantRfc4122);
    // Several of these are made for each unit at TEST FINISH: no printf.
    std::string text;
    text.reserve(2 * kUuidBytes + 4);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0f];
    }
    return text;
}
