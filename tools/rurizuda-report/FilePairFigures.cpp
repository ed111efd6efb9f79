#include "tools/rurizuda-report/FilePairFigures.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <tuple>

#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/RecentFailures.h"
#include "tools/rurizuda-report/ReportQueries.h"
#include "tools/rurizuda-report/SqliteLockWait.h"
#include "tools/rurizuda-report/SqliteReportDatabase.h"
#include "tools/rurizuda-report/StoreTimeReader.h"
#include "tools/rurizuda-report/UnitTable.h"

namespace {

constexpr int kBusyLimitMs = 5000;  // the station may be storing a row
constexpr int kInterruptCheckSteps = 1000;
constexpr WallSeconds kSecondsPerDay = 24 * 3600;
constexpr size_t kItems = std::size(kItemColumns) + 1;  // and kNoItemRecorded
// Room for units beyond the stored rows (1/4 more), so watch's periods seldom
// grow the unit table.
constexpr size_t kUnitHeadroomDivisor = 4;

// Where the reading of a file stands: what it was when last read.
struct FileMark {
    bool present = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    sqlite3_int64 lastRowid = 0;  // the highest rowid read; 0 none
    std::string lastRow;          // its DTIME and SN, to see it is still the same row
};

// Rows of one hour: verdict counts, rows without SN, failed items.
struct HourRows {
    std::array<int, 2> rows {};       // [passed]
    std::array<int, 2> withoutSn {};  // [passed]
    std::array<int, kItems> items {};
};

// One open file; closed with the object.
class OpenFile {
public:
    OpenFile(const std::string& path, LockWait* wait)
        : path_(path)
    {
        // One thread at a time uses the connection (Interrupt() only sets a
        // flag the progress handler reads): no mutex around every call.
        if (sqlite3_open_v2(ReadOnlyUri(path).c_str(), &db_,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            Fail("cannot be opened");
        sqlite3_busy_handler(db_, &LockWait::Again, wait);
        sqlite3_progress_handler(db_, kInterruptCheckSteps, &Stopped, wait);
        wait_ = wait;
    }
    ~OpenFile() { sqlite3_close(db_); }

    sqlite3* Db() const { return db_; }

    sqlite3_stmt* Prepare(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            Fail(sqlite3_errmsg(db_));
        return statement;
    }

    [[noreturn]] void Fail(const std::string& reason)
    {
        if (wait_ && wait_->Interrupted())
            throw ReportInterrupted();
        throw ReportError(path_ + ": not a readable result database (" + reason + ")");
    }

private:
    static int Stopped(void* wait) { return static_cast<LockWait*>(wait)->Interrupted() ? 1 : 0; }

    std::string path_;
    sqlite3* db_ = nullptr;
    LockWait* wait_ = nullptr;
};

struct Statement {
    explicit Statement(sqlite3_stmt* s)
        : s(s)
    {
    }
    ~Statement() { sqlite3_finalize(s); }
    sqlite3_stmt* s;
};

std::string_view TextAt(sqlite3_stmt* s, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    return text ? std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(s, column))) : std::string_view();
}

class FilePairFigures final : public FigureSource {
public:
    FilePairFigures(FilePair pair, FileNote note)
        : pair_(std::move(pair)), note_(std::move(note)), keys_(pair_.station)
    {
        if (pair_.fromDay) {
            fromKey_ = UnitKeyCodec::Bound(StoreKeyOf(*pair_.fromDay));
            fromT_ = WallTimeText(*pair_.fromDay);
        }
        if (pair_.toDay) {
            toKey_ = UnitKeyCodec::Bound(StoreKeyOf(*pair_.toDay + kSecondsPerDay));
            toT_ = WallTimeText(*pair_.toDay + kSecondsPerDay);
        }
    }

