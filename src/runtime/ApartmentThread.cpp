#include "runtime/ApartmentThread.h"

#include "runtime/ComLibrary.h"

#include <objbase.h>

#include <deque>
#include <exception>
#include <mutex>

#include "runtime/MessageLoop.h"
#include "runtime/Handles.h"

namespace rt {

struct Job {
    std::function<void()> call;
    std::exception_ptr error;
    UniqueHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

struct ApartmentThread::Shared {
    std::mutex lock;
    std::deque<std::shared_ptr<Job>> jobs;
    bool quit = false;
    bool abandoned = false;
    UniqueHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    UniqueHandle thread;
};

namespace {

DWORD WINAPI ThreadMain(void* param) {
    // The thread keeps what it shares alive, also after its owner gave up.
    std::unique_ptr<std::shared_ptr<ApartmentThread::Shared>> keep(
        static_cast<std::shared_ptr<ApartmentThread::Shared>*>(param));
    auto& shared = **keep;
    const HRESULT init = ComInitializeApartment();
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::lock_guard<std::mutex> guard(shared.lock);
            if (!shared.jobs.empty()) {
                job = shared.jobs.front();
                shared.jobs.pop_front();
            } else if (shared.quit) {
                break;
            }
        }
        if (!job) {
            // An apartment must pump messages while it waits.
            HANDLE wake = shared.wake.get();
            if (::MsgWaitForMultipleObjects(1, &wake, FALSE, INFINITE, QS_ALLINPUT) ==
                WAIT_OBJECT_0 + 1) {
                MSG msg;
                while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            }
            continue;
        }
        try {
            job->call();
        } catch (...) {
            job->error = std::current_exception();
        }
        job->call = nullptr;  // COM references the call holds go on this thread
        ::SetEvent(job->done.get());
    }
    if (SUCCEEDED(init)) ComUninitialize();
    return 0;
}

}  // namespace

ApartmentThread::ApartmentThread() : shared_(std::make_shared<Shared>()) {
    auto* param = new std::shared_ptr<Shared>(shared_);
    HANDLE h = ::CreateThread(nullptr, 0, &ThreadMain, param, 0, nullptr);
    if (!h) {
        delete param;
        shared_->abandoned = true;  // every call fails at once
        return;
    }
    shared_->thread.reset(h);
}

ApartmentThread::~ApartmentThread() {
    if (!shared_->thread) return;
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        if (shared_->abandoned) return;
        shared_->quit = true;
    }
    ::SetEvent(shared_->wake.get());
    // Idle, it ends at once; a bounded wait all the same, never a hang.
    ::WaitForSingleObject(shared_->thread.get(), 5000);
}

bool ApartmentThread::Abandoned() const {
    std::lock_guard<std::mutex> guard(shared_->lock);
    return shared_->abandoned;
}

bool ApartmentThread::Run(std::function<void()> call, DWORD limitMs) {
    auto job = std::make_shared<Job>();
    job->call = std::move(call);
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        if (shared_->abandoned || !job->done) return false;
        shared_->jobs.push_back(job);
    }
    ::SetEvent(shared_->wake.get());
    if (!WaitPaintingOnly(job->done.get(), limitMs)) {
        std::lock_guard<std::mutex> guard(shared_->lock);
        shared_->abandoned = true;
        return false;
    }
    if (job->error) std::rethrow_exception(job->error);
    return true;
}

}  // namespace rt
