#pragma once

#include <string>

// Texts for the line database, whose server holds UTF-8 only. Unit texts are
// bytes: valid UTF-8 goes as it is, any other text as Latin-1, one character
// per byte. The same mapping serves the duplicate check and the insert, so a
// unit with such bytes is found again as a duplicate.
std::string LineText(const std::string& bytes);

// `text` cut to at most `limit` bytes, never inside a UTF-8 character: a cut
// that would split one drops the whole character. Text that is not UTF-8 is
// cut at `limit` bytes.
std::string CutAtCharacter(const std::string& text, size_t limit);
