#include "config/IniFile.h"

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char kCommentStart = ';';
constexpr char kSectionOpen = '[';
constexpr char kSectionClose = ']';
constexpr char kKeyValueSeparator = '=';
constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';

std::string_view TrimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string_view Unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// ASCII-only case folding: the result must not depend on the process locale.
char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

// Splits off the next line of `rest` (without its LF or CR LF).
std::string_view TakeLine(std::string_view& rest)
{
    const auto end = rest.find(kLineFeed);
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (!line.empty() && line.back() == kCarriageReturn)
        line.remove_suffix(1);
    return line;
}

// The name of a section header line, or nothing when the line is not one.
std::optional<std::string_view> SectionName(std::string_view line)
{
    if (line.empty() || line.front() != kSectionOpen)
        return std::nullopt;
    const auto close = line.find(kSectionClose);
    if (close == std::string_view::npos)
        return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

// The bytes of `file`; "" when it cannot be opened or a read fails part-way
// (C stdio rather than a stream: a stream throws on some read errors, for
// example when the path is a directory).
std::string ReadWholeFile(const std::filesystem::path& file)
{
    constexpr std::size_t kChunkSize = 64 * 1024;
    struct Closer {
        void operator()(std::FILE* stream) const { std::fclose(stream); }
    };
    const std::unique_ptr<std::FILE, Closer> in(std::fopen(file.c_str(), "rb"));
    if (!in)
        return {};
    std::string text;
    char chunk[kChunkSize];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, in.get())) > 0)
        text.append(chunk, count);
    if (std::ferror(in.get()))
        return {};
    return text;
}

} // namespace

IniFile::IniFile(const std::filesystem::path& file)
{
    Parse(ReadWholeFile(file));
}

IniFile IniFile::FromText(std::string_view text)
{
    IniFile ini;
    ini.Parse(text);
    return ini;
}

void IniFile::Parse(std::string_view text)
{
    if (text.starts_with(kUtf8ByteOrderMark))
        text.remove_prefix(kUtf8ByteOrderMark.size());

    // Where "key=value" lines go; nothing before the first section and
    // nothing under a repeated section header.
    Section* current = nullptr;
    while (!text.empty()) {
        const std::string_view line = TrimBlanks(TakeLine(text));
        if (line.empty() || line.front() == kCommentStart)
            continue;

        if (line.front() == kSectionOpen) {
            const auto name = SectionName(line);
            if (!name) {
                current = nullptr;
                continue;
            }
            if (FindSection(*name) != nullptr) {
                current = nullptr;
            } else {
                sections_.push_back(Section{std::string(*name), {}});
                current = &sections_.back();
            }
            continue;
        }

        const auto separator = line.find(kKeyValueSeparator);
        if (current == nullptr || separator == std::string_view::npos)
            continue;
        current->entries.push_back(Entry{std::string(TrimBlanks(line.substr(0, separator))),
                                         std::string(Unquote(TrimBlanks(line.substr(separator + 1))))});
    }
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const
{
    for (const Section& section : sections_) {
        if (EqualIgnoringCase(section.name, name))
            return &section;
    }
    return nullptr;
}

std::string IniFile::Get(std::string_view section, std::string_view key, std::size_t bufferSize) const
{
    const Section* found = FindSection(section);
    if (found == nullptr || bufferSize == 0)
        return {};
    for (const Entry& entry : found->entries) {
        if (EqualIgnoringCase(entry.key, key))
            return entry.value.substr(0, bufferSize - 1);
    }
    return {};
}
