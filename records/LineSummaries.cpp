#include "records/LineSummaries.h"

#include <cstring>
#include <string>

#include "records/ResultRow.h"

namespace {

// DTIME as the wall-clock time it names: "Www Mmm dd hh:mm:ss yyyy" (the day
// blank- or zero-padded), then only blanks and line ends; NULL for any other
// text and for days the month does not have. Immutable, so that an index
// can hold it; nested CASEs, so that no conversion sees a text it refuses.
constexpr const char* kStoreTimeFunctions = R"SQL(
CREATE OR REPLACE FUNCTION rurizuda_wall_time(y int, mo int, d int, h int, mi int, s int) RETURNS timestamp
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
  SELECT CASE WHEN y > 0 AND mo >= 1 AND d >= 1 AND h <= 23 AND mi <= 59 AND s <= 59
    AND d <= CASE WHEN mo = 2 THEN CASE WHEN y % 4 = 0 AND (y % 100 <> 0 OR y % 400 = 0) THEN 29 ELSE 28 END
                  WHEN mo IN (4, 6, 9, 11) THEN 30 ELSE 31 END
  THEN make_timestamp(y, mo, d, h, mi, s) END
$f$;
CREATE OR REPLACE FUNCTION rurizuda_store_time(dtime text) RETURNS timestamp
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
  SELECT CASE WHEN dtime LIKE '___ ___ __ __:__:__ ____%'
    AND translate(substr(dtime, 9, 16), '0123456789', '0000000000') IN (' 0 00:00:00 0000', '00 00:00:00 0000')
    AND strpos('SunMonTueWedThuFriSat', substr(dtime, 1, 3)) % 3 = 1
    AND rtrim(substr(dtime, 25), E' \r\n') = '' THEN
    rurizuda_wall_time(substr(dtime, 21, 4)::int,
                       (strpos('JanFebMarAprMayJunJulAugSepOctNovDec', substr(dtime, 5, 3)) + 2) / 3,
                       ltrim(substr(dtime, 9, 2))::int, substr(dtime, 12, 2)::int, substr(dtime, 15, 2)::int,
                       substr(dtime, 18, 2)::int) END
$f$;
-- A measured value as the report reads it: an optional minus and decimal
-- digits within the range of int; NULL otherwise.
CREATE OR REPLACE FUNCTION rurizuda_signal_value(v text) RETURNS int
LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$
  SELECT CASE WHEN v ~ '^-?[0-9]+$' THEN
    CASE WHEN length(ltrim(ltrim(v, '-'), '0')) <= 3 AND v::int BETWEEN -200 AND 200 THEN v::int ELSE 1000 END END
$f$;
)SQL";

constexpr const char* kSummaryTables = R"SQL(
CREATE TABLE rurizuda_unit_rows (
  sn text NOT NULL, station text COLLATE "C" NOT NULL,
  first_time timestamp NOT NULL, first_failed boolean NOT NULL,
  last_time timestamp NOT NULL, last_failed boolean NOT NULL,
  PRIMARY KEY (sn, station));
CREATE INDEX rurizuda_unit_rows_first ON rurizuda_unit_rows (station, first_time) INCLUDE (sn);
CREATE TABLE rurizuda_units (
  sn text PRIMARY KEY, first_time timestamp NOT NULL, first_failed boolean NOT NULL,
  first_station text COLLATE "C" NOT NULL, last_time timestamp NOT NULL, last_failed boolean NOT NULL);
-- The units first stored in a period, for the report's operators.
CREATE INDEX rurizuda_units_first ON rurizuda_units (first_time);
CREATE TABLE rurizuda_hour_units (
  at_hour timestamp NOT NULL, station text COLLATE "C" NOT NULL, first_failed boolean NOT NULL,
  last_failed boolean NOT NULL, writer text COLLATE "C" NOT NULL, units bigint NOT NULL,
  PRIMARY KEY (at_hour, station, first_failed, last_failed, writer));
CREATE TABLE rurizuda_hour_station_units (
  at_hour timestamp NOT NULL, station text COLLATE "C" NOT NULL, first_failed boolean NOT NULL,
  last_failed boolean NOT NULL, units bigint NOT NULL,
  PRIMARY KEY (at_hour, station, first_failed, last_failed));
