#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Lookups in a lookup file the factory prepared: the value of `column` in
// the first row of `table` (in table order) whose IMEI equals `imei` byte
// for byte, as text: an IMEI stored as an integer matches its digits,
// "0867..." never matches "867...", letter case counts. Rows whose IMEI or
// `column` is NULL never match; an empty `imei` matches an empty stored IMEI.
//
// The file is only read (it may lie on a read-only share). When its table
// has no index that serves the IMEI, the lookup keeps one of its own in
// memory, built at the first lookup and again whenever the file changes.
// Table and column names are quoted, the IMEI is bound. Throws StoreError
// when the file cannot be read as a database or lacks the table or a column.
class ImeiLookup {
public:
    std::optional<std::string> Find(const std::string& file, const std::string& table, const std::string& column,
                                    const std::string& imei);

private:
    // What identifies one version of the file and the table indexed.
    struct Stamp {
        std::string file;
        std::string table;
        std::vector<std::int64_t> status;  // device, inode, size, time of the file and its WAL

        bool operator==(const Stamp&) const = default;
    };

    std::optional<Stamp> indexed_;
    bool fileServesImei_ = false;  // the table's own index serves the lookup
    bool byRowid_ = false;         // the station's index below is in use
    // Hash of each row's IMEI text and its rowid, sorted.
    std::vector<std::pair<std::uint64_t, std::int64_t>> rows_;
};
