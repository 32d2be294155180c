// "/Verify": what a reboot run's record means now, and the check that follows.
// Portable core.
#include "core/ActionValues.h"
#include "restart/RestartSequences.h"

namespace {

std::string Minutes(std::int64_t n) { return std::to_string(n) + (n == 1 ? " minute" : " minutes"); }

// The start-up's services now, into the open log, waiting up to the bound
// (or looking once).
void CheckNow(RestartHost& host, const std::string& heading, bool lookOnce = false) {
    TickStep step(host);
    step([&] { host.Log(heading); });
    Verification check(host);
    check.Prepare({});
    if (lookOnce) check.LookOnce();
    check.Check(StartupServices(), true);
}

[[noreturn]] void End(RestartHost& host) {
    TickStep step(host);
    step([&] { host.CloseLog(); });
    host.EndProcess(TheRunOutcome.ExitCode());
    throw ProcessEnded{};  // a host whose end returns (tests)
}

}  // namespace

void RunBootCheck(RestartHost& host) {
    TickStep step(host);
    BootCheckRecord record;
    step([&] { record = host.ReadBootCheck(); });
    if (!record.present) {
        // By hand: no service touched and no lock taken, so it can never keep a night's run out.
        step([&] { host.OpenRunLog({}); });
        WarnIfFolderUnsafe(host);
        CheckNow(host, " Checking the voice server");
        End(host);
    }
    const std::int64_t now = host.NowUtcSeconds();
    std::int64_t bootAt = 0;
    step([&] { bootAt = host.LastBootUtcSeconds(); });
    // A record from the future (a clock set back) counts as made at the last boot.
    const std::int64_t madeAt = record.madeAt > now ? bootAt : record.madeAt;
    StoredNumber stored;
    step([&] { stored = host.RebootMinutesSetting(); });
    const std::int32_t minutes = Bounded(stored, kRebootMinutesRule);
    const bool booted = bootAt > madeAt;
    if (!booted && now - madeAt < std::int64_t{minutes} * 60) {
        // The reboot is still to come: its task and record stay for it.
        step([&] { host.OpenRunLog({}); });
        WarnIfFolderUnsafe(host);
        BoundOrDefault(host, stored, kRebootMinutesRule);
        CheckNow(host, " The reboot started " + Minutes((now - madeAt) / 60) +
                           " ago has not happened yet; its check stays scheduled. Checking the voice server now");
        End(host);
    }
    if (!ClaimRunThenOpenLog(host, record.logPath)) return;
    if (booted) {
        CheckNow(host, " Checking the voice server after the reboot");
    } else {
        BoundOrDefault(host, stored, kRebootMinutesRule);
        const std::string why = "The server was not restarted within " + Minutes(minutes) + " of starting reboot.bat";
        step([&] { host.Log("(error) " + why); });
        step([&] { ReportFailure(host, why); });
        CheckNow(host, " Checking the voice server", true);
    }
    step([&] { host.DeleteBootCheck(); });
    End(host);
}
