#pragma once

#include <memory>
#include <string>

#include "records/ResultStore.h"

// The line-wide result store: one PostgreSQL database shared by every
// station of a line, so that a unit stored at one station is refused at the
// others.

// The connection string with connect_timeout=5 added when it names no
// time-out of its own, so that an unreachable server fails a store within
// seconds. Works for URLs (postgresql://...) and keyword strings.
std::string WithConnectTimeout(const std::string& connection);

// A store on the server `connection` names (a libpq connection string; the
// password comes from ~/.pgpass or PGPASSWORD). `station` is stored with
// each row. Nothing is sent to the server before the first Begin. The
// location passed to Begin names the verdict: its file stem ("PASS" or
// "FAIL") is stored in VERDICT, and duplicates are looked for only among
// rows of the same verdict, as with the local files.
std::unique_ptr<ResultStore> MakePgResultStore(std::string connection, std::string station);
