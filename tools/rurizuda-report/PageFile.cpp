#include "tools/rurizuda-report/PageFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

bool WritePageFile(const std::string& path, const std::string& html, std::string* error)
{
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << html;
        out.flush();
        if (!out) {
            *error = "cannot write " + partial;
            std::remove(partial.c_str());
            return false;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
