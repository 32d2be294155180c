// Owners for the values COM hands out: strings, variants, exception details.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>

#include "runtime/ComLibrary.h"

namespace rt {

class UniqueBstr {
public:
    UniqueBstr() noexcept = default;
    explicit UniqueBstr(std::wstring_view text) : s_(BstrAlloc(text)) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    ~UniqueBstr() { BstrFree(s_); }

    BSTR get() const noexcept { return s_; }
    explicit operator bool() const noexcept { return s_ != nullptr; }

private:
    BSTR s_ = nullptr;
};

// A VARIANT that is cleared when it goes.
struct UniqueVariant {
    VARIANT v;
    UniqueVariant() noexcept { VariantStart(&v); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() { VariantEnd(&v); }
};

// An EXCEPINFO whose strings are freed when it goes.
struct UniqueExcepInfo {
    EXCEPINFO info{};
    UniqueExcepInfo() noexcept = default;
    UniqueExcepInfo(const UniqueExcepInfo&) = delete;
    UniqueExcepInfo& operator=(const UniqueExcepInfo&) = delete;
    ~UniqueExcepInfo() {
        BstrFree(info.bstrSource);
        BstrFree(info.bstrDescription);
        BstrFree(info.bstrHelpFile);
    }
};

}  // namespace rt
