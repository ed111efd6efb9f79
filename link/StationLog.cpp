#include "link/StationLog.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <unistd.h>

namespace {
std::FILE* logFile = nullptr;
// Room for the failure text: "FILE:", a source path, ",LINE:", a number.
constexpr std::size_t kFailTextSize = 512;
constexpr std::size_t kStampSize = 64;

// The C library's textual time form, "Wed Jun 30 21:49:08 1993\n", always in
// English whatever locale the application has set.
void FormatCtime(const std::tm& t, char (&out)[kStampSize])
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(out, sizeof out, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[t.tm_wday % 7],
                  kMonths[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, 1900 + t.tm_year);
}
}  // namespace

int LogOpenFile(const char* path)
{
    LogClose();
    logFile = std::fopen(path, "a+");
    return logFile ? 1 : 0;
}

int LogOpen(const std::string& path)
{
    const std::string relative = path.empty() ? kStationLogName : path;
    if (LogOpenFile(("./" + relative).c_str()))
        return 1;
    const int err = errno;
    char cwd[4096];
    const char* where = getcwd(cwd, sizeof cwd) ? cwd : ".";
    std::fprintf(stderr, "rurizuda: cannot open the station log %s/%s: %s\n", where, relative.c_str(),
                 std::strerror(err));
    std::exit(EXIT_FAILURE);
}

void WriteLog(const char* text)
{
    if (!logFile)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[kStampSize];
    FormatCtime(local, stamp);
    std::fprintf(logFile, "TIME:%s", stamp);
    std::fprintf(logFile, "%s", text);
    std::fprintf(logFile, "%c", 10);
    std::fflush(logFile);
    fsync(fileno(logFile));  // the entry must survive a crash or a power cut
}

void LogFailPoint(const char* file, int line)
{
    char text[kFailTextSize];
    std::snprintf(text, sizeof text, "FILE:%s,LINE:%d\n", file, line);
    WriteLog(text);
}

void LogClose()
{
    if (logFile) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}
