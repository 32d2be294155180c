#include "about/WebBrowserHost.h"

#include <exdisp.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "runtime/ComOwners.h"
#include "runtime/ComLibrary.h"
#include "runtime/SystemApi.h"

using Microsoft::WRL::ComPtr;

namespace {

// The HTML document object, {25336920-03F9-11CF-8FD0-00AA00686F13}.
constexpr CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

}  // namespace

WebBrowserHost::~WebBrowserHost() {
    browser_.Reset();
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

bool WebBrowserHost::EngineAvailable() {
    rt::EnsureOle();
    ComPtr<IUnknown> document;
    return SUCCEEDED(rt::ComCreate(kHtmlDocument, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&document))) && document;
}

bool WebBrowserHost::Create(HWND parent) {
    const auto init = rt::SystemFunction<AtlAxWinInitFn>(L"atl.dll", "AtlAxWinInit");
    const auto getControl = rt::SystemFunction<AtlAxGetControlFn>(L"atl.dll", "AtlAxGetControl");
    rt::EnsureOle();
    if (!init || !getControl || !init()) return false;
    hwnd_ = ::CreateWindowExW(0, L"AtlAxWin", L"Shell.Explorer.2", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                              parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return false;
    ComPtr<IUnknown> control;
    if (FAILED(getControl(hwnd_, &control)) || !control) return false;
    return SUCCEEDED(control.As(&browser_)) && browser_;
}

HRESULT WebBrowserHost::Navigate(const std::wstring& address) {
    if (!browser_) return E_POINTER;
    const rt::UniqueBstr url(address);
    if (!url) return E_OUTOFMEMORY;
    rt::UniqueVariant empty;
    return browser_->Navigate(url.get(), &empty.v, &empty.v, &empty.v, &empty.v);
}

bool WebBrowserHost::OfferKey(MSG& msg) {
    if (!browser_ || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    if (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd)) return false;
    ComPtr<IOleInPlaceActiveObject> active;
    if (FAILED(browser_.As(&active))) return false;
    return active->TranslateAccelerator(&msg) == S_OK;
}
