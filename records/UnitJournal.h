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
    // The badge of the operator signed in at TEST FINISH; "" when sign-in
    // is off (and then left out of the line).
    std::string operatorId;
    // The unit's work transaction, decided at its one-key start and shared
    // by the messages of its run; "" when none was started (left out of
    // the line then).
    std::string transactionId;
};

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
// false when the file cannot be opened. Whole lines that are no entry
// (events, torn lines) go to `other` when given.
bool ReadUnitJournalFrom(const std::filesystem::path& file, int64_t offset,
                         const std::function<void(UnitJournalEntry&&, const JournalPosition&)>& found,
                         const std::function<void(const std::string&, const JournalPosition&)>& other = {});

struct UnitJournalRead {
    std::vector<UnitJournalEntry> entries;
    int skippedLines = 0;  // lines that are not a whole entry (torn by a crash)
    bool opened = false;
};

// Reads a journal file; lines that do not parse as an entry are skipped and
// counted, every other line is read. Event lines (records/JournalEvent.h)
// are passed over uncounted.
UnitJournalRead ReadUnitJournal(const std::filesystem::path& file);

// Parses one line; nothing when it is not a whole entry.
std::optional<UnitJournalEntry> ParseUnitJournalLine(const std::string& line);
