#pragma once

#include <string>

// Writes the page under a temporary name of its own in the page's folder
// (unique per process and call, so two writers of one page never share it)
// and renames it over the final name, so a browser never reads half a page.
// False with a one-line `error` when it could not be written; nothing is left
// behind then.
bool WritePageFile(const std::string& path, const std::string& html, std::string* error);
