#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ReportDatabase.h"

// The station's result files PASS.mdb and FAIL.mdb, attached read-only to one
// connection. A file that does not exist counts as no rows and is named in
// `notes`; one that exists but cannot be read, or is not a result database,
// throws ReportError. `station` names the pair's station in the figures.
std::unique_ptr<ReportDatabase> OpenResultFiles(const std::string& passFile, const std::string& failFile,
                                                const std::string& station, std::vector<std::string>* notes);

// The name a file pair's station goes by: the name of the folder it lies in.
std::string FilePairStation(const std::string& passFile);

// A path as an SQLite URI that opens the file read-only.
std::string ReadOnlyUri(const std::string& path);
