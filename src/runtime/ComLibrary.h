// COM and OLE from the system folder, loaded when first used: nothing before
// the first paint needs them, and loading them costs the start-up. Each call
// fails with CO_E_DLLNOTFOUND (or does nothing) when a library is missing.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>

namespace rt {

// OLE on the calling (window) thread, once: Task Scheduler, the help page's
// browser control and its keyboard need it.
void EnsureOle();
HRESULT ComInitializeApartment();  // this thread, single-threaded
void ComUninitialize();
HRESULT ComCreate(REFCLSID clsid, DWORD context, REFIID iid, void** object);
void ComFree(void* memory);  // memory COM handed out

BSTR BstrAlloc(std::wstring_view text);
void BstrFree(BSTR s);
void VariantStart(VARIANT* v);
void VariantEnd(VARIANT* v);
HRESULT VariantConvert(VARIANT* to, const VARIANT* from, VARTYPE type);

}  // namespace rt
