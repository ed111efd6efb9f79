#pragma once

// The duplicate rules every result store keeps, as a table both the SQLite
// and the line-wide store are tested against.
#include <optional>
#include <string>
#include <vector>

#include "records/ResultRow.h"

inline ResultRow Unit(const std::string& sn, const std::string& mac, const std::string& imei,
                      const std::string& pcbaSn)
{
    ResultRow row;
    row[Column::Sn] = sn;
    row[Column::Mac] = mac;
    row[Column::Imei] = imei;
    row[Column::PcbaSn] = pcbaSn;
    row[Column::Dtime] = "Mon Dec  7 11:54:06 2026\n";
    return row;
}

struct DuplicateCase {
    const char* name;
    std::vector<ResultRow> stored;
    ResultRow unit;
    std::optional<Column> expected;
};

inline std::vector<DuplicateCase> DuplicateCases()
{
    return {
        {"same SN", {Unit("SN1", "M1", "I1", "P1")}, Unit("SN1", "M2", "I2", "P2"), Column::Sn},
        {"letter case differs", {Unit("sn1", "m1", "i1", "p1")}, Unit("SN1", "M1", "I1", "P1"), std::nullopt},
        {"empty values never match", {Unit("", "", "", "")}, Unit("", "", "", ""), std::nullopt},
        {"MAC and IMEI match: MAC", {Unit("SN1", "M1", "I1", "P1")}, Unit("SN2", "M1", "I1", "P2"), Column::Mac},
        {"only PCBA SN", {Unit("SN1", "M1", "I1", "P1")}, Unit("SN2", "M2", "I2", "P1"), Column::PcbaSn},
        {"earlier row wins over earlier key",
         {Unit("SN1", "M1", "I9", "P1"), Unit("SN9", "M2", "I2", "P2")},
         Unit("SN9", "M3", "I9", "P3"),
         Column::Imei},
        {"blanks count", {Unit("SN1 ", "M1", "I1", "P1")}, Unit("SN1", "M2", "I2", "P2"), std::nullopt},
        {"no stored row", {}, Unit("SN1", "M1", "I1", "P1"), std::nullopt},
    };
}

// How a unit whose station died around the commit is settled: whether the
// store holds a row of the unit's SN and DTIME.
struct HoldsCase {
    const char* name;
    std::vector<ResultRow> stored;
    std::string sn;
    std::string dtime;
    bool held;
};

inline std::vector<HoldsCase> HoldsCases()
{
    const std::string at = Unit("SN1", "M1", "I1", "P1")[Column::Dtime];
    return {
        {"row committed", {Unit("SN1", "M1", "I1", "P1")}, "SN1", at, true},
        {"no row yet", {}, "SN1", at, false},
        {"same SN, another time", {Unit("SN1", "M1", "I1", "P1")}, "SN1", "Mon Dec  7 11:54:07 2026\n", false},
        {"another SN at that time", {Unit("SN2", "M2", "I2", "P2")}, "SN1", at, false},
    };
}
