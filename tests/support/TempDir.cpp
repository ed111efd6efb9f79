#include "tests/support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "link/StationLog.h"

TempWorkDir::TempWorkDir()
    : previous_(std::filesystem::current_path())
{
    std::string pattern = (std::filesystem::temp_directory_path() / "rurizuda-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
    std::filesystem::current_path(path_);
}

TempWorkDir::~TempWorkDir()
{
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

LogCapture::LogCapture()
{
    if (!LogOpenFile(kStationLogName))
        throw std::runtime_error("cannot open the station log");
}

LogCapture::~LogCapture()
{
    LogClose();
}

std::string LogCapture::Text() const
{
    return ReadFileText(dir_.Path() / kStationLogName);
}

std::vector<std::string> LogCapture::FailureLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(Text());
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("FILE:", 0) == 0)
            lines.push_back(line);
    }
    return lines;
}
