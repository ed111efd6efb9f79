#include "tests/config/TempTextFile.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

std::filesystem::path UniquePath()
{
    static int counter = 0;
    static std::random_device seed;
    return std::filesystem::temp_directory_path() /
           ("rurizuda-config-" + std::to_string(getpid()) + "-" + std::to_string(seed()) + "-" +
            std::to_string(++counter) + ".ini");
}

} // namespace

TempTextFile::TempTextFile(std::string_view bytes) : path_(UniquePath())
{
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TempTextFile::~TempTextFile()
{
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}
