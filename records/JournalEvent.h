#pragma once

#include <optional>
#include <string>

#include "records/UnitJournal.h"

// A message the station sends about itself rather than about one stored
// unit (work started, its state changed): a line of its own kind in the
// unit journal's day file, so it is on the disk, in order with the units,
// before it goes to the MES, and a sender that died is given it again on
// its next start. Readers of units pass over these lines.
struct JournalEvent {
    std::string name;       // the message's name, e.g. "CFX.Production.WorkStarted"
    int slot = 0;           // the station's slot; 0 without slots
    JournalClock::time_point recorded;  // names the day's file
    std::string uniqueId;   // the message's id
    std::string message;    // the whole message as it is sent
};

// The event as one JSON line with its line feed.
std::string JournalEventLine(const JournalEvent& event);

// Parses one line; nothing when it is not a whole event line.
std::optional<JournalEvent> ParseJournalEventLine(const std::string& line);

// Whether the line is an event's (whole or not): a reader of units skips it
// without counting it torn.
bool IsJournalEventLine(const std::string& line);
