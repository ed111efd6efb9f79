#pragma once

#include <chrono>
#include <string>

#include "records/UnitJournal.h"

// The journal entry of a unit that ran every item of the one-key test, with
// what the station reads and checks against for each (identities exactly as
// scanned: all digits, leading zeros).
inline UnitJournalEntry TwentyItemUnit(const std::string& sn = "RZ26A0145999",
                                       JournalClock::time_point recorded = JournalClock::from_time_t(1'800'000'025))
{
    UnitJournalEntry entry;
    entry.station = "ST-03";
    entry.sn = sn;
    entry.mac = "001122334455";
    entry.imei = "086740001234567";
    entry.pcbaSn = "0123456789";
    entry.recorded = recorded;
    entry.testStart = recorded - std::chrono::seconds(25);
    entry.testEnd = recorded - std::chrono::seconds(5);
    entry.verdict = "PASS";
    entry.stored = true;
    entry.items = {
        {"WRITE_UNLOCK_PN", "PASS", {"PASS", "0"}, "", 300, 0},
        {"READVER", "PASS", {"RZ_V1.2.2", "20260314"}, "RZ_V1.2.2", 120, 300},
        {"READRELDATE", "PASS", {"20260314"}, "20260314", 100, 420},
        {"READMAC", "PASS", {"001122334455"}, "001122334455", 110, 520},
        {"READIMEI", "PASS", {"086740001234567"}, "086740001234567", 110, 630},
        {"READSN", "PASS", {sn}, sn, 100, 740},
        {"READPCBASN", "PASS", {"0123456789"}, "0123456789", 100, 840},
        {"READSSID", "PASS", {"RZ-4455"}, "RZ-44", 90, 940},
        {"READCHARGERSTATUS", "PASS", {"PASS"}, "", 500, 1030},
        {"READSIM", "PASS", {"89860012345678901234"}, "", 200, 1530},
        {"READSD", "PASS", {"PASS"}, "", 200, 1730},
        {"RFCALDATACHECK", "PASS", {"PASS", "PASS", "PASS", "PASS"}, "", 400, 1930},
        {"READWIFI", "PASS", {"PASS"}, "", 300, 2330},
        {"RFRSSICHECK", "PASS", {"63", "-41", "55.5"}, "30,-50,30", 900, 2630},
        {"WRITELINUXUSBMODE", "PASS", {"PASS"}, "", 200, 3530},
        {"WRITE_LOCK_PN", "PASS", {"PASS", "1"}, "", 300, 3730},
        {"READLINUXUSBMODE", "PASS", {"1", "PASS"}, "", 100, 4030},
        {"READ_LOCK_PN", "PASS", {"1", "PASS"}, "", 100, 4130},
        {"TESTLED", "PASS", {"PASS"}, "", 5000, 4230},
        {"TESTKEY", "PASS", {"PASS"}, "", 8000, 9230},
    };
    return entry;
}
