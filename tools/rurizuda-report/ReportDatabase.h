#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Where the report reads stored rows from: the station's file pair or the
// line-wide database, opened read-only and queried with SQL that both
// engines understand. The figures are computed by the engine (GROUP BY), so
// no report holds every row in memory.

// A source that cannot be opened or queried; what() is one line.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A query or read ended by Interrupt(): the run is being stopped.
class ReportInterrupted : public ReportError {
public:
    ReportInterrupted()
        : ReportError("interrupted")
    {
    }
};

using SqlValue = std::optional<std::string>;  // nothing for NULL
using SqlRow = std::vector<SqlValue>;
// Called per result row; returns false to stop reading.
using SqlRowHandler = std::function<bool(const SqlRow&)>;

class ReportDatabase {
public:
    virtual ~ReportDatabase() = default;

    // Runs one SELECT and hands over its rows in order. Throws ReportError.
    // For aggregates: the engine plans for the whole result.
    virtual void Query(const std::string& sql, const SqlRowHandler& row) = 0;

    // The same for a result of any length, fetched a part at a time and
    // planned for its first rows; the reader may stop early.
    virtual void Stream(const std::string& sql, const SqlRowHandler& row) { Query(sql, row); }

    // A SELECT over every stored row the report covers, with the columns
    // PASSED (1 or 0), STATION, ORD (store order within its table) and the
    // `columns` of the result table under their own names (empty: every
    // one), texts compared byte by byte. Naming only the columns a query
    // reads spares the engine decoding the others.
    virtual std::string RowsSelect(const std::vector<std::string>& columns) const = 0;

    // The engine's expression for the character with this code.
    virtual std::string CharSql(int code) const = 0;

    // The engine's expression for the 1-based position of `needle` in
    // `haystack`, 0 when not found.
    virtual std::string PositionSql(const std::string& haystack, const std::string& needle) const = 0;

    // What ends a subquery so that the engine computes its columns once per
    // row instead of copying their expressions into the outer query.
    virtual std::string FenceSql() const = 0;

    // True when the rows come from the line-wide database.
    virtual bool LineWide() const = 0;

    // Ends the query running on another thread, and every later one, with
    // ReportError as soon as the engine can. Safe from any thread. An engine
    // that cannot end a query leaves it to run.
    virtual void Interrupt() {}
};

// A text as an SQL string literal, quotes doubled.
std::string SqlText(const std::string& text);

// The value of a column, "" for NULL.
inline const std::string& TextOf(const SqlValue& value)
{
    static const std::string empty;
    return value ? *value : empty;
}

// The value of a count column; 0 for NULL.
long long CountOf(const SqlValue& value);