CREATE TABLE rurizuda_hour_rows (
  at_hour timestamp NOT NULL, station text COLLATE "C" NOT NULL,
  pass_rows bigint NOT NULL, fail_rows bigint NOT NULL, pass_no_sn bigint NOT NULL, fail_no_sn bigint NOT NULL,
  PRIMARY KEY (at_hour, station));
CREATE TABLE rurizuda_hour_items (
  at_hour timestamp NOT NULL, station text COLLATE "C" NOT NULL, item smallint NOT NULL, fails bigint NOT NULL,
  PRIMARY KEY (at_hour, station, item));
CREATE TABLE rurizuda_day_signals (
  at_day timestamp NOT NULL, station text COLLATE "C" NOT NULL, technology smallint NOT NULL, value int NOT NULL,
  value_rows bigint NOT NULL,
  PRIMARY KEY (at_day, station, technology, value));
)SQL";

// What one row adds to (delta 1) or takes from (delta -1) the counters of
// its hour and day, and its unit's entry recounted from the unit's rows.
constexpr const char* kRowFunctions = R"SQL(
CREATE OR REPLACE FUNCTION rurizuda_count_row(row_verdict text, row_station text, row_sn text, row_dtime text,
                                              row_items smallint[], row_rssi2g text, row_rssi3g text,
                                              row_rssi4g text, delta int)
RETURNS void LANGUAGE plpgsql AS $f$
DECLARE
  stored timestamp := rurizuda_store_time(row_dtime);
  the_hour timestamp := coalesce(date_trunc('hour', stored), '-infinity');
  the_day timestamp := coalesce(date_trunc('day', stored), '-infinity');
  passed boolean := row_verdict = 'PASS';
  no_sn int := CASE WHEN coalesce(row_sn, '') = '' THEN delta ELSE 0 END;
BEGIN
  INSERT INTO rurizuda_hour_rows AS h VALUES (the_hour, row_station,
    CASE WHEN passed THEN delta ELSE 0 END, CASE WHEN passed THEN 0 ELSE delta END,
    CASE WHEN passed THEN no_sn ELSE 0 END, CASE WHEN passed THEN 0 ELSE no_sn END)
  ON CONFLICT (at_hour, station) DO UPDATE SET
    pass_rows = h.pass_rows + EXCLUDED.pass_rows, fail_rows = h.fail_rows + EXCLUDED.fail_rows,
    pass_no_sn = h.pass_no_sn + EXCLUDED.pass_no_sn, fail_no_sn = h.fail_no_sn + EXCLUDED.fail_no_sn;
  IF NOT passed THEN
    INSERT INTO rurizuda_hour_items AS i
      SELECT the_hour, row_station, failed, delta FROM unnest(row_items) AS failed
    ON CONFLICT (at_hour, station, item) DO UPDATE SET fails = i.fails + EXCLUDED.fails;
  END IF;
  INSERT INTO rurizuda_day_signals AS s
    SELECT the_day, row_station, v.technology, v.value, delta
    FROM (VALUES (0::smallint, rurizuda_signal_value(row_rssi2g)), (1::smallint, rurizuda_signal_value(row_rssi3g)),
                 (2::smallint, rurizuda_signal_value(row_rssi4g))) AS v(technology, value)
    WHERE v.value IS NOT NULL
  ON CONFLICT (at_day, station, technology, value) DO UPDATE SET value_rows = s.value_rows + EXCLUDED.value_rows;
END $f$;

CREATE OR REPLACE FUNCTION rurizuda_add_unit_row(row_sn text, row_station text, row_dtime text, row_verdict text)
RETURNS void LANGUAGE plpgsql AS $f$
DECLARE
  stored timestamp := rurizuda_store_time(row_dtime);
  failed boolean := row_verdict <> 'PASS';
