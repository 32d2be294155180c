// The run log's writing side: one line per call, on disk before the call
// returns, never a failure reported to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <windows.h>

struct CivilTime;
class WorkStationInfo;

// Non-zero once a log has been assigned to this run.
extern std::int16_t LogFileNumber;
// Full path of the run log; empty until the run names one.
extern std::wstring LogFilePath;

// Appends the text (after the local date-time and ": " when asked), lets
// pending window events run once, then flushes. Re-entrant calls made by
// those events complete first, so lines stand in the order they were written.
void WriteLogLine(std::wstring_view text, bool timestamp);
void WriteLogLine(std::string_view utf8Text, bool timestamp);

// Closes the log and reopens LogFilePath for appending. This is also how the
// writer recovers once an unwritable path becomes writable.
void FlushLogFile();
void CloseLogFile();

// The log folder beside the program ("…\logs").
std::wstring LogFolder();

// Names this run's log (base name, "_Log_", yymmdd_hh_mm_ss, ".TXT"), makes
// the log folder if needed, purges old logs and sets LogFilePath. A name
// another run already took gets a counter ("…_22_31_16_2.TXT"): no run's
// log is ever deleted to make room.
std::wstring GenerateNewLogFileName();
std::wstring GenerateNewLogFileNameIn(const std::wstring& folder, const std::wstring& baseName,
                                      const SYSTEMTIME& now);

// Deletes (forced) the regular files directly in the log folder whose
// last change is more than 30 calendar days before today. Never visits
// sub-folders and never follows a link or junction.
void PurgeOldLogFiles();
// How many files the next purge of the logs folder deletes (throws when it cannot be listed).
int CountOldLogFiles();
void PurgeOldLogFilesIn(const std::wstring& folder, const SYSTEMTIME& today);

// Creates the log and writes the six-line header. The file is created
// exclusively: if the name was taken meanwhile the next counter is used and
// LogFilePath follows.
void OpenLogFile(const std::wstring& path);
void OpenLogFile(const std::wstring& path, const WorkStationInfo& workstation);
