#include "station/UnitWireTrace.h"

#include <chrono>
#include <ctime>
#include <system_error>

#include "link/StationLog.h"
#include "link/Trace.h"
#include "link/WireTraceFile.h"

namespace {

constexpr const char* kTraceFilePrefix = "trace-";
constexpr const char* kTraceFileExtension = ".txt";
constexpr size_t kMaxSnInFileName = 64;
// Files begun in the same second get -2, -3, ... up to this.
constexpr int kMaxSameSecondFiles = 1000;

std::string LocalTimeStamp()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local {};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// A name in `folder` not taken yet: trace-STAMP.txt, else trace-STAMP-N.txt.
std::filesystem::path FreeName(const std::filesystem::path& folder, const std::string& stem)
{
    std::filesystem::path path = folder / (stem + kTraceFileExtension);
    for (int n = 2; Exists(path) && n <= kMaxSameSecondFiles; ++n)
        path = folder / (stem + "-" + std::to_string(n) + kTraceFileExtension);
    return path;
}

}  // namespace

std::string SnForFileName(const std::string& sn)
{
    std::string name;
    for (const char c : sn.substr(0, kMaxSnInFileName)) {
        const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.';
        name += kept ? c : '_';
    }
    return name;
}

UnitWireTrace::UnitWireTrace() = default;

UnitWireTrace::~UnitWireTrace()
{
    Stop("");
}

bool UnitWireTrace::Start(const std::filesystem::path& folder, std::string& error)
{
    Stop("");
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create the wire trace folder " + folder.string() + ": " + ec.message();
        return false;
    }
    folder_ = folder;
    file_ = std::make_unique<WireTraceFile>();
    if (!Begin(error)) {
        file_.reset();
        return false;
    }
    InstallWireTrace(file_.get());
    return true;
}

void UnitWireTrace::NextUnit(const std::string& sn)
{
    if (!file_)
        return;
    End(sn);
    std::string error;
    if (!Begin(error)) {
        TraceOut(("rurizuda: " + error + "; wire trace off\n").c_str());
        Stop("");
    }
}

void UnitWireTrace::Stop(const std::string& sn)
{
    if (!file_)
        return;
    if (InstalledWireTrace() == file_.get())
        InstallWireTrace(nullptr);
    End(sn);
    file_.reset();
}

bool UnitWireTrace::Active() const
{
    return file_ && file_->IsOpen();
}

std::filesystem::path UnitWireTrace::CurrentPath() const
{
    return file_ ? file_->Path() : std::filesystem::path();
}

bool UnitWireTrace::Begin(std::string& error)
{
    return file_->Open(FreeName(folder_, kTraceFilePrefix + LocalTimeStamp()), error);
}

void UnitWireTrace::End(const std::string& sn)
{
    const std::filesystem::path path = file_->Path();
    file_->Close();
    const int lost = file_->LostChunks();
    if (path.empty())
        return;
    if (lost > 0) {
        const std::string incomplete = "wire trace incomplete: " + std::to_string(lost) + " chunks lost";
        WriteLog((incomplete + " (" + path.string() + ")").c_str());
        TraceOut(("rurizuda: " + incomplete + ": " + path.string() + "\n").c_str());
    }
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) == 0 && !ec) {
        std::filesystem::remove(path, ec);
        return;
    }
    const std::string snPart = SnForFileName(sn);
    if (snPart.empty())
        return;
    const std::filesystem::path named = FreeName(folder_, path.stem().string() + "-" + snPart);
    std::filesystem::rename(path, named, ec);
    if (ec)
        TraceOut(("rurizuda: cannot name the wire trace " + named.string() + ": " + ec.message() + "\n").c_str());
}
