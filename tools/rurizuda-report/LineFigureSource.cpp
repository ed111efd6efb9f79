#include "tools/rurizuda-report/LineFigureSource.h"

#include <sys/socket.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>

#include <pqxx/pqxx>

#include "records/LineConnection.h"
#include "records/LineSummaries.h"
#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/LineReportSession.h"
#include "tools/rurizuda-report/ReportQueries.h"

namespace {

constexpr WallSeconds kSecondsPerDay = 24 * 3600;
// Failed rows fetched per round trip while looking for the most recent
// failed units (several rows of one unit are skipped).
constexpr int kRecentFetchRows = 50;

static_assert(std::size(kSummaryItems) == std::size(kItemColumns), "the summaries count every item of the page");

using ReadWork = pqxx::transaction<pqxx::isolation_level::repeatable_read, pqxx::readwrite_policy::read_only>;

std::string TimeLiteral(const std::string& text)
{
    return "'" + text + "'::timestamp";
}

// The period as bounds on a timestamp column: [from, end).
struct Bounds {
    std::string from;  // "'-infinity'::timestamp" when open
    std::string end;   // "'infinity'::timestamp" when open

    // `column` within the period, never '-infinity' (an unreadable time).
    std::string Holds(const std::string& column) const
    {
        return column + " >= " + from + " AND " + column + " < " + end + " AND " + column + " > '-infinity'";
    }
};

class LineFigureSource final : public FigureSource {
public:
    explicit LineFigureSource(const ReportOptions& options)
        : url_(options.dbUrl)
        , fromDay_(options.fromDay)
        , toDay_(options.toDay)
    {
        const std::string refusal = ConnectionRefusal(url_);
        if (!refusal.empty())
            throw ReportError("--db: " + refusal);
        bounds_.from = TimeLiteral(fromDay_ ? WallTimeText(*fromDay_) : "-infinity");
        bounds_.end = TimeLiteral(toDay_ ? WallTimeText(*toDay_ + kSecondsPerDay) : "infinity");
        const std::set<std::string> stations(options.stations.begin(), options.stations.end());
        for (const auto& station : stations)
            stationList_ += (stationList_.empty() ? "" : ",") + SqlText(station);
        stationCount_ = stations.size();
    }

    void Compute(const SignalSettings& settings, YieldFigures* yield, std::vector<SignalFigures>* measured) override
    {
        ThrowIfInterrupted();
        try {
            const auto session = Session();
            ReadWork work(*session);
            if (!HasResultTable(work))
                throw ReportError("the line database holds no result table SNTable");
            if (!LineSummariesExist(work))
                throw ReportError("the line database has no summary tables yet: run rurizuda-report rebuild --db URL "
                                  "once (or store a unit from a station of this version while the table is small)");
            YieldFigures figures = Yield(work);
            std::vector<SignalFigures> signals = Signals(work, settings);
            work.commit();
            *yield = std::move(figures);
            *measured = std::move(signals);
        } catch (const pqxx::failure& error) {
            ThrowIfInterrupted();
            if (dynamic_cast<const pqxx::broken_connection*>(&error))
                Drop();
            throw LineReadError(error);
        }
    }

    void Interrupt() override
    {
        interrupted_ = true;
        std::shared_ptr<pqxx::connection> session;
        {
            std::lock_guard lock(mutex_);
            session = session_;
        }
        if (!session)
            return;
        try {
            session->cancel_query();
        } catch (const std::exception&) {
        }
        // A query that began after the cancel request arrived ends too: the
        // session is given up (an interrupted source computes nothing more).
        if (session->sock() >= 0)
            shutdown(session->sock(), SHUT_RDWR);
    }

private:
    void ThrowIfInterrupted() const
    {
        if (interrupted_)
            throw ReportError("the line database was not read: interrupted");
    }

    std::shared_ptr<pqxx::connection> Session()
    {
        std::lock_guard lock(mutex_);
        if (!session_ || !session_->is_open())
            session_ = OpenReportSession(url_, SessionUse::Read);
        return session_;
    }

    void Drop()
    {
        std::lock_guard lock(mutex_);
        session_.reset();
    }

    // " AND <column> IN (...)" for --station; "" for every station.
    std::string OfStations(const std::string& column) const
    {
        return stationList_.empty() ? "" : " AND " + column + " IN (" + stationList_ + ")";
    }