BEGIN
  IF coalesce(row_sn, '') = '' OR stored IS NULL THEN
    RETURN;
  END IF;
  INSERT INTO rurizuda_unit_rows AS u VALUES (row_sn, row_station, stored, failed, stored, failed)
  ON CONFLICT (sn, station) DO UPDATE SET
    first_failed = CASE WHEN (EXCLUDED.first_time, EXCLUDED.first_failed) < (u.first_time, u.first_failed)
                        THEN EXCLUDED.first_failed ELSE u.first_failed END,
    first_time = LEAST(u.first_time, EXCLUDED.first_time),
    last_failed = CASE WHEN (EXCLUDED.last_time, EXCLUDED.last_failed) > (u.last_time, u.last_failed)
                       THEN EXCLUDED.last_failed ELSE u.last_failed END,
    last_time = GREATEST(u.last_time, EXCLUDED.last_time);
  INSERT INTO rurizuda_units AS u VALUES (row_sn, stored, failed, row_station, stored, failed)
  ON CONFLICT (sn) DO UPDATE SET
    first_station = CASE WHEN (EXCLUDED.first_time, EXCLUDED.first_failed, EXCLUDED.first_station)
                              < (u.first_time, u.first_failed, u.first_station)
                         THEN EXCLUDED.first_station ELSE u.first_station END,
    first_failed = CASE WHEN (EXCLUDED.first_time, EXCLUDED.first_failed, EXCLUDED.first_station)
                             < (u.first_time, u.first_failed, u.first_station)
                        THEN EXCLUDED.first_failed ELSE u.first_failed END,
    first_time = LEAST(u.first_time, EXCLUDED.first_time),
    last_failed = CASE WHEN (EXCLUDED.last_time, EXCLUDED.last_failed) > (u.last_time, u.last_failed)
                       THEN EXCLUDED.last_failed ELSE u.last_failed END,
    last_time = GREATEST(u.last_time, EXCLUDED.last_time);
END $f$;

-- A unit's entry over every station from its entries per station.
CREATE OR REPLACE FUNCTION rurizuda_recount_unit_overall(the_sn text) RETURNS void LANGUAGE plpgsql AS $f$
BEGIN
  DELETE FROM rurizuda_units WHERE sn = the_sn;
  INSERT INTO rurizuda_units
    SELECT the_sn, f.first_time, f.first_failed, f.station, l.last_time, l.last_failed
    FROM (SELECT first_time, first_failed, station FROM rurizuda_unit_rows WHERE sn = the_sn
          ORDER BY first_time, first_failed, station LIMIT 1) AS f,
         (SELECT last_time, last_failed FROM rurizuda_unit_rows WHERE sn = the_sn
          ORDER BY last_time DESC, last_failed DESC LIMIT 1) AS l;
END $f$;

-- A unit's entry at one station counted again from its rows there (after a
-- row of it was changed or deleted). Within a time a failure sorts after a
-- pass: the code is the time's seconds doubled, plus one for a failure.
CREATE OR REPLACE FUNCTION rurizuda_recount_unit(the_sn text, the_station text) RETURNS void LANGUAGE plpgsql AS $f$
BEGIN
  DELETE FROM rurizuda_unit_rows WHERE sn = the_sn AND station = the_station;
  IF coalesce(the_sn, '') = '' THEN
    RETURN;
  END IF;
  INSERT INTO rurizuda_unit_rows
    SELECT the_sn, the_station, min(stored), min(code) & 1 = 1, max(stored), max(code) & 1 = 1
    FROM (SELECT stored, extract(epoch FROM stored)::bigint * 2 + (verdict <> 'PASS')::int AS code
          FROM (SELECT rurizuda_store_time(dtime) AS stored, verdict FROM sntable
                WHERE sn = the_sn AND station = the_station) AS timed
          WHERE stored IS NOT NULL) AS coded
    HAVING count(*) > 0;
  PERFORM rurizuda_recount_unit_overall(the_sn);
END $f$;

CREATE OR REPLACE FUNCTION rurizuda_summaries_clear() RETURNS trigger LANGUAGE plpgsql AS $f$
BEGIN
  TRUNCATE rurizuda_unit_rows, rurizuda_units, rurizuda_hour_rows, rurizuda_hour_items, rurizuda_day_signals,
           rurizuda_hour_units, rurizuda_hour_station_units;
  RETURN NULL;
END $f$;
)SQL";

