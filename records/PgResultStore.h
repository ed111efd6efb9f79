#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "records/LineConnection.h"
#include "records/ResultStore.h"

// The line-wide result store: one PostgreSQL database shared by every
// station of a line, so that a unit stored at one station is refused at the
// others.

// A store on the server `connection` names (a libpq connection string,
// refused at the first Begin when it holds a password: that comes from
// ~/.pgpass or PGPASSWORD). `station` is stored with each row. Each store
// ends within `deadline`, counted from its Begin; the deadline ends with the
// commit or with the store. Nothing is sent to the server before the first Begin. The
// location passed to Begin names the verdict: its file stem ("PASS" or
// "FAIL") is stored in VERDICT, and duplicates are looked for only among
// rows of the same verdict, as with the local files.
//
// `withOperator`: each row's operator goes into OPERATOR. The first store
// of a session adds the column to a table that lacks it, under the lock
// that serialises the stations' schema changes and in a transaction of its
// own before the store's, so stations doing it at once add it once and no
// store waits on another's change. Without it the table is left as it is.
std::unique_ptr<ResultStore> MakePgResultStore(
    std::string connection, std::string station,
    std::chrono::milliseconds deadline = std::chrono::milliseconds(kLineStoreDeadlineMs), bool withOperator = false);
