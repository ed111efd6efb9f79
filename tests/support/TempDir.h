#pragma once

#include <filesystem>
#include <string>
#include <vector>

// A fresh directory that becomes the current directory for the life of the
// object; removed afterwards.
class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// The whole text of a file ("" when it does not exist).
std::string ReadFileText(const std::filesystem::path& path);

// The station log opened in a temporary working directory; the entries
// written while it lives can be read back.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    std::string Text() const;
    // The "FILE:...,LINE:n" lines of the failure entries, in order.
    std::vector<std::string> FailureLines() const;
    int Entries() const { return static_cast<int>(FailureLines().size()); }

private:
    TempWorkDir dir_;
};