// The trigger function: what a row inserted, changed or deleted does to the
// summaries. `items` gives the failed items of the row named (OLD or NEW).
std::string FollowFunction(const std::function<std::string(const std::string&)>& items)
{
    const auto count = [&](const std::string& r, const char* delta) {
        return "PERFORM rurizuda_count_row(" + r + ".verdict, " + r + ".station, " + r + ".sn, " + r + ".dtime, " +
               "CASE WHEN " + r + ".verdict <> 'PASS' THEN " + items(r) + " END, " + r + ".rssi2g, " + r +
               ".rssi3g, " + r + ".rssi4g, " + delta + ");\n";
    };
    return "CREATE OR REPLACE FUNCTION rurizuda_summaries_follow() RETURNS trigger LANGUAGE plpgsql AS $f$\n"
           "BEGIN\n"
           "  PERFORM set_config('rurizuda.writer', coalesce(NEW.station, OLD.station), true);\n"
           "  IF TG_OP <> 'INSERT' THEN " + count("OLD", "-1") + " END IF;\n"
           "  IF TG_OP <> 'DELETE' THEN " + count("NEW", "1") + " END IF;\n"
           "  IF TG_OP = 'INSERT' THEN\n"
           "    PERFORM rurizuda_add_unit_row(NEW.sn, NEW.station, NEW.dtime, NEW.verdict);\n"
           "  ELSE\n"
           "    PERFORM rurizuda_recount_unit(OLD.sn, OLD.station);\n"
           "    IF TG_OP = 'UPDATE' AND (NEW.sn, NEW.station) IS DISTINCT FROM (OLD.sn, OLD.station) THEN\n"
           "      PERFORM rurizuda_recount_unit(NEW.sn, NEW.station);\n"
           "    END IF;\n"
           "  END IF;\n"
           "  RETURN NULL;\n"
           "END $f$;";
}

// The trigger function `name` that keeps `counts`, the units per hour of
// their first row, as a unit's entry changes in the table it follows (whose
// station column is `station`). `writer` adds the counters' writer column
// and its value ("" none). An entry whose counted group stays the same
// leaves the counters alone.
std::string UnitCountFunction(const std::string& name, const std::string& counts, const std::string& station,
                              const std::string& writer = "")
{
    const auto entry = [&](const char* r, const char* delta) {
        return std::string("SELECT ") + r + ".first_time, " + r + "." + station + ", " + r + ".first_failed, " + r +
               ".last_failed, " + delta;
    };
    return "CREATE OR REPLACE FUNCTION " + name + "() RETURNS trigger LANGUAGE plpgsql AS $f$\n"
           "BEGIN\n"
           "  IF TG_OP = 'UPDATE' AND date_trunc('hour', OLD.first_time) = date_trunc('hour', NEW.first_time)\n"
           "     AND OLD." + station + " = NEW." + station + " AND OLD.first_failed = NEW.first_failed\n"
           "     AND OLD.last_failed = NEW.last_failed THEN\n"
           "    RETURN NULL;\n"
           "  END IF;\n"
           "  INSERT INTO " + counts + " AS h\n"
           "    SELECT date_trunc('hour', c.first_time), c.station, c.first_failed, c.last_failed" +
           (writer.empty() ? "" : ", " + writer) + ", c.delta\n"
           "    FROM (" + entry("OLD", "-1") + " WHERE TG_OP <> 'INSERT' UNION ALL " + entry("NEW", "1") +
           " WHERE TG_OP <> 'DELETE') AS c(first_time, station, first_failed, last_failed, delta)\n"
           "  ON CONFLICT (at_hour, station, first_failed, last_failed" + (writer.empty() ? "" : ", writer") +
           ") DO UPDATE SET units = h.units + EXCLUDED.units;\n"
           "  RETURN NULL;\n"
           "END $f$;";
}

// The line's counts are kept under the station whose row changed the entry
// (the follow function names it), so that stations retesting each other's
// units never wait for one counter.
std::string UnitCountFunctions()
{
    return UnitCountFunction("rurizuda_units_follow", "rurizuda_hour_units", "first_station",
                             "coalesce(current_setting('rurizuda.writer', true), '')") +
           UnitCountFunction("rurizuda_unit_rows_follow", "rurizuda_hour_station_units", "station");
}

// The units per hour counted from the units' entries built from the rows.
constexpr const char* kBuildUnitCounts = R"SQL(
INSERT INTO rurizuda_hour_units
  SELECT date_trunc('hour', first_time), first_station, first_failed, last_failed, '', count(*)
  FROM rurizuda_units GROUP BY 1, 2, 3, 4;
INSERT INTO rurizuda_hour_station_units
  SELECT date_trunc('hour', first_time), station, first_failed, last_failed, count(*)
  FROM rurizuda_unit_rows GROUP BY 1, 2, 3, 4;
)SQL";

// Created after the build, which counts the units of the entries it makes.
constexpr const char* kUnitCountTriggers = R"SQL(
CREATE TRIGGER rurizuda_units_by_hour AFTER INSERT OR UPDATE OR DELETE ON rurizuda_units
  FOR EACH ROW EXECUTE FUNCTION rurizuda_units_follow();
