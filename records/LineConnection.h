#pragma once

#include <string>

// How a station connects to the line database: every wait bounded.

// The connection string with the station's defaults added for each setting
// it names none of: connect_timeout=5, and TCP keepalives and a TCP user
// time-out, so that a dead network path is noticed within seconds. Works for
// URLs (postgresql://...) and keyword strings.
std::string WithLineDefaults(const std::string& connection);

// Empty when `connection` may be used; else the operator's sentence why not.
// A connection string that holds a password is refused (the password
// belongs in ~/.pgpass or PGPASSWORD, never in a profile or on a command
// line, where it would be shown, listed and journalled). The sentence never
// quotes the string.
std::string ConnectionRefusal(const std::string& connection);

// The settings a station's session gives the server when it connects: lock
// and statement time-outs, and TCP settings so that the server notices a
// dead station and frees its locks within about 15 s.
extern const char* const kLineSessionSettings;

// How long one whole store may take before the station abandons it.
inline constexpr int kLineStoreDeadlineMs = 10'000;