    void Compute(const SignalSettings& settings, YieldFigures* yield, std::vector<SignalFigures>* measured) override
    {
        if (wait_.Interrupted())
            throw ReportInterrupted();
        const std::string* paths[] = {&pair_.passFile, &pair_.failFile};
        std::array<std::unique_ptr<OpenFile>, 2> files;
        std::array<struct stat, 2> info {};
        bool again = torn_;
        for (size_t f = 0; f < 2; ++f) {
            if (stat(paths[f]->c_str(), &info[f]) != 0) {
                // Only a file that is not there counts as no rows; one that
                // cannot be reached (permission, a link loop) is an error.
                if (errno != ENOENT)
                    throw ReportError(*paths[f] + ": " + std::strerror(errno));
                if (note_)
                    note_(*paths[f] + " does not exist; counted as no rows");
                again = again || marks_[f].present;
                continue;
            }
            files[f] = std::make_unique<OpenFile>(*paths[f], &wait_);
            const auto statement = Statement(files[f]->Prepare(Select(f == 0, "LIMIT 0")));
            again = again || Changed(*files[f], marks_[f], info[f]);
        }
        if (again)
            Forget();
        torn_ = true;  // until every new row is counted
        for (size_t f = 0; f < 2; ++f) {
            if (files[f])
                ReadNewRows(*files[f], f == 0, info[f], &marks_[f]);
        }
        torn_ = false;
        *yield = Yield();
        *measured = SignalFiguresOf(Signals(), settings);
    }

    void Interrupt() override { wait_.Interrupt(); }

private:
    // The columns read per row: PASS.mdb's rows need no failed item; a
    // failed row may become one of the latest failures, shown whole.
    static std::string Select(bool passed, const std::string& rest)
    {
        std::string columns = "rowid, DTIME, SN, RSSI2G, RSSI3G, RSSI4G";
        if (!passed) {
            for (auto column : kResultColumns)
                columns += ", " + std::string(column);
        }
        return "SELECT " + columns + " FROM SNTable " + rest;
    }
    static constexpr int kRowid = 0, kDtime = 1, kSn = 2, kSignals = 3, kAllColumns = 6;

    // True when the file is no longer the one read up to its mark.
    bool Changed(OpenFile& file, const FileMark& mark, const struct stat& info)
    {
        if (!mark.present)
            return false;
        if (info.st_dev != mark.device || info.st_ino != mark.inode || info.st_size < mark.size)
            return true;
        if (mark.lastRowid == 0)
            return false;
        const Statement last(file.Prepare("SELECT DTIME, SN FROM SNTable WHERE rowid = ?"));
        sqlite3_bind_int64(last.s, 1, mark.lastRowid);
        const int step = sqlite3_step(last.s);
        if (step == SQLITE_DONE)
            return true;
        if (step != SQLITE_ROW)
            file.Fail(sqlite3_errmsg(file.Db()));
        std::string print;
        RowPrint(last.s, 0, 1, &print);
        return print != mark.lastRow;
    }

    // The row's DTIME and SN in `print` (whose room is kept from row to row).
    static void RowPrint(sqlite3_stmt* s, int dtime, int sn, std::string* print)
    {
        print->assign(TextAt(s, dtime));
        print->push_back('\0');
        print->append(TextAt(s, sn));
    }

    void Forget()
    {
        marks_ = {};
        units_.Clear();
        keys_.Clear();
        unitCounts_.clear();
        hours_.clear();
        lastHour_ = nullptr;
        pending_.waiting = false;
        unreadable_ = 0;
        signals_ = {};
        recent_.Clear();
    }

