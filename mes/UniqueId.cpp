#include "mes/UniqueId.h"

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>

namespace {

constexpr uint8_t kVersion5 = 0x50;
constexpr uint8_t kVersionMask = 0x0f;
constexpr uint8_t kVariantRfc4122 = 0x80;
constexpr uint8_t kVariantMask = 0x3f;
constexpr size_t kVersionByte = 6;
constexpr size_t kVariantByte = 8;
constexpr char kHexDigits[] = "0123456789abcdef";

}  // namespace

Uuid NameBasedUuid(const Uuid& space, std::string_view name)
{
    // The digest is looked up once and each thread keeps its context: a
    // message has some fifty ids, and the look-up costs more than the hash.
    static EVP_MD* const sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    thread_local const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                                       &EVP_MD_CTX_free);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const bool hashed = sha1 && context && EVP_DigestInit_ex(context.get(), sha1, nullptr) == 1 &&
                        EVP_DigestUpdate(context.get(), space.data(), space.size()) == 1 &&
                        EVP_DigestUpdate(context.get(), name.data(), name.size()) == 1 &&
                        EVP_DigestFinal_ex(context.get(), digest, &length) == 1;
    // SHA-1 fails only when the crypto library cannot allocate: no id is
    // better than an id that is not the unit's.
    if (!hashed || length < Uuid().size())
        throw std::runtime_error("SHA-1 is not available for a name-based id");
    Uuid id;
    for (size_t i = 0; i < id.size(); ++i)
        id[i] = digest[i];
    id[kVersionByte] = static_cast<uint8_t>((id[kVersionByte] & kVersionMask) | kVersion5);
    id[kVariantByte] = static_cast<uint8_t>((id[kVariantByte] & kVariantMask) | kVariantRfc4122);
    return id;
}

std::string UuidText(const Uuid& id)
{
    std::string text;
    text.reserve(2 * id.size() + 4);
    for (size_t i = 0; i < id.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kHexDigits[id[i] >> 4];
        text += kHexDigits[id[i] & 0x0f];
    }
    return text;
}
