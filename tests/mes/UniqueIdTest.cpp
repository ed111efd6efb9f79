// Name-based ids against published version 5 values.
#include <gtest/gtest.h>

#include "mes/UniqueId.h"

namespace {

// The DNS namespace 6ba7b810-9dad-11d1-80b4-00c04fd430c8.
constexpr Uuid kDnsNamespace = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                                0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};

TEST(NameBasedUuid, GivesThePublishedVersion5Values)
{
    const struct {
        const char* name;
        const char* id;
    } cases[] = {
        {"www.example.com", "2ed6657d-e927-568b-95e1-2665a8aea6a2"},  // RFC 9562, appendix A.4
        {"python.org", "886313e1-3b8a-5372-9b90-0c9aee199e5d"},       // Python's uuid documentation
    };
    for (const auto& c : cases)
        EXPECT_EQ(UuidText(NameBasedUuid(kDnsNamespace, c.name)), c.id) << c.name;
}

TEST(NameBasedUuid, DependsOnTheNamespaceAndEveryByteOfTheName)
{
    Uuid other = kDnsNamespace;
    other[15] ^= 1;
    const std::string id = UuidText(NameBasedUuid(kDnsNamespace, "www.example.com"));
    EXPECT_NE(UuidText(NameBasedUuid(other, "www.example.com")), id);
    EXPECT_NE(UuidText(NameBasedUuid(kDnsNamespace, std::string_view("www.example.com\0", 16))), id);
    EXPECT_NE(UuidText(NameBasedUuid(kDnsNamespace, "www.example.co")), id);
}

}  // namespace
