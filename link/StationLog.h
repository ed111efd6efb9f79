#pragma once

#include <string>

// The station log, writelog.txt in the current directory. Only the AT module
// writes to it: one time-stamped entry per failure point it reaches.

// Opens the log for appending (created when missing) and returns 1: by
// default ./writelog.txt, else `path` relative to the current directory.
// When the file cannot be opened the process ends with status 1 after a
// one-line reason on standard error.
int LogOpen(const std::string& path = {});

// Opens the log at `path`; returns 1, or 0 when it cannot be opened (nothing
// else happens then). LogOpen is built on this.
int LogOpenFile(const char* path);

// Appends "TIME:" + the local time in ctime form, `text`, and a line feed,
// then flushes the entry to disk. Does nothing while no log is open.
void WriteLog(const char* text);

// Writes the failure entry "FILE:<file>,LINE:<line>\n" through WriteLog.
void LogFailPoint(const char* file, int line);

// Closes the log; later entries are dropped until it is opened again.
void LogClose();

// The log file name, relative to the current directory.
inline constexpr const char* kStationLogName = "writelog.txt";
