#pragma once

#include <string>

// True when a libpq connection string (a postgresql:// URL or key=value
// words) carries a password. The password belongs in ~/.pgpass or
// PGPASSWORD, never on a command line that any user of the PC can list.
bool ConnectionHasPassword(const std::string& connection);