    template <class Handler>
    void Rows(ReadWork& work, const std::string& sql, Handler handler)
    {
        ThrowIfInterrupted();
        for (const auto& row : work.exec(sql))
            handler(row);
    }

    static StationFigures& StationOf(std::map<std::string, StationFigures>* stations, const std::string& name)
    {
        auto [entry, isNew] = stations->try_emplace(name);
        if (isNew) {
            entry->second.station = name;
            entry->second.itemFailures.assign(std::size(kItemColumns) + 1, 0);
        }
        return entry->second;
    }

    static void AddUnits(UnitCounts* counts, long long units, bool firstPassed, bool lastPassed)
    {
        counts->units += static_cast<int>(units);
        counts->firstPassUnits += firstPassed ? static_cast<int>(units) : 0;
        counts->finalPassUnits += lastPassed ? static_cast<int>(units) : 0;
    }

    static void AddToHour(std::map<WallSeconds, TimeBucket>* hours, WallSeconds hour, long long units, bool firstPassed)
    {
        if (units == 0)
            return;
        TimeBucket& bucket = (*hours)[hour];
        bucket.start = hour;
        (firstPassed ? bucket.passed : bucket.failed) += static_cast<int>(units);
    }

    YieldFigures Yield(ReadWork& work)
    {
        YieldFigures figures;
        figures.fromDay = fromDay_;
        figures.toDay = toDay_;
        std::map<std::string, StationFigures> stations;
        std::map<WallSeconds, TimeBucket> hours;
        WallSeconds first = 0, last = 0;
        bool any = false;
        // Rows per hour and station; those without SN are units of their own.
        Rows(work,
             std::string("SELECT station, CASE WHEN at_hour = '-infinity' THEN NULL ELSE extract(epoch FROM at_hour)::bigint "
                         "END, pass_rows, fail_rows, pass_no_sn, fail_no_sn FROM ") +
                 kHourSummary + " WHERE ((" + bounds_.Holds("at_hour") + ") OR at_hour = '-infinity')" +
                 OfStations("station") + " AND pass_rows + fail_rows <> 0",
             [&](const pqxx::row& row) {
                 const long long passRows = row[2].as<long long>(), failRows = row[3].as<long long>();
                 if (row[1].is_null()) {
                     figures.unreadableTimes += static_cast<int>(passRows + failRows);
                     return;
                 }
                 const WallSeconds hour = row[1].as<WallSeconds>();
                 first = any ? std::min(first, hour) : hour;
                 last = any ? std::max(last, hour) : hour;
                 any = true;
                 StationFigures& station = StationOf(&stations, row[0].c_str());
                 station.rows += static_cast<int>(passRows + failRows);
                 station.passRows += static_cast<int>(passRows);
                 station.failRows += static_cast<int>(failRows);
                 const long long passNoSn = row[4].as<long long>(), failNoSn = row[5].as<long long>();
                 AddUnits(&station, passNoSn, true, true);
                 AddUnits(&station, failNoSn, false, false);
                 AddToHour(&hours, hour, passNoSn, true);
                 AddToHour(&hours, hour, failNoSn, false);
             });
        Rows(work,
             std::string("SELECT station, item, sum(fails) FROM ") + kItemSummary + " WHERE " + bounds_.Holds("at_hour") +
                 OfStations("station") + " GROUP BY station, item HAVING sum(fails) <> 0",
             [&](const pqxx::row& row) {
                 const auto item = row[1].as<size_t>();
                 StationFigures& station = StationOf(&stations, row[0].c_str());
                 if (item < station.itemFailures.size())
                     station.itemFailures[item] += row[2].as<int>();
             });
        Rows(work, UnitsSql(), [&](const pqxx::row& row) {
            const long long units = row[4].as<long long>();
            const bool firstPassed = !row[2].as<bool>();
            AddUnits(&StationOf(&stations, row[0].c_str()), units, firstPassed, !row[3].as<bool>());
            AddToHour(&hours, row[1].as<WallSeconds>(), units, firstPassed);
        });
        figures.recentFails = RecentFails(work);
        for (auto& [name, station] : stations) {
            figures.rows += station.rows;
            figures.passRows += station.passRows;
            figures.failRows += station.failRows;
            figures.units += station.units;
            figures.firstPassUnits += station.firstPassUnits;
            figures.finalPassUnits += station.finalPassUnits;
            figures.stations.push_back(std::move(station));
        }
        figures.perDay = figures.rows > 0 && last - first > kLongestHourlySpan;
        figures.buckets = UnitBuckets(hours, figures.perDay);
        figures.pareto = ItemPareto(figures.stations);
        return figures;
    }

