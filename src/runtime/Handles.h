// Small owners for Win32 handles, so no early return can skip a close.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

namespace rt {

// Kernel handles: both NULL and INVALID_HANDLE_VALUE mean "none".
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(HANDLE h) noexcept : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const noexcept { return h_; }
    bool valid() const noexcept { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const noexcept { return valid(); }
    HANDLE release() noexcept { return std::exchange(h_, nullptr); }
    void reset(HANDLE h = nullptr) noexcept {
        if (valid()) ::CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

// The other owners: a unique_ptr whose deleter is the function that frees
// the handle. Callers adopt only live handles (FindFirstFile's failure is
// INVALID_HANDLE_VALUE and is checked before).
template <auto Free>
struct Closer {
    template <class H>
    void operator()(H h) const noexcept {
        Free(h);
    }
};
template <class H, auto Free>
using UniqueOwner = std::unique_ptr<std::remove_pointer_t<H>, Closer<Free>>;

using UniqueFind = UniqueOwner<HANDLE, &::FindClose>;
using UniqueModule = UniqueOwner<HMODULE, &::FreeLibrary>;
using UniqueFont = UniqueOwner<HFONT, &::DeleteObject>;
using UniqueBitmap = UniqueOwner<HBITMAP, &::DeleteObject>;
using UniqueMenu = UniqueOwner<HMENU, &::DestroyMenu>;
using UniqueKey = UniqueOwner<HKEY, &::RegCloseKey>;

}  // namespace rt
