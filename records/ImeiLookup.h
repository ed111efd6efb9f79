#pragma once

#include <optional>
#include <string>

// The value of `column` in the first row of `table` (in table order) whose
// IMEI equals `imei` byte for byte, in the SQLite file `file`. Rows whose
// IMEI or `column` is NULL never match; an empty `imei` matches an empty
// stored IMEI. Table and column names are quoted, the IMEI is bound. Throws
// StoreError when the file cannot be read as a database or lacks the table
// or a column. Adds an index on IMEI when it can (a read-only file is read
// without one).
std::optional<std::string> LookUpByImei(const std::string& file, const std::string& table, const std::string& column,
                                        const std::string& imei);
