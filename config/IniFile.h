#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A read-only INI file with the lookup rules that station profiles are
// written for:
//
// - "[name]" starts a section; the name is the text up to the first ']',
//   without surrounding blanks. A line starting with '[' and lacking ']' is
//   a broken header: the lines below it, up to the next header, belong to no
//   section.
// - "key = value" lines belong to the section above them; lines before the
//   first section and lines without '=' are ignored. Key and value lose the
//   blanks (spaces and tabs) around them; a value wrapped in a matching pair
//   of single or double quotes loses the quotes (blanks inside them stay).
// - A line whose first non-blank character is ';' is a comment. A ';' later
//   in a line is part of the value.
// - Lines end with LF or CR LF; a leading UTF-8 byte order mark is skipped.
// - Section and key names match regardless of ASCII letter case.
// - A section that appears twice counts only with its first occurrence: the
//   lines of a repeated header are ignored, as the Windows profile functions
//   do. Within a section the first of equal keys wins.
//
// The file is read once at construction. Any byte sequence is accepted.
class IniFile {
public:
    // An empty file: every lookup gives "".
    IniFile() = default;

    // Reads `file`. A file that is absent or cannot be read is empty; this is
    // not an error.
    explicit IniFile(const std::filesystem::path& file);

    // Parses INI text held in memory.
    static IniFile FromText(std::string_view text);

    // The value of `key` in `section`, "" when either is absent, cut to
    // bufferSize - 1 bytes (the size counts a terminating zero, so 0 and 1
    // both give "").
    std::string Get(std::string_view section, std::string_view key, std::size_t bufferSize) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    void Parse(std::string_view text);
    const Section* FindSection(std::string_view name) const;

    std::vector<Section> sections_;
};
