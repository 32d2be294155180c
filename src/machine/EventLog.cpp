#include "machine/EventLog.h"

#include <vector>

#include "runtime/Handles.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

std::wstring EventSourceRegistration::KeyPath(const std::wstring& sourceName) {
    return L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + sourceName;
}

void EventSourceRegistration::Write(const wchar_t* value, DWORD type, const void* data, DWORD size) const {
    if (source_.empty()) throw ProgramError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
    HKEY key = nullptr;
    const LSTATUS opened = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyPath(source_).c_str(), 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &key, nullptr);
    if (opened != ERROR_SUCCESS) throw ProgramError(opened, rt::ToUtf8(rt::SystemErrorText(static_cast<DWORD>(opened))));
    rt::UniqueKey owner(key);
    const LSTATUS set = ::RegSetValueExW(key, value, 0, type, static_cast<const BYTE*>(data), size);
    if (set != ERROR_SUCCESS) throw ProgramError(set, rt::ToUtf8(rt::SystemErrorText(static_cast<DWORD>(set))));
}

namespace {
DWORD Bytes(const std::wstring& s) { return static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)); }
}  // namespace

void EventSourceRegistration::SetSourceName(const std::wstring& name) { source_ = name; }
void EventSourceRegistration::SetEventMessageFile(const std::wstring& path) {
    Write(L"EventMessageFile", REG_EXPAND_SZ, path.c_str(), Bytes(path));
}
void EventSourceRegistration::SetCategoryMessageFile(const std::wstring& path) {
    Write(L"CategoryMessageFile", REG_EXPAND_SZ, path.c_str(), Bytes(path));
}
void EventSourceRegistration::SetParameterMessageFile(const std::wstring& path) {
    Write(L"ParameterMessageFile", REG_EXPAND_SZ, path.c_str(), Bytes(path));
}
void EventSourceRegistration::SetCategoryCount(std::int32_t count) {
    const DWORD v = static_cast<DWORD>(count);
    Write(L"CategoryCount", REG_DWORD, &v, sizeof v);
}
void EventSourceRegistration::SetTypesSupported(std::int32_t types) {
    const DWORD v = static_cast<DWORD>(types);
    Write(L"TypesSupported", REG_DWORD, &v, sizeof v);
}

EventLogger::~EventLogger() {
    if (handle_) ::DeregisterEventSource(handle_);
}

void EventLogger::SetSourceName(const std::wstring& name) {
    if (handle_ && name != source_) {
        ::DeregisterEventSource(handle_);
        handle_ = nullptr;
    }
    source_ = name;
}

DWORD EventLogger::EventId(std::int32_t number, bool error) {
    return (error ? 0xC0000000u : 0x40000000u) | (static_cast<DWORD>(number) & 0xFFFFu);
}

HANDLE EventLogger::Source() {
    if (!handle_) {
        if (source_.empty()) throw ProgramError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
        handle_ = ::RegisterEventSourceW(nullptr, source_.c_str());
        if (!handle_) {
            const DWORD e = ::GetLastError();
            throw ProgramError(static_cast<long>(e), rt::ToUtf8(rt::SystemErrorText(e)));
        }
    }
    return handle_;
}

void EventLogger::Report(WORD type, DWORD id, const std::wstring& a, const std::wstring& b) {
    if (mode_ != 1) return;  // only mode 1 writes to the event log
    std::vector<LPCWSTR> strings;
    if (!a.empty() || !b.empty()) strings.push_back(a.c_str());
    if (!b.empty()) strings.push_back(b.c_str());
    if (!::ReportEventW(Source(), type, 0, id, nullptr, static_cast<WORD>(strings.size()), 0,
                        strings.empty() ? nullptr : strings.data(), nullptr)) {
        const DWORD e = ::GetLastError();
        throw ProgramError(static_cast<long>(e), rt::ToUtf8(rt::SystemErrorText(e)));
    }
}

void EventLogger::LogInfoEvent(std::int32_t number, const std::wstring& value1, const std::wstring& value2) {
    Report(EVENTLOG_INFORMATION_TYPE, EventId(number, false), value1, value2);
}

void EventLogger::LogErrorEvent(std::int32_t number, const std::wstring& text, const std::wstring& value1) {
    Report(EVENTLOG_ERROR_TYPE, EventId(number, true), text, value1);
}
