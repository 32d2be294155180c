#include "runtime/ComLibrary.h"

#include <objbase.h>
#include <ole2.h>

#include "runtime/SystemApi.h"

namespace rt {
namespace {

template <class Fn>
Fn Ole32(const char* name) {
    return SystemFunction<Fn>(L"ole32.dll", name);
}

template <class Fn>
Fn OleAut32(const char* name) {
    return SystemFunction<Fn>(L"oleaut32.dll", name);
}

}  // namespace

void EnsureOle() {
    static const HRESULT once = [] {
        const auto init = Ole32<HRESULT(WINAPI*)(LPVOID)>("OleInitialize");
        return init ? init(nullptr) : CO_E_DLLNOTFOUND;
    }();
    (void)once;
}

HRESULT ComInitializeApartment() {
    const auto init = Ole32<HRESULT(WINAPI*)(LPVOID, DWORD)>("CoInitializeEx");
    return init ? init(nullptr, COINIT_APARTMENTTHREADED) : CO_E_DLLNOTFOUND;
}

void ComUninitialize() {
    if (const auto uninit = Ole32<void(WINAPI*)()>("CoUninitialize")) uninit();
}

HRESULT ComCreate(REFCLSID clsid, DWORD context, REFIID iid, void** object) {
    static const auto create =
        Ole32<HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*)>("CoCreateInstance");
    if (object) *object = nullptr;
    return create ? create(clsid, nullptr, context, iid, object) : CO_E_DLLNOTFOUND;
}

void ComFree(void* memory) {
    static const auto free = Ole32<void(WINAPI*)(LPVOID)>("CoTaskMemFree");
    if (free && memory) free(memory);
}

BSTR BstrAlloc(std::wstring_view text) {
    static const auto alloc = OleAut32<BSTR(WINAPI*)(const OLECHAR*, UINT)>("SysAllocStringLen");
    return alloc ? alloc(text.data(), static_cast<UINT>(text.size())) : nullptr;
}

void BstrFree(BSTR s) {
    static const auto free = OleAut32<void(WINAPI*)(BSTR)>("SysFreeString");
    if (free && s) free(s);
}

void VariantStart(VARIANT* v) {
    v->vt = VT_EMPTY;  // all VariantInit does
}

void VariantEnd(VARIANT* v) {
    static const auto clear = OleAut32<HRESULT(WINAPI*)(VARIANTARG*)>("VariantClear");
    if (clear) clear(v);
}

HRESULT VariantConvert(VARIANT* to, const VARIANT* from, VARTYPE type) {
    static const auto change =
        OleAut32<HRESULT(WINAPI*)(VARIANTARG*, const VARIANTARG*, USHORT, VARTYPE)>("VariantChangeType");
    return change ? change(to, from, 0, type) : CO_E_DLLNOTFOUND;
}

}  // namespace rt
