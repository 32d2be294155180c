#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/CommandLine.h"
#include "core/ActionValues.h"
#include "schedule/TaskVerbs.h"

namespace {

using Names = std::vector<std::string>;

struct Parsed {
    int action;
    Names names;
};

Parsed Parse(std::wstring_view line) {
    RestartAction = 77;  // anything: the parse must overwrite it
    BounceServiceNames = {"stale", "stale", "stale"};
    ParseCommandLine(line);
    return {RestartAction, BounceServiceNames};
}

TEST(ParseCommandLine, ActionsInPrecedenceAndBounceItemsInCanonicalOrder) {
    const Names none{"", ""};  // what every other action leaves
    struct Case {
        std::wstring_view line;
        int action;
        Names names;
    } cases[] = {
        {L"/Reboot /Bounce:PmSpeechSvr", ActionReboot, none},
        {L"/Bounce:PmSpeechSvr /Restart", ActionRestartOnly, none},
        {L"/Restart /Reboot", ActionReboot, none},
        {L"X/REBOOTY", ActionReboot, none},
        {L"/rEsTaRt", ActionRestartOnly, none},
        {L"", ActionNone, none},
        {L"/Reboo t", ActionNone, none},
        {L"/Bounce", ActionBounce, {""}},  // no items: element 0 alone
        {L"/Bounce PmSyncSvr", ActionBounce, {""}},  // an item needs its colon
        {L"/bounce:pmsyncsvr:pmnotifysvr", ActionBounce, {"", "PmNotifySvr", "PmSyncSvr"}},
        {L"/Bounce:PmNotifySvr:PmStoreMonSvr:PmSpeechSvr:PmSyncSvr", ActionBounce,
         {"", "PmNotifySvr", "PmStoreMonSvr", "PmSpeechSvr", "PmSyncSvr"}},
        // Each item at most once, wherever it stands, even before the switch.
        {L"/Bounce:PmSpeechSvr:PmSpeechSvr", ActionBounce, {"", "PmSpeechSvr"}},
        {L":PmSyncSvr junk /Bounce", ActionBounce, {"", "PmSyncSvr"}},
        // Control characters and odd letters never reach the list.
        {L"/Bounce\x0001\x001f:PmSync\x0001Svr:\x00e9\x4e2d:PmSpeechSvr\t", ActionBounce, {"", "PmSpeechSvr"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        const Parsed p = Parse(c.line);
        EXPECT_EQ(p.action, c.action);
        EXPECT_EQ(p.names, c.names);
        EXPECT_EQ(NamesAnAction(c.line), c.action != ActionNone) << "a line that names an action is an unattended run";
    }
}

// Where start-up sends a line. A verb in any form makes a verb line, which
// its strict parser takes or refuses (usage, exit 1); never a run. Every
// other line keeps the old rule. 't' task verb, 'p' preview, 'c' cancel,
// 's' skip, 'r' restart window, 'v' check after a reboot, 'w' configuration.
TEST(Routing, AVerbInAnyFormIsParsedStrictlyAndEveryOtherLineKeepsTheOldRule) {
    const struct {
        std::wstring_view line;
        char route;
        bool taken;                // by the verb's strict parser
        const char* action = "";  // what a task with this line runs (the manager's Preview)
    } rows[] = {
        // Near misses: each was once a reboot or a restart.
        {L"/Schedule \"Nightly\" /Reboot /At:03:15", 't', false},
        {L"/Schedule:Nightly /Reboot /At 03:15", 't', false},
        {L"-Preview /Restart", 'p', false},
        {L"/Unschedule \"Nightly restart\"", 't', false},
        {L"/Tasks:all /Reboot", 't', false},
        {L"-SCHEDULE=N /Reboot /At:03:15", 't', false},
        {L"/Preview:/Restart", 'p', false},
        {L"/Tasks /Preview /Restart", 't', false},
        {L"/Schedule\u00a0Nightly /Reboot /At:03:15", 't', false},
        {L"\u3000-preview\u3000/Restart", 'p', false},
        // The verbs as they are meant, with Unicode blanks between the words.
        {L"/Schedule:\"Nightly restart\" /Reboot /At:03:15", 't', true},
        {L"/Schedule:N\u3000/Reboot\u00a0/At:03:15", 't', true},
        {L"/tasks", 't', true},
        {L"/Preview\u00a0/Restart", 'p', true},
        {L"\"/Preview /Reboot\"", 'p', true},
        {L"/Cancel", 'c', true},
        {L"-skip:Off", 's', true},
        {L"\u3000-CANCEL\u00a0", 'c', true},
        // Their near misses: refused, never the restart the word would start.
        {L"-Cancel restart", 'c', false},
        {L"/Cancel\u00a0/Restart", 'c', false},
        {L"/Skip=Off /Restart", 's', false},
        {L"/Skip Off", 's', false},
        {L"/Skip:Of", 's', false},
        {L"/Cancel:now", 'c', false},
        {L"/Skip\u3000/Reboot", 's', false},
        // Not a switch: the old rule.
        {L"/Taskslist", 'w', false},
        {L"x/Preview /Restart", 'r', false, "/Restart"},
        {L"/Bounce:PmSyncSvr-Tasks", 'w', false, "/Bounce:PmSyncSvr"},
        {L"/Bounce:PmSyncSvr restart", 'r', false, "/Restart"},  // the word restarts the product
        {L"/Bounce:PmSyncSvr", 'w', false, "/Bounce:PmSyncSvr"},
        {L"/Restart", 'r', false, "/Restart"},
        {L"/Reboot", 'w', false, "/Reboot"},
        {L"", 'w', false},
        {L"/Verify", 'v', false},
        {L"\u3000/vERIFY", 'v', false},
        {L"/Verify /Restart", 'r', false, "/Restart"},
        {L"/Verify /Reboot", 'w', false, "/Reboot"},
        {L"/Verify /Bounce:PmSyncSvr", 'w', false, "/Bounce:PmSyncSvr"},
        {L"x /Verify", 'w', false},
        {L"/Verifyx", 'w', false},
    };
    for (const auto& row : rows) {
        const std::string shown = testing::PrintToString(std::wstring(row.line));
        const Route route = RouteOf(row.line);
        const char got = route == Route::TaskVerb ? 't' : route == Route::Preview ? 'p' : route == Route::Cancel ? 'c'
                       : route == Route::Skip ? 's' : route == Route::RestartWindow ? 'r'
                       : route == Route::BootCheck ? 'v' : 'w';
        EXPECT_EQ(got, row.route) << shown;
        if (got == 't') EXPECT_EQ(ParseTaskVerb(row.line).kind != TaskVerb::None, row.taken) << shown;
        if (got == 'p') EXPECT_EQ(ParsePreview(row.line).valid, row.taken) << shown;
        if (got == 'c' || got == 's') EXPECT_EQ(ParseRunControl(row.line) != RunControlVerb::Invalid, row.taken) << shown;
        EXPECT_EQ(ActionOfTaskLine(row.line).line, row.action) << shown << ": what a task of it runs";
    }
}

TEST(BuildCommandLine, OneOfThreeFormsAndOnlyTickedBoxesUnderBounce) {
    constexpr CheckState o = CheckState::Unchecked, X = CheckState::Checked, g = CheckState::Grayed;
    const std::pair<CommandLineSelection, std::wstring_view> cases[] = {
        {{}, L"/Restart"},
        {{ScheduledAction::Reboot, {X, X, o, o}}, L"/Reboot"},  // ticks left from an earlier bounce choice
        {{ScheduledAction::Bounce, {}}, L"/Bounce"},
        {{ScheduledAction::Bounce, {X, X, X, X}}, L"/Bounce:PmNotifySvr:PmStoreMonSvr:PmSpeechSvr:PmSyncSvr"},
        {{ScheduledAction::Bounce, {X, g, X, o}}, L"/Bounce:PmNotifySvr:PmSpeechSvr"},  // grey does not count
    };
    for (const auto& [selection, line] : cases) EXPECT_EQ(BuildCommandLine(selection), line);
}

TEST(StartUp, ArgumentsFollowTheProgramFoundFromItsModulePath) {
    constexpr std::wstring_view kLong = L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe";
    constexpr std::wstring_view kShort = L"C:\\PROGRA~1\\ORVANE~1\\ORVANE~1.EXE";
    struct Case {
        std::wstring_view line;
        std::wstring_view args;
    };
    const Case cases[] = {
        {L"\"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe\" /Reboot", L"/Reboot"},
        // Unquoted with blanks, as Windows hands a task's line over: the
        // folder's "Restart" must not be read as an argument.
        {L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe /Reboot", L"/Reboot"},
        {L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe", L""},
        {L"c:\\PROGRAM FILES\\orvane restart\\orvanescheduledrestart.EXE /Bounce:PmSyncSvr", L"/Bounce:PmSyncSvr"},
        {L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart /Reboot", L"/Reboot"},
        {L"C:\\PROGRA~1\\ORVANE~1\\ORVANE~1.EXE /Reboot", L"/Reboot"},
        {L"OrvaneScheduledRestart.exe /Reboot", L"/Reboot"},
        {L"Orvane Restart\\OrvaneScheduledRestart /Reboot", L"/Reboot"},
        // Not the program (another name): the C runtime's rule.
        {L"C:\\Program Files\\Other\\Tool.exe /Reboot", L"Files\\Other\\Tool.exe /Reboot"},
        {L"ScheduledRestart.exe /Reboot", L"/Reboot"},
        {L"", L""},
        {L"\"unterminated /Restart", L""},
        {L"C:\\x\"y z\".exe /Reboot", L"/Reboot"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ArgumentsAfterProgram(c.line, kLong, kShort), c.args) << std::string(c.line.begin(), c.line.end());
    }
    // The 8.3 form is asked for once where it can matter, and never for a quoted line.
    int asked = 0;
    const auto shortForm = [&] { return ++asked, std::wstring(kShort); };
    EXPECT_EQ(ArgumentsAfterProgram(L"C:\\PROGRA~1\\ORVANE~1\\ORVANE~1.EXE /Reboot", kLong, shortForm), L"/Reboot");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ArgumentsAfterProgram(L"\"C:\\PROGRA~1\\ORVANE~1\\ORVANE~1.EXE\" /Reboot", kLong, shortForm), L"/Reboot");
    EXPECT_EQ(asked, 1);
    // Without a short form (8.3 names switched off) the long path alone decides.
    EXPECT_EQ(ArgumentsAfterProgram(L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe /x", kLong, L""),
              L"/x");
    // The word in the path never selects a face; in the arguments it does.
    EXPECT_FALSE(NamesAnAction(ArgumentsAfterProgram(
        L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe", kLong, kShort)));
}

}  // namespace
