// The failure handling of the restart timer's steps. Portable core.
#pragma once

#include <exception>
#include <string>

#include "core/ProgramError.h"
#include "host/RestartHost.h"

// The failure handling of the restart timer: a failed step is logged as
// "(error) in restart timer: <description> number=<n>" with error event 5,
// and the sequence goes on. The handling itself never fails.
class TickStep {
public:
    explicit TickStep(RunLog& host) : host_(host) {}
    template <class Body>
    bool operator()(Body&& body);  // true when the body completed

private:
    void Report(long number, const std::string& description) noexcept;
    RunLog& host_;
};

// Error event 5 for a failed step; the run then ends with kExitFailed.
void ReportFailure(RunLog& host, const std::string& text);

template <class Body>
bool TickStep::operator()(Body&& body) {
    try {
        body();
        return true;
    } catch (const ProgramError& e) {
        Report(e.Number(), e.what());
    } catch (const std::exception& e) {
        Report(5, e.what());
    }
    return false;
}
