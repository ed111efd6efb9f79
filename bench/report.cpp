// The yield page over 10^6 stored rows (or the count given) from the SQLite
// file pair: the time to compute and draw it, the rows per second and the
// largest resident size, the program's own peak memory and a period of watch
// after 100 new rows. Then the line-wide PostgreSQL database at 10^6 and
// 10^7 rows: the one-time build of its summaries, and the supervisor's page
// (a day, a week) from them, first and as a watch period, with the server's
// temporary files.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <pqxx/pqxx>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "bench/BenchSupport.h"
#include "records/LineSummaries.h"
#include "records/PgResultStore.h"
#include "records/ResultRow.h"
#include "tools/rurizuda-report/LineFigureSource.h"
#include "tools/rurizuda-report/LineRebuild.h"
#include "tools/rurizuda-report/PageBuilder.h"

namespace {

constexpr long kDefaultRows = 1000000;
constexpr int kStations = 8;
constexpr int kRetestEvery = 20;       // every 20th unit fails KEY TEST and passes on retest
constexpr long kSecondsBetweenRows = 2;
constexpr std::time_t kFirstStore = 1796000000;  // a day of 2026

// Row i: failed when it is the first test of a retested unit; its retest is
// row i + 1, with the same SN.
bool Failed(long i)
{
    return i % kRetestEvery == 0;
}

std::string Sn(long i)
{
    return "SN" + std::to_string(i % kRetestEvery == 1 ? i - 1 : i);
}

std::string Dtime(long i)
{
    const std::time_t t = kFirstStore + i * kSecondsBetweenRows;
    std::tm tm {};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y\n", &tm);
    return text;
}

std::string Rssi(long i)
{
    return std::to_string(20 + (i * 7) % 25);
}

long PeakRssKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// User and system time of this process so far, in ms: on a shared machine the
// wall time also holds other programs' turns.
double CpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void Measure(const char* source, long rows, const ReportOptions& options)
{
    std::size_t pageBytes = 0;
    std::vector<std::string> notes;
    const double cpuBefore = CpuMs();
    const double ms = TimeMs([&] {
        pageBytes = YieldHtml(BuildReportPage(options, options.signalSettings, &notes), "now").size();
    });
    std::printf("%-10s %8ld rows  %8.0f ms  %10.0f rows/s  report CPU %6.0f ms  page %zu bytes  peak RSS %ld MB\n",
                source, rows, ms, rows / (ms / 1000.0), CpuMs() - cpuBefore, pageBytes, PeakRssKb() / 1024);
}

void FillFiles(const std::filesystem::path& dir, long rows)
{
    const std::string insert = "INSERT INTO SNTable(DTIME,SN,KAVOKEY,RSSI2G) VALUES(?,?,?,?)";
    const auto values = [](long i) {
        return std::vector<std::string> {Dtime(i), Sn(i), Failed(i) ? "FAIL" : "PASS", Rssi(i)};
    };
    const long failed = (rows + kRetestEvery - 1) / kRetestEvery;
    // The k-th passed row is row i of a block of kRetestEvery, past its first.
    FillTable(dir / "PASS.mdb", kCreateResultTable, insert, rows - failed, [&](long k) {
        return values(k / (kRetestEvery - 1) * kRetestEvery + k % (kRetestEvery - 1) + 1);
    });
    FillTable(dir / "FAIL.mdb", kCreateResultTable, insert, failed, [&](long k) { return values(k * kRetestEvery); });
}

// rurizuda-report yield --html over the file pair, as a line supervisor runs
// it: wall time, CPU time and peak resident size of the program's process.
void MeasureFilePairProgram(const std::filesystem::path& dir, long rows)
{
    const std::string page = (dir / "page.html").string(), pass = (dir / "PASS.mdb").string(),
                      fail = (dir / "FAIL.mdb").string();
    rusage usage {};
    int status = -1;
    std::fflush(stdout);  // the child must not print what this process has buffered
    const double ms = TimeMs([&] {
        const pid_t pid = fork();
        if (pid == 0) {
            if (!std::freopen("/dev/null", "w", stdout))
                _exit(126);
            execl(RURIZUDA_REPORT_PROGRAM, RURIZUDA_REPORT_PROGRAM, "yield", "--html", page.c_str(), pass.c_str(),
                  fail.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        wait4(pid, &status, 0, &usage);
    });
    const auto cpu = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    std::printf("SQLite     %8ld rows  program: first page %6.0f ms (target 1200)  CPU %6.0f ms  peak RSS %ld MB "
                "(target 100)  status %d\n",
                rows, ms, cpu(usage.ru_utime) + cpu(usage.ru_stime), usage.ru_maxrss / 1024, WEXITSTATUS(status));
}

// Rows a station adds while watch runs: the next rows of FillFiles' pattern.
void AppendRows(const std::filesystem::path& dir, long from, long count)
{
    for (const bool failed : {false, true}) {
        sqlite3* db = nullptr;
        sqlite3_open((dir / (failed ? "FAIL.mdb" : "PASS.mdb")).c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO SNTable(DTIME,SN,KAVOKEY,RSSI2G) VALUES(?,?,?,?)", -1, &insert, nullptr);
        for (long i = from; i < from + count; ++i) {
            if (Failed(i) != failed)
                continue;
            const std::string texts[] = {Dtime(i), Sn(i), failed ? "FAIL" : "PASS", Rssi(i)};
            for (int n = 0; n < 4; ++n)
                sqlite3_bind_text(insert, n + 1, texts[n].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
}

// One figure source kept as watch keeps it: its first page, then a period
// after a station stored 100 more rows.
void MeasureFilePairWatch(const std::filesystem::path& dir, long rows, const ReportOptions& options)
{
    constexpr long kNewRows = 100;
    const auto source = OpenFigureSource(options, {});
    const auto page = [&] {
        return YieldHtml(BuildReportPage(*source, options, options.signalSettings), "now").size();
    };
    const double firstMs = TimeMs([&] { page(); });
    AppendRows(dir, rows, kNewRows);
    std::size_t bytes = 0;
    const double cpuBefore = CpuMs();
    const double periodMs = TimeMs([&] { bytes = page(); });
    const double periodCpuMs = CpuMs() - cpuBefore;
    std::printf("SQLite     %8ld rows  watch: first page %6.0f ms, period after %ld new rows %6.1f ms (target 50), "
                "CPU %5.1f ms, page %zu bytes\n",
                rows, firstMs, kNewRows, periodMs, periodCpuMs, bytes);
}

// ---- PostgreSQL: the line database at factory scale ----

// The line databases measured unless named on the command line.
constexpr long kDefaultLineRows[] = {1'000'000, 10'000'000};

// SNTable as a station of the previous version made it (no summaries), filled
// by the server itself (one INSERT ... SELECT, the identity indexes built
// after it), with the same rows as FillFiles.
void FillLine(const std::string& url, long rows)
{
    {
        auto store = MakePgResultStore(url, "ST-0");
        store->Begin("PASS.mdb")->Commit();  // creates SNTable as a station does
    }
    pqxx::connection connection(url);
    std::vector<std::string> indexes;
    {
        pqxx::work work(connection);
        DropLineSummaries(work);
        for (const auto& row : work.exec("SELECT indexname, indexdef FROM pg_indexes WHERE tablename = 'sntable' "
                                         "AND indexname NOT LIKE '%pkey'")) {
            indexes.push_back(row[1].c_str());
            work.exec(std::string("DROP INDEX ") + row[0].c_str());
        }
        work.commit();
    }
    const std::string n = std::to_string(kRetestEvery);
    const std::string sql =
        "INSERT INTO sntable(verdict, station, dtime, sn, kavokey, rssi2g) SELECT"
        " CASE WHEN i % " + n + " = 0 THEN 'FAIL' ELSE 'PASS' END, 'ST-' || (i % " + std::to_string(kStations) + "),"
        " to_char(t, 'Dy Mon ') || lpad(extract(day FROM t)::int::text, 2, ' ') || to_char(t, ' HH24:MI:SS YYYY')"
        " || chr(10), 'SN' || CASE WHEN i % " + n + " = 1 THEN i - 1 ELSE i END,"
        " CASE WHEN i % " + n + " = 0 THEN 'FAIL' ELSE 'PASS' END, (20 + (i * 7) % 25)::text"
        " FROM generate_series(0, " + std::to_string(rows - 1) + ") AS i,"
        " LATERAL (SELECT to_timestamp(" + std::to_string(kFirstStore) + " + i * " +
        std::to_string(kSecondsBetweenRows) + ") AT TIME ZONE 'UTC' AS t) AS stamp";
    pqxx::nontransaction work(connection);
    work.exec(sql);
    for (const auto& index : indexes)
        work.exec(index);
    work.exec("ANALYZE sntable");
}

// The server's temporary files so far (count, bytes) in the database `url` names.
std::pair<long long, long long> TempFiles(const std::string& url)
{
    pqxx::connection connection(url);
    pqxx::nontransaction work(connection);
    const auto row = work.exec1("SELECT temp_files, temp_bytes FROM pg_stat_database WHERE datname = current_database()");
    return {row[0].as<long long>(), row[1].as<long long>()};
}

// CPU time (user and system, ms) of the server's processes: the
// postmaster's children on this machine, read from /proc, per process id.
using ProcessCpu = std::map<long, double>;

// The CPU the server's processes used from `before` to `after`: a process
// that ended meanwhile takes its time with it (never counted below zero).
double CpuBetween(const ProcessCpu& before, const ProcessCpu& after)
{
    double ms = 0;
    for (const auto& [pid, used] : after) {
        const auto was = before.find(pid);
        ms += used - (was == before.end() ? 0 : std::min(used, was->second));
    }
    return ms;
}

class ServerCpu {
public:
    explicit ServerCpu(const std::string& dataDir)
    {
        std::ifstream(dataDir + "/postmaster.pid") >> postmaster_;
    }

    ProcessCpu Now() const
    {
        ProcessCpu used;
        DIR* proc = opendir("/proc");
        if (!proc)
            return used;
        while (const dirent* entry = readdir(proc)) {
            std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
            std::string line;
            if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
                continue;
            // After "pid (name)": state ppid ... utime (14th field) stime (15th).
            std::istringstream fields(line.substr(line.rfind(')') + 2));
            std::string state;
            long ppid = 0;
            fields >> state >> ppid;
            if (ppid != postmaster_)
                continue;
            std::string skip;
            for (int i = 0; i < 9; ++i)
                fields >> skip;
            double utime = 0, stime = 0;
            fields >> utime >> stime;
            used[std::atol(entry->d_name)] = (utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
        }
        closedir(proc);
        return used;
    }

private:
    long postmaster_ = 0;
};

// The statistics of sessions that ended reach pg_stat_database within
// about a second.
constexpr auto kStatisticsDelay = std::chrono::milliseconds(1500);

// The supervisor's page over `days` days ending with the last stored day,
// computed twice on one source: the first page and a watch period after it.
void MeasureLinePage(const std::string& url, const ServerCpu& server, long rows, int days,
                     const std::vector<std::string>& stations = {})
{
    ReportOptions options;
    options.signalSettings.thresholds[0] = 30;
    options.dbUrl = url;
    // The last whole day stored.
    const WallSeconds last = (kFirstStore + (rows - 1) * kSecondsBetweenRows) / 86400 * 86400 - 86400;
    options.toDay = last;
    options.fromDay = last - (days - 1) * 86400;
    options.command = "yield";
    options.stations = stations;
    const auto before = TempFiles(url);
    const auto source = OpenLineFigures(options);
    YieldFigures yield;
    std::vector<SignalFigures> measured;
    std::size_t pageBytes = 0;
    double cpu = CpuMs();
    ProcessCpu serverCpu = server.Now();
    const double first = TimeMs([&] {
        source->Compute(options.signalSettings, &yield, &measured);
        ReportPage page;
        page.yield = yield;
        page.measured = measured;
        pageBytes = YieldHtml(page, "now").size();
    });
    const double firstCpu = CpuMs() - cpu, firstServerCpu = CpuBetween(serverCpu, server.Now());
    cpu = CpuMs();
    serverCpu = server.Now();
    const double again = TimeMs([&] { source->Compute(options.signalSettings, &yield, &measured); });
    const double againCpu = CpuMs() - cpu, againServerCpu = CpuBetween(serverCpu, server.Now());
    std::this_thread::sleep_for(kStatisticsDelay);
    const auto after = TempFiles(url);
    std::string named;
    for (const auto& station : stations)
        named += " " + station;
    std::printf("PostgreSQL %8ld rows  page of %d day(s)%s%s (%d rows, %d units): first %7.0f ms (target %d; CPU report "
                "%.0f ms + server %.0f ms), watch period %7.0f ms (CPU %.0f + %.0f ms), page %zu bytes; server "
                "temporary files %lld (%lld bytes)\n",
                rows, days, named.empty() ? "" : ", --station", named.c_str(), yield.rows, yield.units, first, rows > 1'000'000 ? 500 : 200, firstCpu, firstServerCpu,
                again, againCpu, againServerCpu, pageBytes, after.first - before.first, after.second - before.second);
}

void MeasureLine(const std::string& url, const ServerCpu& server, long rows)
{
    double fill = TimeMs([&] { FillLine(url, rows); });
    std::printf("PostgreSQL %8ld rows  loaded in %.1f s (previous version: no summaries)\n", rows, fill / 1000);
    const auto before = TempFiles(url);
    const ProcessCpu buildServerCpu = server.Now();
    const double build = TimeMs([&] { RebuildLineSummaries(url, [](const std::string&) {}); });
    const double builtServerCpu = CpuBetween(buildServerCpu, server.Now());
    {
        pqxx::connection connection(url);
        pqxx::nontransaction(connection).exec("ANALYZE");
    }
    std::this_thread::sleep_for(kStatisticsDelay);
    const auto after = TempFiles(url);
    std::printf("PostgreSQL %8ld rows  summaries built once in %.1f s (server CPU %.1f s; server temporary files "
                "%lld MB)\n",
                rows, build / 1000, builtServerCpu / 1000, (after.second - before.second) >> 20);
    for (int days : {1, 7})
        MeasureLinePage(url, server, rows, days);
    MeasureLinePage(url, server, rows, 1, {"ST-4"});
    MeasureLinePage(url, server, rows, 1, {"ST-0", "ST-4"});
}

// Each size in a database of its own on one throwaway server.
int MeasureLineSizes(const std::filesystem::path& folder, const std::vector<long>& sizes)
{
    const std::string state = (folder / "pg.state").string();
    if (std::system(("cd / && " PG_CLUSTER_SCRIPT " start " + state).c_str()) != 0)
        return 1;
    std::string admin, dir;
    {
        std::ifstream file(state);
        std::getline(file, admin);
        std::getline(file, dir);
    }
    const ServerCpu server(dir + "/data");
    int status = 0;
    try {
        for (long rows : sizes) {
            const std::string name = "line_" + std::to_string(rows);
            {
                pqxx::connection connection(admin);
                pqxx::nontransaction(connection).exec("CREATE DATABASE " + name);
            }
            MeasureLine(admin.substr(0, admin.rfind('/') + 1) + name, server, rows);
            pqxx::connection connection(admin);
            pqxx::nontransaction(connection).exec("DROP DATABASE " + name);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench/report: %s\n", error.what());
        status = 1;
    }
    std::system(("cd / && " PG_CLUSTER_SCRIPT " stop " + state).c_str());
    return status;
}

}  // namespace

// report [ROWS [LINE_ROWS,...]]: the file pair at ROWS rows (default 10^6),
// the line database at each LINE_ROWS (default 10^6 and 10^7).
int main(int argc, char** argv)
{
    const long rows = argc > 1 ? std::atol(argv[1]) : kDefaultRows;
    std::vector<long> lineSizes(std::begin(kDefaultLineRows), std::end(kDefaultLineRows));
    if (argc > 2) {
        lineSizes.clear();
        std::stringstream list(argv[2]);
        for (std::string size; std::getline(list, size, ',');)
            lineSizes.push_back(std::atol(size.c_str()));
    }
    BenchFolder folder;
    if (rows > 0) {
        std::printf("filling %ld rows ...\n", rows);
        FillFiles(folder.Path(), rows);
        ReportOptions options;
        options.signalSettings.thresholds[0] = 30;
        options.passFile = (folder.Path() / "PASS.mdb").string();
        options.failFile = (folder.Path() / "FAIL.mdb").string();
        MeasureFilePairProgram(folder.Path(), rows);
        Measure("SQLite", rows, options);
        MeasureFilePairWatch(folder.Path(), rows, options);
    }
    return MeasureLineSizes(folder.Path(), lineSizes);
}
