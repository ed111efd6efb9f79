#pragma once

#include <string>

// Writes the page beside its final name and renames it over that name, so a
// browser never reads half a page. False with a one-line `error` when it
// could not be written; nothing is left behind then.
bool WritePageFile(const std::string& path, const std::string& html, std::string* error);
