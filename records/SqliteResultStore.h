#pragma once

#include <functional>
#include <memory>
#include <string>

#include "records/ResultStore.h"

// Points in the making of a new result file where a caller may step in,
// so that the moments two stores can meet there are reachable on purpose.
// Each is called only by a store that makes the file.
struct SqliteStoreSteps {
    // The temporary file `temporary` holds the table and has not yet taken
    // the result file's name.
    std::function<void(const std::string& temporary)> temporaryMade;
    // The file this store made has taken its name; the store has not yet
    // opened it.
    std::function<void()> fileMade;
};

// The SQLite store (as MakeSqliteResultStore()) calling `steps` on its way.
std::unique_ptr<ResultStore> MakeSqliteResultStore(SqliteStoreSteps steps);
