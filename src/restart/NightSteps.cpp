#include "restart/NightSteps.h"

#include "core/ActionValues.h"
#include "localize/RestartResCONST.h"
#include "host/TickStep.h"

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// %1 and %2 filled in one pass, so that a value holding "%2" stays as it is.
std::string Filled(const std::string& text, const std::string& one, const std::string& two) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[++i] == '1' ? one : two;
        } else {
            out += text[i];
        }
    }
    return out;
}

int NoticeTemplate(NoticeKind kind) {
    switch (kind) {
    case NoticeKind::Restart: return IDS_NOTICE_RESTART;
    case NoticeKind::Reboot: return IDS_NOTICE_REBOOT;
    case NoticeKind::RebootNow: return IDS_NOTICE_REBOOT_NOW;
    case NoticeKind::Bounce: return IDS_NOTICE_BOUNCE;
    }
    return IDS_NOTICE_RESTART;
}

}  // namespace

bool EndIfSkipped(NightHost& host) {
    TickStep step(host);
    SkipRecord skip;
    std::int64_t now = 0;
    step([&] { skip = host.ReadSkip(); });
    step([&] { now = host.NowUtcSeconds(); });
    const SkipVerdict verdict = SkipVerdictOf(skip, now);
    if (verdict == SkipVerdict::None) return false;
    std::string asked;
    if (skip.state == SkipRecord::Set) {
        asked = "as " + (skip.by.empty() ? std::string("an administrator") : skip.by) + " asked at " +
                host.LocalTimeText(skip.at);
    }
    std::string error;
    bool cleared = false;
    step([&] { cleared = host.ClearSkip(error); });
    switch (verdict) {
    case SkipVerdict::SkipThisRun:
        // Never used twice: a skip that stays would silence the next night too.
        if (!cleared) {
            step([&] { host.Log("(error) The skip (" + asked + ") could not be used up, so this run goes on: " + error); });
            return false;
        }
        step([&] { host.Log("skipped, " + asked); });
        step([&] { host.InfoEvent(12, asked); });
        step([&] { host.CloseLog(); });
        host.EndProcess(TheRunOutcome.ExitCode());
        return true;
    case SkipVerdict::Expired:
        step([&] { host.Log("    An unused skip was dropped: it expired 24 hours after " + asked.substr(3) + "."); });
        break;
    case SkipVerdict::FromTheFuture:
        step([&] { host.Log("    A skip dated in the future (" + asked + ") counts as none and was dropped."); });
        break;
    case SkipVerdict::Untrusted:
        step([&] {
            host.Log("    A skip in a key that not only administrators may change counts as none and was dropped: " +
                     skip.keyWriters);
        });
        break;
    case SkipVerdict::Unreadable:
    case SkipVerdict::None:
        step([&] { host.Log("    A skip that cannot be read counts as none and was dropped."); });
        break;
    }
    if (!cleared) step([&] { host.Log("    (It could not be removed: " + error + ")"); });
    return false;
}

std::string NoticeTextOf(NightHost& host, NoticeKind kind, const std::vector<std::string>& services,
                         std::int64_t atUtc) {
    return Filled(host.Text(NoticeTemplate(kind)), host.LocalTimeText(atUtc), Joined(services)) + "\r\n\r\n" +
           host.Text(IDS_NOTICE_HOW_TO_STOP);
}

void TellPeople(NightHost& host, NoticeKind kind, const std::vector<std::string>& services, std::int32_t seconds) {
    TickStep step(host);
    std::string error;
    std::vector<Session> sessions;
    step([&] { sessions = host.OtherSessions(error); });
    if (!error.empty()) {
        step([&] { host.Log("    Nobody on the server could be told: " + error); });
        return;
    }
    if (sessions.empty()) {
        step([&] { host.Log("    Nobody else is logged on to the server: no notice sent."); });
        return;
    }
    std::string text, title;
    step([&] {
        title = host.Text(IDS_NOTICE_TITLE);
        text = NoticeTextOf(host, kind, services, host.NowUtcSeconds() + seconds);
    });
    for (const Session& session : sessions) {
        const std::string who = "session " + std::to_string(session.id) +
                                (session.user.empty() ? std::string() : " (" + session.user + ")");
        bool sent = false;
        std::string why;
        step([&] { sent = host.SendNotice(session.id, title, text, seconds, why); });
        step([&] { host.Log(sent ? "    Notice sent to " + who : "    The notice could not be sent to " + who + ": " + why); });
    }
}

std::string CancelRequestFor(NightHost& host) {
    std::string request, run;
    TickStep step(host);
    step([&] { request = host.CancelRequestText(); });
    if (request.empty()) return {};
    step([&] { run = host.RunIdentity(); });
    return CancelRequestedBy(request, run);
}
