#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Direct access to SQLite files, as a user's own tools have it.
using Cell = std::optional<std::string>;  // nothing for NULL
using Rows = std::vector<std::vector<Cell>>;

// Runs `sql` on `file` and returns its rows; fails the test on an error.
Rows Query(const std::filesystem::path& file, const std::string& sql);
