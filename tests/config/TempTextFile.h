#pragma once

#include <filesystem>
#include <string_view>

// A file with the given bytes under a unique name in the system's temporary
// directory; removed when the object goes.
class TempTextFile {
public:
    explicit TempTextFile(std::string_view bytes);
    ~TempTextFile();
    TempTextFile(const TempTextFile&) = delete;
    TempTextFile& operator=(const TempTextFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};
