#include "tools/rurizuda-report/SqliteReportDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/rurizuda-report/ResultRows.h"
#include "tools/rurizuda-report/SqliteLockWait.h"

namespace {

constexpr int kBusyTimeoutMs = 5000;  // the station may be storing a row
// SQLite asks whether to go on every this many virtual machine steps.
constexpr int kInterruptCheckSteps = 1000;

std::string ColumnList(const std::vector<std::string>& columns)
{
    std::string list;
    for (const auto& column : ColumnsOrAll(columns))
        list += "," + column;
    return list;
}

class SqliteReportDatabase final : public ReportDatabase {
public:
    explicit SqliteReportDatabase(std::string station)
        : station_(std::move(station))
    {
        if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
            throw ReportError("cannot open an SQLite connection");
        sqlite3_busy_handler(db_, &LockWait::Again, &lockWait_);
        sqlite3_progress_handler(db_, kInterruptCheckSteps, &Stopped, &lockWait_);
    }
    ~SqliteReportDatabase() override { sqlite3_close(db_); }

    // Attaches one file as `schema`; its rows count with `passed`.
    void Attach(const std::string& path, const char* schema, bool passed)
    {
        const std::string attach = "ATTACH " + SqlText(ReadOnlyUri(path)) + " AS " + schema;
        Run(attach, path);
        Run("SELECT 1" + ColumnList({}) + " FROM " + schema + ".SNTable LIMIT 0", path);
        files_.push_back({schema, passed});
    }

    void Interrupt() override
    {
        lockWait_.Interrupt();
        sqlite3_interrupt(db_);
    }

    void Query(const std::string& sql, const SqlRowHandler& handler) override
    {
        if (lockWait_.Interrupted())
            throw ReportInterrupted();
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw ReportError(std::string("the result files cannot be queried: ") + sqlite3_errmsg(db_));
        const int columns = sqlite3_column_count(statement);
        SqlRow row(static_cast<size_t>(columns));
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            for (int i = 0; i < columns; ++i) {
                const auto* text = sqlite3_column_text(statement, i);
                if (text)
                    row[i].emplace(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_column_bytes(statement, i)));
                else
                    row[i].reset();
            }
            if (!handler(row)) {
                step = SQLITE_DONE;
                break;
            }
        }
        sqlite3_finalize(statement);
        if (lockWait_.Interrupted())
            throw ReportInterrupted();
        if (step != SQLITE_DONE)
            throw ReportError(std::string("the result files cannot be read: ") + sqlite3_errmsg(db_));
    }

    std::string RowsSelect(const std::vector<std::string>& columns) const override
    {
        if (files_.empty()) {  // neither file exists: a relation without rows
            std::string nulls;
            for (const auto& column : ColumnsOrAll(columns))
                nulls += ", NULL AS " + column;
            return "SELECT 1 AS PASSED, '' AS STATION, 0 AS ORD" + nulls + " WHERE 0";
        }
        std::string all;
        for (const auto& [schema, passed] : files_) {
            all += std::string(all.empty() ? "" : " UNION ALL ") + "SELECT " + (passed ? "1" : "0") + " AS PASSED, " +
                   SqlText(station_) + " AS STATION, rowid AS ORD" + ColumnList(columns) + " FROM " + schema +
                   ".SNTable";
        }
        return all;
    }

    std::string CharSql(int code) const override { return "char(" + std::to_string(code) + ")"; }
    std::string PositionSql(const std::string& haystack, const std::string& needle) const override
    {
        return "instr(" + haystack + ", " + needle + ")";
    }
    std::string FenceSql() const override { return " LIMIT -1"; }
    bool LineWide() const override { return false; }

private:
    void Run(const std::string& sql, const std::string& path)
    {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string reason = message ? message : "cannot be read";
            sqlite3_free(message);
            throw ReportError(path + ": not a readable result database (" + reason + ")");
        }
    }

    static int Stopped(void* wait) { return static_cast<LockWait*>(wait)->Interrupted() ? 1 : 0; }

    std::string station_;
    LockWait lockWait_ {kBusyTimeoutMs};
    sqlite3* db_ = nullptr;
    std::vector<std::pair<std::string, bool>> files_;  // schema, passed
};

}  // namespace

std::string FilePairStation(const std::string& passFile)
{
    std::error_code error;
    auto folder = std::filesystem::weakly_canonical(std::filesystem::absolute(passFile), error).parent_path();
    const std::string name = folder.filename().string();
    return name.empty() ? "station" : name;
}

std::unique_ptr<ReportDatabase> OpenResultFiles(const std::string& passFile, const std::string& failFile,
                                                const std::string& station, std::vector<std::string>* notes)
{
    auto database = std::make_unique<SqliteReportDatabase>(station);
    const std::pair<const std::string&, bool> files[] = {{passFile, true}, {failFile, false}};
    const char* schemas[] = {"passfile", "failfile"};
    for (size_t i = 0; i < 2; ++i) {
        const auto& [path, passed] = files[i];
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) {
            // Only a file that is not there counts as no rows; one that cannot
            // be reached (permission, a link loop) is an error.
            if (errno != ENOENT)
                throw ReportError(path + ": " + std::strerror(errno));
            notes->push_back(path + " does not exist; counted as no rows");
            continue;
        }
        database->Attach(path, schemas[i], passed);
    }
    return database;
}

std::string ReadOnlyUri(const std::string& path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : std::filesystem::absolute(path).string()) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri + "?mode=ro";
}
