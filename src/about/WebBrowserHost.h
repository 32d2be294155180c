// The platform's WebBrowser control in a child window, hosted by the
// system's own ATL host window (atl.dll, window class "AtlAxWin").
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <wrl/client.h>

#include <string>

#include "runtime/Handles.h"

class WebBrowserHost {
public:
    WebBrowserHost() = default;
    ~WebBrowserHost();
    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;

    // Whether the HTML engine the control renders with can be created here.
    static bool EngineAvailable();
    // The control as a child of parent; false when any part is missing.
    bool Create(HWND parent);
    HRESULT Navigate(const std::wstring& address);
    // Offers a key meant for the control to the page (Tab through links,
    // Ctrl+C), as every host must; true when the page took it.
    bool OfferKey(MSG& msg);
    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
    Microsoft::WRL::ComPtr<IWebBrowser2> browser_;
};
