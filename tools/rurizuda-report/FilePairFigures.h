#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tools/rurizuda-report/FigureSource.h"
#include "tools/rurizuda-report/ResultRows.h"

// The figures of a station's PASS.mdb and FAIL.mdb, read once each in rowid
// order and grouped in this process's memory: per unit (by SN) its first and
// last row, per hour the rows, verdicts and failed items, per value the
// signal counts, the latest failed units. The files are opened read-only and
// never locked longer than one read.
//
// Kept across the periods of watch, each Compute() reads only the rows added
// since the one before. A file replaced, vacuumed or shortened (another
// device or inode, a smaller size, its last read row gone or changed) is
// noticed and both files are read again whole. Rows changed in place further
// back are not: a station only adds rows.
//
// The figures equal ComputeYield's and ComputeSignals' over the same files.

// Takes a note on the files (one that does not exist), at each Compute().
using FileNote = std::function<void(const std::string&)>;

struct FilePair {
    std::string passFile;
    std::string failFile;
    std::string station;  // the name the pair's rows go by
    std::optional<WallSeconds> fromDay;
    std::optional<WallSeconds> toDay;
};

std::unique_ptr<FigureSource> OpenFilePairFigures(const FilePair& pair, FileNote note);
