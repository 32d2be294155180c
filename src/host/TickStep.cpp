#include "host/TickStep.h"

#include "core/ActionValues.h"

void ReportFailure(RunLog& host, const std::string& text) {
    TheRunOutcome.failed = true;
    host.ErrorEvent(text);
}

void TickStep::Report(long number, const std::string& description) noexcept {
    const std::string text = description + " number=" + std::to_string(number);
    try {
        host_.Log("(error) in restart timer: " + text);
    } catch (...) {
    }
    try {
        ReportFailure(host_, text);
    } catch (...) {
    }
}
