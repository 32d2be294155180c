// A stand-in for the product's gateway control object: an in-process
// IDispatch server with "LastStatus", "StopTr" and "StartTr". The status it
// reports is HKLM\Software\OrvaneSandbox "GatewayStatus" (default 32); every
// call is traced.
#include <windows.h>
#include <objbase.h>
#include <oaidl.h>
#include <olectl.h>

#include <atomic>
#include <string>

#include "../../src/machine/GatewayClsid.h"
#include "Trace.h"

namespace {

HMODULE gModule = nullptr;
std::atomic<long> gObjects{0};

enum : DISPID { kLastStatus = 1, kStopTr = 2, kStartTr = 3 };

class Gateway : public IDispatch {
public:
    Gateway() { ++gObjects; }
    virtual ~Gateway() { --gObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long n = --refs_;
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        if (n) *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            if (lstrcmpiW(names[i], L"LastStatus") == 0) ids[i] = kLastStatus;
            else if (lstrcmpiW(names[i], L"StopTr") == 0) ids[i] = kStopTr;
            else if (lstrcmpiW(names[i], L"StartTr") == 0) ids[i] = kStartTr;
            else {
                ids[i] = DISPID_UNKNOWN;
                hr = DISP_E_UNKNOWNNAME;
            }
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        switch (id) {
        case kLastStatus: {
            if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
            const DWORD status = sandbox::RegNumber(L"Software\\OrvaneSandbox", L"GatewayStatus", 32);
            sandbox::Trace(L"gateway LastStatus read (" + std::to_wstring(status) + L")");
            if (result) {
                ::VariantInit(result);
                result->vt = VT_I4;
                result->lVal = static_cast<LONG>(status);
            }
            return S_OK;
        }
        case kStopTr:
            sandbox::Trace(L"gateway StopTr called");
            return S_OK;
        case kStartTr:
            sandbox::Trace(L"gateway StartTr called");
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    std::atomic<long> refs_{1};
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        Gateway* g = new Gateway();
        const HRESULT hr = g->QueryInterface(riid, out);
        g->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory gFactory;

std::wstring ClsidKey() {
    wchar_t text[64] = {};
    ::StringFromGUID2(kGatewayControlClsid, text, 64);
    return std::wstring(L"Software\\Classes\\CLSID\\") + text;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) gModule = instance;
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (clsid != kGatewayControlClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return gFactory.QueryInterface(riid, out);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return gObjects == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT __stdcall DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(gModule, path, MAX_PATH);
    const std::wstring key = ClsidKey() + L"\\InprocServer32";
    HKEY k = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    ::RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                     static_cast<DWORD>((lstrlenW(path) + 1) * sizeof(wchar_t)));
    const wchar_t model[] = L"Apartment";
    ::RegSetValueExW(k, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
    ::RegCloseKey(k);
    return S_OK;
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClsidKey().c_str());
    return S_OK;
}
