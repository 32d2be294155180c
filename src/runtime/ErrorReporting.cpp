#include "runtime/ErrorReporting.h"

#include <exception>
#include <new>

#include "runtime/Dialogs.h"
#include "core/ProgramError.h"
#include "runtime/Text.h"

namespace rt {

ErrorInfo CurrentError() noexcept {
    try {
        throw;
    } catch (const ProgramError& e) {
        return {e.Number(), FromUtf8(e.what())};
    } catch (const std::bad_alloc&) {
        return {7, L"Out of memory"};
    } catch (const std::exception& e) {
        return {5, FromUtf8(e.what())};
    } catch (...) {
        return {5, L"Unknown error"};
    }
}

void ShowProcedureError(const ErrorInfo& error, std::wstring_view procedure, ErrorScope scope,
                        std::wstring_view owner, std::wstring_view prefix) noexcept {
    try {
        std::wstring text = std::wstring(prefix) + std::to_wstring(error.number) + L" (" + error.description +
                            L") in procedure " + std::wstring(procedure) +
                            (scope == ErrorScope::Form ? L" of Form " : L" of Module ") + std::wstring(owner);
        MsgBox(text, MB_OK);
    } catch (...) {
    }
}

void ShowPrefixedError(std::wstring_view prefix, const ErrorInfo& error) noexcept {
    try {
        MsgBox(std::wstring(prefix) + error.description, MB_OK);
    } catch (...) {
    }
}

}  // namespace rt