CREATE TRIGGER rurizuda_unit_rows_by_hour AFTER INSERT OR UPDATE OR DELETE ON rurizuda_unit_rows
  FOR EACH ROW EXECUTE FUNCTION rurizuda_unit_rows_follow();
)SQL";

constexpr const char* kTriggers = R"SQL(
CREATE TRIGGER rurizuda_summaries AFTER INSERT OR UPDATE OR DELETE ON sntable
  FOR EACH ROW EXECUTE FUNCTION rurizuda_summaries_follow();
CREATE TRIGGER rurizuda_summaries_truncate AFTER TRUNCATE ON sntable
  FOR EACH STATEMENT EXECUTE FUNCTION rurizuda_summaries_clear();
)SQL";

// The build: one statement that reads SNTable once, reading each row's
// store time, failed items and values once, and fills every summary.
constexpr const char* kBuildSummaries = R"SQL(
WITH timed AS MATERIALIZED (
  SELECT sn, station, verdict <> 'PASS' AS failed, rurizuda_store_time(r.dtime) AS stored,
         CASE WHEN r.verdict <> 'PASS' THEN @ITEMS@ END AS items,
         rurizuda_signal_value(r.rssi2g) AS rssi2g, rurizuda_signal_value(r.rssi3g) AS rssi3g,
         rurizuda_signal_value(r.rssi4g) AS rssi4g
  FROM sntable AS r),
units AS (
  INSERT INTO rurizuda_unit_rows
  SELECT sn, station, min(stored), min(code) & 1 = 1, max(stored), max(code) & 1 = 1
  FROM (SELECT sn, station, stored, extract(epoch FROM stored)::bigint * 2 + failed::int AS code FROM timed
        WHERE sn <> '' AND stored IS NOT NULL) AS coded
  GROUP BY sn, station),
hours AS (
  INSERT INTO rurizuda_hour_rows
  SELECT coalesce(date_trunc('hour', stored), '-infinity'), station,
         count(*) FILTER (WHERE NOT failed), count(*) FILTER (WHERE failed),
         count(*) FILTER (WHERE NOT failed AND coalesce(sn, '') = ''),
         count(*) FILTER (WHERE failed AND coalesce(sn, '') = '')
  FROM timed GROUP BY 1, 2),
items AS (
  INSERT INTO rurizuda_hour_items
  SELECT coalesce(date_trunc('hour', stored), '-infinity'), station, item, count(*)
  FROM timed, unnest(items) AS item WHERE failed GROUP BY 1, 2, 3),
signals AS (
  INSERT INTO rurizuda_day_signals
  SELECT coalesce(date_trunc('day', stored), '-infinity'), station, v.technology, v.value, count(*)
  FROM timed, LATERAL (VALUES (0::smallint, rssi2g), (1::smallint, rssi3g), (2::smallint, rssi4g))
                      AS v(technology, value)
  WHERE v.value IS NOT NULL GROUP BY 1, 2, 3, 4)
SELECT 1)SQL";

// Each unit over every station, from its entries per station.
constexpr const char* kBuildUnits = R"SQL(
INSERT INTO rurizuda_units
  SELECT sn, min(first_time), (array_agg(first_failed ORDER BY first_time, first_failed, station))[1],
         (array_agg(station ORDER BY first_time, first_failed, station))[1], max(last_time),
         (array_agg(last_failed ORDER BY last_time DESC, last_failed DESC))[1]
  FROM rurizuda_unit_rows GROUP BY sn)SQL";

constexpr const char* kSummaryIndexes = R"SQL(
CREATE INDEX rurizuda_sntable_failed_time ON sntable (rurizuda_store_time(dtime), id) WHERE verdict <> 'PASS';
CREATE INDEX rurizuda_sntable_station_failed_time ON sntable (station, rurizuda_store_time(dtime), id)
  WHERE verdict <> 'PASS';
CREATE INDEX rurizuda_sntable_unit ON sntable (sn, station);
CREATE INDEX rurizuda_units_retested ON rurizuda_units (first_time, last_time) WHERE last_time > first_time;
CREATE INDEX rurizuda_unit_rows_retested ON rurizuda_unit_rows (station, first_time, last_time)
  WHERE last_time > first_time)SQL";