    void ReadNewRows(OpenFile& file, bool passed, const struct stat& info, FileMark* mark)
    {
        if (units_.Size() == 0) {
            // At most as many units as rows, and room for those to come.
            const Statement count(file.Prepare("SELECT max(rowid) FROM SNTable"));
            if (sqlite3_step(count.s) == SQLITE_ROW) {
                const auto rows = static_cast<size_t>(sqlite3_column_int64(count.s, 0));
                units_.Reserve(rows + rows / kUnitHeadroomDivisor);
            }
        }
        const Statement rows(file.Prepare(Select(passed, "WHERE rowid > ? ORDER BY rowid")));
        sqlite3_bind_int64(rows.s, 1, mark->lastRowid);
        int step;
        while ((step = sqlite3_step(rows.s)) == SQLITE_ROW) {
            AddRow(rows.s, passed);
            mark->lastRowid = sqlite3_column_int64(rows.s, kRowid);
            RowPrint(rows.s, kDtime, kSn, &mark->lastRow);
        }
        CountPendingUnit();
        if (step != SQLITE_DONE)
            file.Fail(sqlite3_errmsg(file.Db()));
        mark->present = true;
        mark->device = info.st_dev;
        mark->inode = info.st_ino;
        mark->size = info.st_size;
    }

    bool InPeriod(const std::string& t) const
    {
        return (!pair_.fromDay || t >= fromT_) && (!pair_.toDay || t < toT_);
    }

    void AddRow(sqlite3_stmt* s, bool passed)
    {
        const std::string_view dtime = TextAt(s, kDtime);
        const std::string_view sn = TextAt(s, kSn);
        const uint32_t snHash = units_.Prefetch(sn);
        CountPendingUnit();
        if (const auto hour = hourReader_.HourOf(dtime)) {
            if (!lastHour_ || *hour != lastHourStart_) {
                lastHour_ = &hours_[*hour];
                lastHourStart_ = *hour;
            }
            lastHour_->rows[passed]++;
            if (sn.empty())
                lastHour_->withoutSn[passed]++;
            if (!passed)
                CountItems(s, lastHour_);
        } else {
            ++unreadable_;
        }
        const bool timed = ReadCtimeText(dtime, &time_);
        if (timed && !sn.empty()) {
            pending_.sn.assign(sn);
            pending_.hash = snHash;
            pending_.key = keys_.Encode(time_.key, !passed);
            pending_.waiting = true;
        }
        const bool inPeriod = timed && InPeriod(time_.t);
        if (inPeriod || (!pair_.fromDay && !pair_.toDay)) {
            for (size_t t = 0; t < signals_.size(); ++t)
                signals_[t].Add(TextAt(s, kSignals + static_cast<int>(t)), 1);
        }
        if (!passed && inPeriod)
            OfferFailure(s, time_.t, sn);
    }

    void CountItems(sqlite3_stmt* s, HourRows* hour)
    {
        bool any = false;
        for (size_t i = 0; i < std::size(kItemColumns); ++i) {
            const std::string_view value = TextAt(s, kAllColumns + static_cast<int>(kItemColumns[i].column));
            if (!value.empty() && value != kItemColumns[i].pass) {
                hour->items[i]++;
                any = true;
            }
        }
        if (!any)
            hour->items[std::size(kItemColumns)]++;
    }

    // The unit of the row before, whose slot was loaded while this row was
    // read.
    void CountPendingUnit()
    {
        if (!pending_.waiting)
            return;
        pending_.waiting = false;
        AddUnitRow(pending_.sn, pending_.hash, pending_.key);
    }

    void AddUnitRow(std::string_view sn, uint32_t snHash, UnitKey key)
    {
        if (toKey_ && keys_.CompareToBound(key, *toKey_) >= 0)
            return;  // after the period's end: neither first nor last
        bool created = false;
        UnitTable::Unit& unit = units_.Find(sn, snHash, key, &created);
        if (created) {
            Count(unit, 1);
            return;
        }
        const UnitKey first = keys_.Less(key, unit.first) ? key : unit.first;
        const UnitKey last = keys_.Less(unit.last, key) ? key : unit.last;
        if (first == unit.first && last == unit.last)
            return;
        Count(unit, -1);
        unit.first = first;
        unit.last = last;
        Count(unit, 1);
    }

    // Adds (or takes back) a unit in the hour and verdicts it counts under.
    void Count(const UnitTable::Unit& unit, int units)
    {
        if (fromKey_ && keys_.CompareToBound(unit.first, *fromKey_) < 0)
            return;
        const auto hour = keys_.Hour(unit.first);
        if (!hour)
            return;
        unitCounts_[{*hour, !keys_.Failed(unit.first), !keys_.Failed(unit.last)}] += units;
    }

