// Our event-log components: the source's registration values, and the logger
// that raises the program's events 1 to 10.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

inline constexpr wchar_t kEventSource[] = L"OrvaneScheduledRestart";

// Writes the registration of an event source under
// HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\<SourceName>,
// each value as it is set. Setting a value before SourceName raises an error.
class EventSourceRegistration {
public:
    void SetSourceName(const std::wstring& name);
    void SetEventMessageFile(const std::wstring& path);
    void SetCategoryMessageFile(const std::wstring& path);
    void SetParameterMessageFile(const std::wstring& path);
    void SetCategoryCount(std::int32_t count);
    void SetTypesSupported(std::int32_t types);
    static std::wstring KeyPath(const std::wstring& sourceName);

private:
    void Write(const wchar_t* value, DWORD type, const void* data, DWORD size) const;
    std::wstring source_;
};

// Raises information and error events under its source. Mode 1 reports to the
// Windows event log; the event source is registered on first use.
class EventLogger {
public:
    EventLogger() = default;
    ~EventLogger();
    EventLogger(const EventLogger&) = delete;
    EventLogger& operator=(const EventLogger&) = delete;

    void SetSourceName(const std::wstring& name);
    void SetMode(std::int32_t mode) { mode_ = mode; }
    void LogInfoEvent(std::int32_t number, const std::wstring& value1 = {}, const std::wstring& value2 = {});
    void LogErrorEvent(std::int32_t number, const std::wstring& text, const std::wstring& value1 = {});

    // The full event identifier for a number: severity bits as the message
    // table defines them, so Event Viewer finds the text.
    static DWORD EventId(std::int32_t number, bool error);

private:
    void Report(WORD type, DWORD id, const std::wstring& a, const std::wstring& b);
    HANDLE Source();
    std::wstring source_;
    std::int32_t mode_ = 0;
    HANDLE handle_ = nullptr;
};