    // The verdict (failed) of unit u's last row before the period's end at
    // the stations read, from its own rows. Ties within one time: a failure
    // after a pass, then by station name.
    std::string LastBeforeEndSql() const
    {
        return "SELECT r.verdict <> 'PASS' AS failed FROM sntable r WHERE r.sn = u.sn" + OfStations("r.station") +
               " AND rurizuda_store_time(r.dtime) < " + bounds_.end +
               " ORDER BY rurizuda_store_time(r.dtime) DESC, r.verdict <> 'PASS' DESC, r.station COLLATE \"C\" DESC"
               " LIMIT 1";
    }

    // Units with SN whose first row (among the stations read) lies in the
    // period, per station and hour of that row, its verdict and the verdict
    // of the unit's last row up to the period's end.
    std::string UnitsSql() const
    {
        if (stationList_.empty())
            return HourUnitsSql(kHourUnitSummary, kLineUnitSummary, "first_station");
        if (stationCount_ == 1)
            return HourUnitsSql(kHourStationUnitSummary, kUnitSummary, "station");
        return SubsetUnitsSql();
    }

    // The units counted per hour (`hours`), read for the period's hours: a
    // unit's count there follows its last row ever. A unit with a row after
    // the period's end is taken back from its group and counted again with
    // the last verdict before the end, read from its own rows; the index on
    // the retested units' entries (`units`, whose station column is
    // `station`) finds them. The page's cost follows the hours of its
    // period and the units retested across its end.
    std::string HourUnitsSql(const char* hours, const char* units, const std::string& station) const
    {
        const std::string end = bounds_.end;
        return "SELECT station, extract(epoch FROM at_hour)::bigint, first_failed, last_failed, sum(units) FROM ("
               "SELECT station, at_hour, first_failed, last_failed, units FROM " + std::string(hours) +
               " WHERE at_hour >= " + bounds_.from + " AND at_hour < " + end + OfStations("station") +
               " UNION ALL SELECT u." + station + ", date_trunc('hour', u.first_time), u.first_failed, x.last_failed, "
               "x.units FROM " + units + " u LEFT JOIN LATERAL (" + LastBeforeEndSql() + ") late ON true "
               "CROSS JOIN LATERAL (VALUES (u.last_failed, -1), (coalesce(late.failed, u.last_failed), 1)) "
               "AS x(last_failed, units) WHERE u.first_time >= " + bounds_.from + " AND u.first_time < " + end +
               " AND u.last_time >= " + end + " AND u.last_time > u.first_time" + OfStations("u." + station) +
               ") c GROUP BY 1, 2, 3, 4 HAVING sum(units) <> 0";
    }

    // Several stations of the line: each unit's entries at those stations
    // put together (a unit's first row among them may lie at any of them),
    // read for the units first stored at one of them in the period; units
    // with a row after the period's end have their last row before it read
    // from their own rows. Ties within one time: a pass before a failure,
    // then by station name.
    std::string SubsetUnitsSql() const
    {
        const std::string end = bounds_.end;
        // `units`: sn, station, first_time, first_failed, last_time,
        // last_failed of the units first stored in the period. A unit with
        // rows after the period's end has its last row before it read from
        // its own rows.
        const std::string groups = "station, date_trunc('hour', first_time), first_failed";
        const auto counted = [&](const std::string& units) {
            return "SELECT station, extract(epoch FROM hour)::bigint, first_failed, last_failed, sum(n) FROM ("
                   "SELECT station, date_trunc('hour', first_time) AS hour, first_failed, last_failed, count(*) AS n "
                   "FROM " + units +
                   " u WHERE u.last_time < " + end + " GROUP BY " + groups + ", last_failed UNION ALL SELECT " +
                   groups + ", coalesce(late.failed, u.last_failed), count(*) FROM " + units +
                   " u LEFT JOIN LATERAL (" + LastBeforeEndSql() + ") late ON true WHERE u.last_time >= " + end +
                   " GROUP BY " + groups +
                   ", coalesce(late.failed, u.last_failed)) c GROUP BY 1, 2, 3, 4";
        };
        return std::string("WITH candidates AS MATERIALIZED (SELECT DISTINCT sn FROM ") + kUnitSummary +
               " WHERE first_time >= " + bounds_.from + " AND first_time < " + end + OfStations("station") +
               "), grouped AS MATERIALIZED (SELECT sn,"
               " (array_agg(station ORDER BY first_time, first_failed, station))[1] AS station,"
               " min(first_time) AS first_time,"
               " (array_agg(first_failed ORDER BY first_time, first_failed, station))[1] AS first_failed,"
               " max(last_time) AS last_time,"
               " (array_agg(last_failed ORDER BY last_time DESC, last_failed DESC, station DESC))[1] AS last_failed"
               " FROM " + kUnitSummary + " WHERE sn IN (SELECT sn FROM candidates)" + OfStations("station") +
               " GROUP BY sn), units AS MATERIALIZED (SELECT * FROM grouped WHERE first_time >= " + bounds_.from +
               ") " + counted("units");
    }

