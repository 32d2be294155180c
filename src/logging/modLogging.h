// The run log's writing side: one line per call, on disk before the call
// returns, never a failure reported to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
