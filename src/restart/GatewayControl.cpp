#include "restart/GatewayControl.h"

#include <string>

#include "runtime/ProgramError.h"
#include "runtime/Text.h"

namespace {

[[noreturn]] void Raise(HRESULT hr, const EXCEPINFO* info) {
    std::wstring text;
    if (info && info->bstrDescription) text = info->bstrDescription;
    if (text.empty()) text = rt::SystemErrorText(static_cast<DWORD>(hr));
    throw ProgramError(static_cast<long>(hr), rt::ToUtf8(text));
}

}  // namespace

GatewayControl::GatewayControl() {
    const HRESULT hr = ::CoCreateInstance(kGatewayControlClsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                          IID_IDispatch, reinterpret_cast<void**>(dispatch_.GetAddressOf()));
    if (FAILED(hr) || !dispatch_) throw ProgramError(429, "ActiveX component can't create object");
}

VARIANT GatewayControl::Invoke(const wchar_t* member, WORD kind) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw ProgramError(438, "Object doesn't support this property or method");
    DISPPARAMS none{};
    VARIANT result;
    ::VariantInit(&result);
    EXCEPINFO info{};
    hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &none, &result, &info, nullptr);
    if (FAILED(hr)) {
        ::VariantClear(&result);
        const bool described = hr == DISP_E_EXCEPTION;
        std::wstring keep = described && info.bstrDescription ? info.bstrDescription : L"";
        if (info.bstrSource) ::SysFreeString(info.bstrSource);
        if (info.bstrDescription) ::SysFreeString(info.bstrDescription);
        if (info.bstrHelpFile) ::SysFreeString(info.bstrHelpFile);
        throw ProgramError(static_cast<long>(hr),
                           rt::ToUtf8(keep.empty() ? rt::SystemErrorText(static_cast<DWORD>(hr)) : keep));
    }
    return result;
}

std::int32_t GatewayControl::LastStatus() {
    VARIANT v = Invoke(L"LastStatus", DISPATCH_PROPERTYGET);
    VARIANT asLong;
    ::VariantInit(&asLong);
    const HRESULT hr = ::VariantChangeType(&asLong, &v, 0, VT_I4);
    ::VariantClear(&v);
    if (FAILED(hr)) Raise(hr, nullptr);
    return asLong.lVal;
}

void GatewayControl::StopTr() {
    VARIANT v = Invoke(L"StopTr", DISPATCH_METHOD);
    ::VariantClear(&v);
}

void GatewayControl::StartTr() {
    VARIANT v = Invoke(L"StartTr", DISPATCH_METHOD);
    ::VariantClear(&v);
}
