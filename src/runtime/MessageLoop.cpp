#include "runtime/MessageLoop.h"

#include <algorithm>
#include <vector>

namespace rt {
namespace {

std::vector<MessageTarget*>& Targets() {
    static std::vector<MessageTarget*> targets;
    return targets;
}

MessageTarget* TargetOf(HWND hwnd) {
    const HWND root = hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr;
    for (MessageTarget* t : Targets()) {
        if (root && t->Hwnd() == root) return t;
    }
    return nullptr;
}

}  // namespace

void OpenTarget(MessageTarget& target) { Targets().push_back(&target); }

void CloseTarget(MessageTarget& target) {
    auto& targets = Targets();
    targets.erase(std::remove(targets.begin(), targets.end(), &target), targets.end());
    // Wake the main loop so it sees that no window is left; a thread message
    // rather than WM_QUIT, which would also end any nested modal loop.
    if (targets.empty()) ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void DispatchOne(MSG& msg) {
    if (MessageTarget* target = TargetOf(msg.hwnd)) {
        if (target->PreTranslateMessage(msg)) return;
        if (::IsDialogMessageW(target->Hwnd(), &msg)) return;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

void DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchOne(msg);
    }
}

namespace {

void DispatchPaintOnly() {
    MSG msg;
    // PM_QS_PAINT takes paint messages alone (sent messages are delivered by
    // any PeekMessage); input stays queued, so no click re-enters an action.
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchOne(msg);
    }
}

}  // namespace

bool WaitPaintingOnly(HANDLE handle, DWORD timeoutMs) {
    // Windows marks a window "Not Responding" when its thread has not looked
    // at its queue for 5 s: look at least every quarter second.
    constexpr DWORD kSlice = 250;
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD slice = kSlice;
        if (timeoutMs != INFINITE) {
            const ULONGLONG elapsed = ::GetTickCount64() - start;
            if (elapsed >= timeoutMs) return handle && ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
            slice = static_cast<DWORD>(std::min<ULONGLONG>(kSlice, timeoutMs - elapsed));
        }
        const DWORD r = ::MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, slice, QS_PAINT);
        if (handle && r == WAIT_OBJECT_0) return true;
        if (r == WAIT_FAILED) {
            if (handle) return false;  // not a handle that can be waited on
            ::Sleep(slice);
        }
        DispatchPaintOnly();
    }
}

int RunMessageLoop() {
    MSG msg;
    while (!Targets().empty()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got == -1) return 1;
        DispatchOne(msg);
    }
    return 0;
}

void RunModalLoop(const std::function<bool()>& shown) {
    MSG msg;
    while (shown()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // let the outer loop see it too
            return;
        }
        if (got == -1) return;
        DispatchOne(msg);
    }
}

}  // namespace rt