    // The latest failed rows within the period, one per unit, newest first.
    std::vector<FailedUnit> RecentFails(ReadWork& work)
    {
        std::string sql = "DECLARE recent_failures NO SCROLL CURSOR FOR SELECT to_char(rurizuda_store_time(dtime), "
                          "'YYYY-MM-DD HH24:MI:SS'), station";
        for (auto column : kResultColumns)
            sql += "," + std::string(column);
        sql += " FROM sntable WHERE verdict <> 'PASS' AND rurizuda_store_time(dtime) >= " + bounds_.from +
               " AND rurizuda_store_time(dtime) < " + bounds_.end + OfStations("station") +
               " ORDER BY rurizuda_store_time(dtime) DESC, id DESC";
        ThrowIfInterrupted();
        work.exec(sql);
        std::vector<FailedUnit> units;
        std::set<std::string> seen;
        const std::string fetch = "FETCH " + std::to_string(kRecentFetchRows) + " FROM recent_failures";
        for (;;) {
            ThrowIfInterrupted();
            const pqxx::result page = work.exec(fetch);
            for (const auto& fields : page) {
                ReportRow row;
                for (size_t i = 0; i < kResultColumns.size(); ++i)
                    row.columns[i] = fields[static_cast<pqxx::row::size_type>(2 + i)].is_null()
                                         ? std::string()
                                         : fields[static_cast<pqxx::row::size_type>(2 + i)].c_str();
                if (!row.Sn().empty() && !seen.insert(row.Sn()).second)
                    continue;
                auto items = FailedItems(row);
                if (items.empty())
                    items.push_back(kNoItemRecorded);
                units.push_back({ParseWallTime(fields[0].c_str()).value_or(0), row.Sn(),
                                 row.Column(ColumnIndex("IMEI")), fields[1].c_str(),
                                 row.Column(ColumnIndex("ISREPAIR")) == "YES", std::move(items)});
                if (units.size() == kRecentFailedUnits)
                    return units;
            }
            if (page.size() < static_cast<size_t>(kRecentFetchRows))
                return units;
        }
    }

    std::vector<SignalFigures> Signals(ReadWork& work, const SignalSettings& settings)
    {
        // Without a period every row counts, also those whose time cannot be read.
        const bool period = fromDay_ || toDay_;
        SignalTally tally(std::size(kSignalColumns));
        Rows(work,
             std::string("SELECT station, technology, value, sum(value_rows) FROM ") + kSignalSummary + " WHERE " +
                 (period ? bounds_.Holds("at_day") : std::string("true")) + OfStations("station") +
                 " GROUP BY station, technology, value HAVING sum(value_rows) <> 0",
             [&](const pqxx::row& row) {
                 const auto technology = row[1].as<size_t>();
                 if (technology >= tally.size())
                     return;
                 SignalCounts& counts = tally[technology][row[0].c_str()];
                 const int value = row[2].as<int>();
                 if (value == kSignalOutOfRangeValue)
                     counts.outOfRange += row[3].as<int>();
                 else
                     counts.values[value] += row[3].as<int>();
             });
        return SignalFiguresOf(tally, settings);
    }

    std::string url_;
    std::optional<WallSeconds> fromDay_;
    std::optional<WallSeconds> toDay_;
    Bounds bounds_;
    std::string stationList_;
    size_t stationCount_ = 0;  // distinct stations named; 0 every station
    std::atomic<bool> interrupted_ {false};
    std::mutex mutex_;  // guards session_, which Interrupt() reads from another thread
    std::shared_ptr<pqxx::connection> session_;
};

}  // namespace

std::unique_ptr<FigureSource> OpenLineFigures(const ReportOptions& options)
{
    return std::make_unique<LineFigureSource>(options);
}
