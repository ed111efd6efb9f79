#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "records/ResultRow.h"

// An error of the engine behind a store: a locked, foreign or unreadable
// file, a full disk, a folder that cannot be written. what() is a sentence
// for the operator, with the engine's reason.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One store of one unit, holding the store's write lock from its start to
// Commit, so that no other station can store between the duplicate check and
// the insert. Ending it without Commit leaves the store as it was.
class StoreTransaction {
public:
    virtual ~StoreTransaction() = default;

    // The first stored row in store order that shares an identity with
    // `row`; of that row's identities the first in kDuplicateKeys order that
    // matches. Comparison is byte for byte; an empty identity of `row` never
    // matches. Nothing when no row matches.
    virtual std::optional<Column> FindDuplicate(const ResultRow& row) = 0;

    // Appends `row` (every column, DTIME and ISREPAIR included).
    virtual void Insert(const ResultRow& row) = 0;

    // Makes the insert durable. True when this store brought the result
    // table into being.
    virtual bool Commit() = 0;
};

// Where the station keeps its results. `location` names one result store
// (for SQLite, the path of PASS.mdb or FAIL.mdb). All operations throw
// StoreError.
class ResultStore {
public:
    virtual ~ResultStore() = default;

    // Starts one store; a missing store is brought into being by the commit.
    virtual std::unique_ptr<StoreTransaction> Begin(const std::string& location) = 0;

    // Whether the store at `location` holds a committed row with the SN and
    // DTIME of `row` (a store not yet made holds none): how a unit whose
    // station died around the commit is settled. Throws StoreError when it
    // cannot tell.
    virtual bool Holds(const std::string& location, const ResultRow& row) = 0;
};

// The station's default: SQLite files with SNTable.
std::unique_ptr<ResultStore> MakeSqliteResultStore();
