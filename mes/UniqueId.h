#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Name-based identifiers: the same name under the same namespace gives the
// same UUID in every process and on every machine, so a message rebuilt
// from the journal after a crash carries the ids it had the first time.

using Uuid = std::array<uint8_t, 16>;

// The version 5 UUID of `name` in `space`: SHA-1 over the namespace's 16
// bytes followed by the name's bytes, cut to 16 bytes, with the version and
// variant bits set.
Uuid NameBasedUuid(const Uuid& space, std::string_view name);

// The 36-character lower-case text form (8-4-4-4-12 hex digits).
std::string UuidText(const Uuid& id);
