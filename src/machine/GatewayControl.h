// The product's gateway control object, reached late-bound through IDispatch.
// It lives on a thread of its own, so that a call that never returns cannot
// hold the restart run: such a call is abandoned after a time limit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "machine/GatewayClsid.h"
#include "runtime/ApartmentThread.h"

class GatewayControl {
public:
    static constexpr DWORD kCallLimitMs = 120000;

    // Creates a new object; throws ProgramError 429, naming the HRESULT and
    // the system's text for it, when it cannot.
    explicit GatewayControl(const CLSID& clsid = kGatewayControlClsid, DWORD callLimitMs = kCallLimitMs);
    ~GatewayControl();

    // Each throws ProgramError when the call fails or has not returned
    // within the limit.
    std::int32_t LastStatus();
    void StopTr();
    void StartTr();

private:
    struct Object;
    void Call(const char* member, void (*body)(Object&, std::int32_t&), std::int32_t& result);
    rt::ApartmentThread thread_;
    std::shared_ptr<Object> object_;  // touched on thread_ only
    DWORD limitMs_;
};
