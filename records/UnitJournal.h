#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The per-unit journal for other systems (MES, reports): one JSON object per
// line in DIR/units/YYYY-MM-DD.jsonl, one line per TEST FINISH that stores a
// row or whose store is refused.

using JournalClock = std::chrono::system_clock;

// One item that ran for the unit.
struct JournalItem {
    std::string name;                 // the item's name, e.g. "READ IMEI"
    std::string result;               // "PASS", "FAIL" or the item's own text
    std::vector<std::string> values;  // value(s) read or written
    std::string reference;            // what the values were checked against; "" none
    int64_t durationMs = 0;
    int64_t startMs = 0;  // when the item began, counted from the test's start
};

struct UnitJournalEntry {
    std::string station;  // the station's name
    int slot = 0;         // the station's slot; 0 without slots
    std::string sn;
    std::string mac;
    std::string imei;
    std::string pcbaSn;
    // The one-key test's start and end; empty when the unit was not tested
    // with the one key.
    std::optional<JournalClock::time_point> testStart;
    std::optional<JournalClock::time_point> testEnd;
    JournalClock::time_point recorded;  // TEST FINISH; names the day's file
    std::string verdict;                // "PASS" or "FAIL"
    bool stored = false;                // false: the store was refused
    std::string refusal;                // why it was refused; "" when stored
    bool maintenance = false;
    std::vector<JournalItem> items;
    // A line written and synced just before the store's commit: the unit
    // is not stored yet, and the line is no unit. A later line of the same
    // unit (slot, SN and `recorded`) settles it, stored or refused; a
    // station that died before writing that line leaves it to the sender's
    // start, which looks the row up by SN and `dtime` (the row's DTIME).
    bool pending = false;
    std::string dtime;
    // Written by the sender for a pending line whose row it found: a unit
    // like any other, whose message the sender queued before writing it.
    bool recovered = false;
    // The badge of the operator signed in at TEST FINISH; "" when sign-in
    // is off (and then left out of the line).
    std::string operatorId;
    // The unit's work transaction, decided at its one-key start and shared
    // by the messages of its run; "" when none was started (left out of
    // the line then).
    std::string transactionId;
    // The MES's go-ahead before the test: "" when the station does not ask
    // for it, else "passed", "refused" or "not validated" (no answer, and
    // the unit tested all the same). Left out of the line when "".
    std::string validation;
};

// Whether two lines are of the same unit: a pending line and the line that
// settles it.
bool SameJournalUnit(const UnitJournalEntry& a, const UnitJournalEntry& b);

inline constexpr const char* kValidationPassed = "passed";
inline constexpr const char* kValidationRefused = "refused";
inline constexpr const char* kNotValidated = "not validated";

// The day's file of `recorded` (local date) under `dir`: dir/units/YYYY-MM-DD.jsonl.
std::filesystem::path UnitJournalPath(const std::filesystem::path& dir, JournalClock::time_point recorded);

// A time as the journal writes it: local ISO 8601 with milliseconds and the
// UTC offset (2026-12-07T08:41:05.250+01:00).
std::string JournalTimeText(JournalClock::time_point t);
// A time as JournalTimeText writes it; nothing for any other text.
std::optional<JournalClock::time_point> ParseJournalTime(const std::string& text);

// The entry as one JSON line with its line feed. Bytes that are not UTF-8
// become U+FFFD, so a garbled device text never loses the record.
std::string UnitJournalLine(const UnitJournalEntry& entry);

// Where a line of the journal ends: its day's file and the offset just
// past its line feed. Positions order by file name, then offset.
struct JournalPosition {
    std::string file;  // the day's file name, e.g. 2026-12-07.jsonl
    int64_t offset = 0;
    auto operator<=>(const JournalPosition&) const = default;
};

// Appends the entry's line to its day's file under `dir` (folders created as
// needed) with one write on a descriptor opened for appending, then syncs it
// to disk. When the file does not end with a line feed (a line torn by an
// earlier crash) the new line starts on a line of its own. Returns false and
// sets `error` to a one-line reason when the line could not be written whole;
// else `position`, when given, is where the line ends.
bool AppendUnitJournal(const std::filesystem::path& dir, const UnitJournalEntry& entry, std::string* error,
                       JournalPosition* position = nullptr);

// The same with the entry's line made beforehand (UnitJournalLine): what
// is left to do is the write and the sync.
bool AppendUnitJournalLine(const std::filesystem::path& dir, JournalClock::time_point recorded,
                           const std::string& line, std::string* error, JournalPosition* position = nullptr);

// The journal's day files under `dir`, oldest first.
std::vector<std::filesystem::path> UnitJournalFiles(const std::filesystem::path& dir);

// Reads whole lines of a journal file from `offset` on and calls `found`
// with each entry that parses and the position its line ends at. A last line
// without its line feed (still being written, or torn) is not read. Returns
// false when the file cannot be opened.
// Pending lines are read as any other. With `until` at or above zero no
// line ending past that offset is read. Whole lines that are no entry
// (events, torn lines) go to `other` when given.
bool ReadUnitJournalFrom(const std::filesystem::path& file, int64_t offset,
                         const std::function<void(UnitJournalEntry&&, const JournalPosition&)>& found,
                         int64_t until = -1,
                         const std::function<void(const std::string&, const JournalPosition&)>& other = {});

// What a reader that only sorts lines needs of one: read without building
// the entry (its items above all), for reading a long journal back fast.
struct JournalLineHead {
    int slot = 0;
    std::string sn;
    std::string recorded;  // as written
    bool stored = false;
    bool pending = false;
    bool recovered = false;
};

// The head of one line; nothing when it is not a JSON object with the
// head's fields. Whether the rest of the line is a whole entry is not
// checked: ParseUnitJournalLine does.
std::optional<JournalLineHead> ParseUnitJournalHead(const std::string& line);

// As ReadUnitJournalFrom, with each line's text and head; whole lines
// without a head (events, torn lines) go to `other` when given.
bool ReadUnitJournalHeadsFrom(
    const std::filesystem::path& file, int64_t offset,
    const std::function<void(const std::string& line, const JournalLineHead&, const JournalPosition&)>& found,
    int64_t until = -1,
    const std::function<void(const std::string&, const JournalPosition&)>& other = {});

// Where the journal under `dir` ends now: its last day file and that file's
// size; an empty file name when it has none.
JournalPosition UnitJournalEnd(const std::filesystem::path& dir);

struct UnitJournalRead {
    std::vector<UnitJournalEntry> entries;
    int skippedLines = 0;  // lines that are not a whole entry (torn by a crash)
    int pendingLines = 0;  // pending lines: neither units nor torn
    bool opened = false;
};

// Reads a journal file; lines that do not parse as an entry are skipped and
// counted, pending lines are skipped (their unit counts by the line that
// settles it), every other line is read. Event lines (records/JournalEvent.h)
// are passed over uncounted.
UnitJournalRead ReadUnitJournal(const std::filesystem::path& file);

// Parses one line; nothing when it is not a whole entry.
std::optional<UnitJournalEntry> ParseUnitJournalLine(const std::string& line);
