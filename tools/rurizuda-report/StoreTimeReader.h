#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tools/rurizuda-report/ResultRows.h"

// DTIME read in memory exactly as the report's SQL reads it (ReportQueries),
// so figures grouped in memory equal the engine's: characters counted as
// SQLite counts them, the same shape test, the same keys and texts.

// The pieces of a DTIME that has the ctime shape "Www Mmm dd hh:mm:ss yyyy".
struct CtimeText {
    std::string key;  // StoreKeySql's key: sorts like the time
    std::string t;    // TimedRowsSql's T: "YYYY-MM-DD HH:MM:SS"
    // The DTIME read last and the answer: rows come in store order, so most
    // differ from the row before only in the seconds.
    std::string from;
    bool shaped = false;
};

// False when DTIME does not have the shape (the SQL gives NULL). `text` is
// reused from row to row, so its texts keep their room; a DTIME that differs
// from the one read before only in the two ASCII digits of its seconds is
// answered from that one.
bool ReadCtimeText(std::string_view dtime, CtimeText* text);

// The hour of the store as StoreHourSql and ParseStoreHour give it. Rows come
// in store order, so most share the hour of the row before; the answers are
// kept for the texts seen.
class StoreHourReader {
public:
    std::optional<WallSeconds> HourOf(std::string_view dtime);

private:
    std::string text_;  // the hour text of the current row
    std::string lastText_;
    std::optional<WallSeconds> last_;
    bool haveLast_ = false;
    std::unordered_map<std::string, std::optional<WallSeconds>> seen_;
};

// A unit's first or last row as one number that sorts like the text
// key + flag + station the SQL compares (flag '0' a pass, '1' a failure).
// Keys of digits and blanks (every key a station writes) are packed into the
// number; any other key is kept as text in the codec and referred to.
using UnitKey = uint64_t;

// A key made by StoreKeyOf that unit keys are held against.
struct KeyBound {
    std::string text;
    std::optional<uint64_t> packed;
};

class UnitKeyCodec {
public:
    explicit UnitKeyCodec(std::string station)
        : station_(std::move(station))
    {
    }

    UnitKey Encode(const std::string& key, bool failed);
    bool Failed(UnitKey key) const { return (key & 1) != 0; }
    // a < b as the SQL compares their texts.
    bool Less(UnitKey a, UnitKey b) const;
    static KeyBound Bound(const std::string& text);
    // The key's text compared with a bound: <0, 0, >0.
    int CompareToBound(UnitKey key, const KeyBound& bound) const;
    // The hour the first row of a unit lies in, as ParseStoreKey reads the
    // first twelve characters of its key.
    std::optional<WallSeconds> Hour(UnitKey key);
    void Clear();

private:
    static std::optional<uint64_t> Pack(const std::string& key);
    std::string Text(UnitKey key) const;

    std::string station_;
    std::vector<std::string> odd_;  // texts of keys that are not packed
    std::unordered_map<uint64_t, std::optional<WallSeconds>> hours_;  // by packed hour prefix
};
