// The program's ways of reporting a failed step and going on with the next.
// Each helper runs one step; a failure never escapes it.
#pragma once

#include <string>
#include <string_view>

namespace rt {

struct ErrorInfo {
    long number = 0;
    std::wstring description;
};

// What the exception in flight says; call only inside a catch block.
ErrorInfo CurrentError() noexcept;

// Silent: the step's failure is dropped and the caller goes on.
template <class Step>
void ContinueSilently(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

enum class ErrorScope { Form, Module };

// A box "(error):N (description) in procedure P of Form F", then go on;
// the restart window leads with its own, translated "(error):".
void ShowProcedureError(const ErrorInfo& error, std::wstring_view procedure, ErrorScope scope,
                        std::wstring_view owner, std::wstring_view prefix = L"(error):") noexcept;

template <class Step>
void ContinueAfterProcedureBox(std::wstring_view procedure, ErrorScope scope, std::wstring_view owner,
                               Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        ShowProcedureError(CurrentError(), procedure, scope, owner);
    }
}

// A box with a fixed prefix followed by the description, then go on.
void ShowPrefixedError(std::wstring_view prefix, const ErrorInfo& error) noexcept;

template <class Step>
void ContinueAfterPrefixedBox(std::wstring_view prefix, Step&& step) noexcept {
    try {
        step();
    } catch (...) {
        ShowPrefixedError(prefix, CurrentError());
    }
}

}  // namespace rt
