// A thread of its own, in a single-threaded COM apartment, that runs calls one
// at a time for the program's thread, each with a time limit. A call that
// has not returned by then is abandoned together with the thread: the
// program goes on, and the thread is left to finish (or hang) on its own.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

namespace rt {

class ApartmentThread {
public:
    ApartmentThread();
    // Ends the thread when it is idle; an abandoned thread is left alone.
    ~ApartmentThread();
    ApartmentThread(const ApartmentThread&) = delete;
    ApartmentThread& operator=(const ApartmentThread&) = delete;

    // Runs the call on the thread and waits at most limitMs for it, keeping
    // the program's windows painted meanwhile. An exception of the call is
    // thrown here. False when the limit passed; every later call of an
    // abandoned thread returns false at once.
    bool Run(std::function<void()> call, DWORD limitMs);
    bool Abandoned() const;

    struct Shared;  // between the owner and the thread, which outlives it when abandoned

private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace rt
