#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Result databases with known rows, made with the station's own table
// statement, for the report tool's tests.

// The statement the station creates SNTable with.
extern const char* const kCreateSnTable;

struct FixtureRow {
    bool passed;
    std::string dtime;  // ctime text with its line feed
    std::string sn;
    std::map<std::string, std::string> columns;  // further column values
};

// Creates the file with SNTable and inserts the rows; throws on failure.
void WriteResultDb(const std::filesystem::path& path, const std::vector<FixtureRow>& rows);

// Writes the rows to PASS.mdb and FAIL.mdb under `dir` by their verdict.
void WriteResultDbs(const std::filesystem::path& dir, const std::vector<FixtureRow>& rows);

// A morning's line on Monday 2026-12-07, one failure the evening before and
// one the morning after (see ReportFiguresTest for what it gives).
std::vector<FixtureRow> LineDayRows();
