#include "about/WebBrowserHost.h"

#include <exdisp.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "runtime/SystemApi.h"

namespace {

// The HTML document object, {25336920-03F9-11CF-8FD0-00AA00686F13}.
constexpr CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

}  // namespace

WebBrowserHost::~WebBrowserHost() {
    if (browser_) browser_->Release();
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

bool WebBrowserHost::EngineAvailable() {
    IUnknown* document = nullptr;
    const HRESULT hr =
        ::CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&document));
    if (FAILED(hr) || !document) return false;
    document->Release();
    return true;
}

bool WebBrowserHost::Create(HWND parent) {
    const auto init = rt::SystemFunction<AtlAxWinInitFn>(L"atl.dll", "AtlAxWinInit");
    const auto getControl = rt::SystemFunction<AtlAxGetControlFn>(L"atl.dll", "AtlAxGetControl");
    if (!init || !getControl || !init()) return false;
    hwnd_ = ::CreateWindowExW(0, L"AtlAxWin", L"Shell.Explorer.2", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                              parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    IUnknown* control = nullptr;
    if (FAILED(getControl(hwnd_, &control)) || !control) return false;
    const HRESULT hr = control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser_));
    control->Release();
    return SUCCEEDED(hr) && browser_;
}

HRESULT WebBrowserHost::Navigate(const std::wstring& address) {
    if (!browser_) return E_POINTER;
    BSTR url = ::SysAllocString(address.c_str());
    if (!url) return E_OUTOFMEMORY;
    VARIANT empty;
    ::VariantInit(&empty);
    const HRESULT hr = browser_->Navigate(url, &empty, &empty, &empty, &empty);
    ::SysFreeString(url);
    return hr;
}

bool WebBrowserHost::OfferKey(MSG& msg) {
    if (!browser_ || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> active;
    if (FAILED(browser_->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(active.GetAddressOf())))) {
        return false;
    }
    return active->TranslateAccelerator(&msg) == S_OK;
}