    void OfferFailure(sqlite3_stmt* s, const std::string& t, std::string_view sn)
    {
        recent_.Offer(t, sqlite3_column_int64(s, kRowid), sn, [&] {
            ReportRow row;
            for (size_t i = 0; i < kResultColumns.size(); ++i)
                row.columns[i] = TextAt(s, kAllColumns + static_cast<int>(i));
            auto items = FailedItems(row);
            if (items.empty())
                items.push_back(kNoItemRecorded);
            return FailedUnit {ParseWallTime(t).value_or(0), row.Sn(), row.Column(ColumnIndex("IMEI")),
                               pair_.station, row.Column(ColumnIndex("ISREPAIR")) == "YES", std::move(items)};
        });
    }

    YieldFigures Yield() const
    {
        YieldTally tally;
        tally.fromDay = pair_.fromDay;
        tally.toDay = pair_.toDay;
        tally.unreadableTimes = unreadable_;
        for (const auto& [hour, counted] : hours_) {
            if ((pair_.fromDay && hour < *pair_.fromDay) || (pair_.toDay && hour >= *pair_.toDay + kSecondsPerDay))
                continue;
            for (const bool passed : {false, true}) {
                const int rows = counted.rows[passed];
                if (rows == 0)
                    continue;
                tally.span.first = std::min(tally.span.first, hour);
                tally.span.second = std::max(tally.span.second, hour);
                StationFigures& station = StationOf(&tally.stations, pair_.station);
                station.rows += rows;
                (passed ? station.passRows : station.failRows) += rows;
                AddUnits(&station, counted.withoutSn[passed], passed, passed);
                AddToHour(&tally.hours, hour, counted.withoutSn[passed], passed);
                if (!passed) {
                    for (size_t i = 0; i < kItems; ++i)
                        station.itemFailures[i] += counted.items[i];
                }
            }
        }
        for (const auto& [group, units] : unitCounts_) {
            if (units == 0)
                continue;
            const auto& [hour, firstPassed, lastPassed] = group;
            AddUnits(&StationOf(&tally.unitStations, pair_.station), units, firstPassed, lastPassed);
            AddToHour(&tally.unitHours, hour, units, firstPassed);
        }
        tally.recentFails = recent_.Units();
        return YieldFiguresOf(std::move(tally));
    }

    SignalTally Signals() const
    {
        SignalTally tally(signals_.size());
        for (size_t t = 0; t < signals_.size(); ++t)
            tally[t][pair_.station] = signals_[t];
        return tally;
    }

    FilePair pair_;
    FileNote note_;
    LockWait wait_ {kBusyLimitMs};
    std::optional<KeyBound> fromKey_, toKey_;
    std::string fromT_, toT_;
    std::array<FileMark, 2> marks_;
    bool torn_ = false;  // a read ended halfway: the counts are not whole

    StoreHourReader hourReader_;
    CtimeText time_;  // the current row's
    std::map<WallSeconds, HourRows> hours_;
    HourRows* lastHour_ = nullptr;
    WallSeconds lastHourStart_ = 0;
    int unreadable_ = 0;
    UnitKeyCodec keys_;
    UnitTable units_;
    // A row's unit is counted once the next row was read (or the file's
    // last row), so that the wait for its slot in units_ overlaps that read.
    struct PendingUnit {
        bool waiting = false;
        std::string sn;
        uint32_t hash = 0;
        UnitKey key = 0;
    } pending_;
    std::map<std::tuple<WallSeconds, bool, bool>, int> unitCounts_;  // hour, first and last passed
    std::array<SignalCounts, std::size(kSignalColumns)> signals_;
    RecentFailures recent_;
};

}  // namespace

std::unique_ptr<FigureSource> OpenFilePairFigures(const FilePair& pair, FileNote note)
{
    return std::make_unique<FilePairFigures>(pair, std::move(note));
}
