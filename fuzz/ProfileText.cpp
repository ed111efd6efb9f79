// Any workstation.ini: the profile reader with its file rules never reads or
// writes out of bounds, and every value stays within its buffer size.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "config/StationProfile.h"

namespace {

// One in-memory file for all inputs, reached through its /proc path.
int ProfileFile()
{
    static const int fd = memfd_create("workstation.ini", 0);
    if (fd < 0)
        std::abort();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = ProfileFile();
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    const StationProfile profile = LoadStationProfileFile("/proc/self/fd/" + std::to_string(fd));
    if (profile.delaySeconds < 0 || profile.delaySeconds > 3600)
        std::abort();
    return 0;
}
