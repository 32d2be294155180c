#include "machine/GatewayControl.h"

#include <objbase.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>

#include "core/ProgramError.h"
#include "runtime/ComLibrary.h"
#include "runtime/ComOwners.h"
#include "runtime/Text.h"

struct GatewayControl::Object {
    Microsoft::WRL::ComPtr<IDispatch> dispatch;
};

namespace {

// The system's text for a failed creation. Some systems (Wine) have none for
// COM's own codes; those that an administrator meets here get their text.
std::wstring CreationErrorText(HRESULT hr) {
    const std::wstring none = L"Error " + std::to_wstring(static_cast<DWORD>(hr));
    std::wstring text = rt::SystemErrorText(static_cast<DWORD>(hr));
    if (text == none && HRESULT_FACILITY(hr) == FACILITY_WIN32) text = rt::SystemErrorText(HRESULT_CODE(hr));
    if (text.rfind(L"Error ", 0) != 0) return text;
    switch (hr) {
    case REGDB_E_CLASSNOTREG: return L"Class not registered";
    case CO_E_SERVER_EXEC_FAILURE: return L"Server execution failed";
    case CLASS_E_CLASSNOTAVAILABLE: return L"ClassFactory cannot supply requested class";
    case E_NOINTERFACE: return L"No such interface supported";
    case CO_E_NOTINITIALIZED: return L"CoInitialize has not been called.";
    default: return text;
    }
}

std::string HresultText(HRESULT hr) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(hr));
    return std::string(hex) + " " + rt::ToUtf8(CreationErrorText(hr));
}

// The member's result into result; throws with the object's own words where it gave any.
void Invoke(IDispatch& dispatch, const wchar_t* member, WORD kind, rt::UniqueVariant& result) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    HRESULT hr = dispatch.GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw ProgramError(kErrNoSuchMember, "Object doesn't support this property or method");
    DISPPARAMS none{};
    rt::UniqueExcepInfo exception;
    hr = dispatch.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &none, &result.v, &exception.info, nullptr);
    if (FAILED(hr)) {
        const BSTR said = hr == DISP_E_EXCEPTION ? exception.info.bstrDescription : nullptr;
        throw ProgramError(static_cast<long>(hr),
                           rt::ToUtf8(said && *said ? std::wstring(said) : rt::SystemErrorText(static_cast<DWORD>(hr))));
    }
}

void Method(IDispatch& dispatch, const wchar_t* member) {
    rt::UniqueVariant ignored;
    Invoke(dispatch, member, DISPATCH_METHOD, ignored);
}

}  // namespace

GatewayControl::GatewayControl(const CLSID& clsid, DWORD callLimitMs)
    : object_(std::make_shared<Object>()), limitMs_(callLimitMs) {
    auto object = object_;
    const CLSID id = clsid;
    const auto create = [object, id] {
        const HRESULT hr = rt::ComCreate(id, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&object->dispatch));
        if (FAILED(hr) || !object->dispatch) {
            throw ProgramError(kErrCannotCreateObject, "ActiveX component can't create object: " + HresultText(FAILED(hr) ? hr : E_NOINTERFACE));
        }
    };
    if (!thread_.Run(create, limitMs_)) {
        throw ProgramError(kErrCannotCreateObject, "ActiveX component can't create object: no answer within " +
                                    std::to_string(limitMs_ / 1000) + " seconds");
    }
}

GatewayControl::~GatewayControl() {
    // Released on the thread that made it; an abandoned thread keeps it.
    if (!thread_.Abandoned()) {
        auto object = object_;
        try {
            thread_.Run([object] { object->dispatch.Reset(); }, 5000);
        } catch (...) {
        }
    }
}

void GatewayControl::Call(const char* member, void (*body)(Object&, std::int32_t&), std::int32_t& result) {
    // The value lives as long as the call, which may outlive this frame.
    auto object = object_;
    auto value = std::make_shared<std::int32_t>(0);
    if (!thread_.Run([object, body, value] { body(*object, *value); }, limitMs_)) {
        // HRESULT_FROM_WIN32(ERROR_TIMEOUT)
        throw ProgramError(static_cast<long>(0x800705B4), std::string("Gateway call ") + member +
                                                             " did not return within " +
                                                             std::to_string(limitMs_ / 1000) + " seconds");
    }
    result = *value;
}

std::int32_t GatewayControl::LastStatus() {
    std::int32_t status = 0;
    Call("LastStatus", [](Object& o, std::int32_t& out) {
        rt::UniqueVariant v, asLong;
        Invoke(*o.dispatch.Get(), L"LastStatus", DISPATCH_PROPERTYGET, v);
        const HRESULT hr = rt::VariantConvert(&asLong.v, &v.v, VT_I4);
        if (FAILED(hr)) throw ProgramError(static_cast<long>(hr), rt::ToUtf8(rt::SystemErrorText(static_cast<DWORD>(hr))));
        out = asLong.v.lVal;
    }, status);
    return status;
}

void GatewayControl::StopTr() {
    std::int32_t unused = 0;
    Call("StopTr", [](Object& o, std::int32_t&) { Method(*o.dispatch.Get(), L"StopTr"); }, unused);
}

void GatewayControl::StartTr() {
    std::int32_t unused = 0;
    Call("StartTr", [](Object& o, std::int32_t&) { Method(*o.dispatch.Get(), L"StartTr"); }, unused);
}
