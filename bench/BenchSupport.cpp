#include "bench/BenchSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <stdexcept>

#include <sqlite3.h>

#include "link/StationLog.h"

std::string QuietWindow::Text(int id) const
{
    const auto it = texts.find(id);
    return it == texts.end() ? std::string() : it->second;
}

BenchFolder::BenchFolder(const std::filesystem::path& base)
{
    std::string pattern = (base / "rurizuda-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
    std::filesystem::current_path(path_);
}

BenchFolder::~BenchFolder()
{
    LogClose();
    std::error_code error;
    std::filesystem::current_path(path_.parent_path(), error);
    std::filesystem::remove_all(path_, error);
}

std::unique_ptr<CRuriZudaDlg> StartStation(QuietWindow& window, const std::string& profile,
                                           const std::filesystem::path& dataDir)
{
    std::ofstream(kStationProfileFileName) << profile;
    StationOptions options;
    options.fixedPort = "/dev/null";
    options.dataDir = dataDir;
    auto station = std::make_unique<CRuriZudaDlg>(window, options);
    station->OnInitDialog();
    return station;
}

void FillTable(const std::filesystem::path& file, const char* create, const std::string& insert, long rows,
               const std::function<std::vector<std::string>(long)>& row)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, create, nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, insert.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    for (long i = 0; i < rows; ++i) {
        const auto values = row(i);
        for (size_t v = 0; v < values.size(); ++v)
            sqlite3_bind_text(stmt, static_cast<int>(v + 1), values[v].c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(stmt);
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

double TimeMs(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

Figures Summarise(std::vector<double> samplesMs)
{
    std::sort(samplesMs.begin(), samplesMs.end());
    const double mean = std::accumulate(samplesMs.begin(), samplesMs.end(), 0.0) / samplesMs.size();
    return {samplesMs[samplesMs.size() / 2], mean, samplesMs.back()};
}
