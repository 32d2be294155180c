// "/Verify": what a reboot run's record means now, and the check that follows.
// Portable core.
#include "verify/BootVerdict.h"

#include <algorithm>

#include "core/ActionValues.h"
#include "host/TickStep.h"
#include "verify/OneRun.h"
#include "verify/Verification.h"

namespace {

std::string Minutes(std::int64_t n) { return std::to_string(n) + (n == 1 ? " minute" : " minutes"); }

// The start-up's services now, into the open log, waiting up to the bound
// (or looking once).
void CheckNow(BootCheckHost& host, const std::vector<std::string>& services, const std::string& heading,
              bool lookOnce = false) {
    TickStep step(host);
    step([&] { host.Log(heading); });
    Verification check(host);
    check.Prepare({});
    if (lookOnce) check.LookOnce();
    check.Check(services, true);
}

[[noreturn]] void End(BootCheckHost& host) {
    TickStep step(host);
    step([&] { host.CloseLog(); });
    host.EndProcess(TheRunOutcome.ExitCode());
    throw ProcessEnded{};  // a host whose end returns (tests)
}

}  // namespace

BootVerdict BootVerdictOf(const BootCheckRecord& record, std::int64_t nowUtc, std::int32_t minutes) {
    if (record.bootCame) return BootVerdict::Booted;
    return nowUtc - record.madeAt < std::int64_t{minutes} * 60 ? BootVerdict::NotYet : BootVerdict::Overdue;
}

std::int64_t OverdueCheckAt(std::int64_t madeAt, std::int32_t minutes) {
    // One more minute, then the seconds dropped: never before the bound.
    const std::int64_t past = madeAt + (std::int64_t{minutes} + 1) * 60;
    return past - (past % 60 + 60) % 60;
}

void RunBootCheck(BootCheckHost& host, const std::vector<std::string>& startupServices) {
    TickStep step(host);
    BootCheckRecord record;
    step([&] { record = host.ReadBootCheck(); });
    if (!record.present) {
        // By hand: no service touched and no lock taken, so it can never keep a night's run out.
        step([&] { host.OpenRunLog({}); });
        WarnIfFolderUnsafe(host);
        CheckNow(host, startupServices, " Checking the voice server");
        End(host);
    }
    const std::int64_t now = host.NowUtcSeconds();
    // The bound the reboot started with; the setting only for a record without one.
    const bool recordedBound = record.minutes >= kRebootMinutesRule.min && record.minutes <= kRebootMinutesRule.max;
    StoredNumber stored;
    if (!recordedBound) step([&] { stored = host.RebootMinutesSetting(); });
    const std::int32_t minutes = recordedBound ? record.minutes : Bounded(stored, kRebootMinutesRule);
    const BootVerdict verdict = BootVerdictOf(record, now, minutes);
    if (verdict == BootVerdict::NotYet) {
        // The reboot is still to come: its task and record stay for it.
        step([&] { host.OpenRunLog({}); });
        WarnIfFolderUnsafe(host);
        if (!recordedBound) BoundOrDefault(host, stored, kRebootMinutesRule);
        CheckNow(host, startupServices, " The reboot started " + Minutes(std::max<std::int64_t>(0, now - record.madeAt) / 60) +
                           " ago has not happened yet; its check stays scheduled. Checking the voice server now");
        End(host);
    }
    if (!ClaimRunThenOpenLog(host, record.logPath)) return;
    if (verdict == BootVerdict::Booted) {
        CheckNow(host, startupServices, " Checking the voice server after the reboot");
    } else {
        if (!recordedBound) BoundOrDefault(host, stored, kRebootMinutesRule);
        const std::string why = "The server was not restarted within " + Minutes(minutes) + " of starting reboot.bat";
        step([&] { host.Log("(error) " + why); });
        step([&] { ReportFailure(host, why); });
        CheckNow(host, startupServices, " Checking the voice server", true);
    }
    step([&] { host.DeleteBootCheck(); });
    End(host);
}
