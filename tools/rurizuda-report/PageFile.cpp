#include "tools/rurizuda-report/PageFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// A page is read by others (a browser, a web server): readable by all, as a
// file made with the usual umask would be.
constexpr mode_t kPageMode = 0644;

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

}  // namespace

bool WritePageFile(const std::string& path, const std::string& html, std::string* error)
{
    const std::filesystem::path page(path);
    const std::filesystem::path folder = page.has_parent_path() ? page.parent_path() : ".";
    std::string pattern = (folder / ("." + page.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const std::string temporary(name.data());
    const bool written = fchmod(fd, kPageMode) == 0 && WriteAll(fd, html);
    const int writeErrno = errno;
    if (close(fd) != 0 || !written) {
        *error = "cannot write " + temporary + ": " + std::strerror(written ? errno : writeErrno);
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