// The failed items of a row (kSummaryItems' places; kNoItemSummary when a
// failed row names none), texts compared byte by byte; given the item
// columns in kSummaryItems' order.
std::string FailedItemsFunction()
{
    std::string parameters, cases;
    for (size_t i = 0; i < std::size(kSummaryItems); ++i) {
        const std::string value = "v" + std::to_string(i);
        parameters += (i ? ", " : "") + value + " text";
        cases += std::string(i ? ", " : "") + "CASE WHEN coalesce(" + value + " COLLATE \"C\", '') NOT IN ('', '" +
                 kSummaryItems[i].pass + "') THEN " + std::to_string(i) + " END";
    }
    return "CREATE OR REPLACE FUNCTION rurizuda_failed_items(" + parameters +
           ") RETURNS smallint[] LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $f$ SELECT coalesce(nullif(array_remove(ARRAY[" +
           cases + "]::smallint[], NULL), '{}'), ARRAY[" + std::to_string(kNoItemSummary) + "]::smallint[]) $f$;";
}

// The call of rurizuda_failed_items on the item columns of row `r`.
std::string FailedItemsOf(const std::string& r)
{
    std::string arguments;
    for (const auto& item : kSummaryItems)
        arguments += (arguments.empty() ? "" : ", ") + r + "." + item.column;
    return "rurizuda_failed_items(" + arguments + ")";
}

}  // namespace

bool LineSummariesExist(pqxx::transaction_base& work)
{
    // The trigger is dropped with SNTable; the tables would stay. Summaries
    // made before the units were counted per hour lack the units' trigger.
    return work.exec1("SELECT EXISTS (SELECT 1 FROM pg_trigger WHERE tgname = 'rurizuda_summaries' AND tgrelid = "
                      "to_regclass('sntable')) AND EXISTS (SELECT 1 FROM pg_trigger WHERE tgname = "
                      "'rurizuda_units_by_hour' AND tgrelid = to_regclass('rurizuda_units'))")[0].as<bool>();
}

void BuildLineSummaries(pqxx::transaction_base& work, const std::function<void(const std::string&)>& step)
{
    const auto begin = [&](const std::string& name) {
        if (step)
            step(name);
    };
    begin("waiting for running stores");
    work.exec(std::string("LOCK TABLE ") + kResultTable + " IN SHARE ROW EXCLUSIVE MODE");
    begin("tables");
    DropLineSummaries(work);  // what a dropped SNTable left behind
    work.exec(kStoreTimeFunctions);
    work.exec(kSummaryTables);
    work.exec(FailedItemsFunction());
    work.exec(kRowFunctions);
    work.exec(FollowFunction(FailedItemsOf));
    work.exec(kTriggers);
    begin("summaries from the stored rows");
    std::string build = kBuildSummaries;
    build.replace(build.find("@ITEMS@"), std::strlen("@ITEMS@"), FailedItemsOf("r"));
    work.exec(build);
    begin("units over every station");
    work.exec(kBuildUnits);
    begin("units per hour");
    work.exec(UnitCountFunctions());
    work.exec(kBuildUnitCounts);
    work.exec(kUnitCountTriggers);
    begin("indexes");
    work.exec(kSummaryIndexes);
}

void DropLineSummaries(pqxx::transaction_base& work)
{
    work.exec("DROP TRIGGER IF EXISTS rurizuda_summaries ON sntable;"
              "DROP TRIGGER IF EXISTS rurizuda_summaries_truncate ON sntable;"
              "DROP INDEX IF EXISTS rurizuda_sntable_failed_time; DROP INDEX IF EXISTS rurizuda_sntable_unit;"
              "DROP INDEX IF EXISTS rurizuda_sntable_station_failed_time;"
              "DROP TABLE IF EXISTS rurizuda_unit_rows, rurizuda_units, rurizuda_hour_rows, rurizuda_hour_items, "
              "rurizuda_day_signals, rurizuda_hour_units, rurizuda_hour_station_units");
}

bool EnsureLineSummaries(pqxx::transaction_base& work)
{
    if (LineSummariesExist(work))
        return true;
    const std::string limit = std::to_string(kLargestTableBuiltByStore + 1);
    const long rows = work.exec1("SELECT count(*) FROM (SELECT 1 FROM sntable LIMIT " + limit + ") AS r")[0].as<long>();
    if (rows > kLargestTableBuiltByStore)
        return false;
    BuildLineSummaries(work);
    return true;
}
