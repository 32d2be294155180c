#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/CommandLine.h"
#include "core/ActionValues.h"

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

TEST(ParseCommandLine, ActionPrecedenceIsRebootThenRestartThenBounce) {
    EXPECT_EQ(Parse(L"/Reboot /Bounce:PmSpeechSvr").action, ActionReboot);
    EXPECT_EQ(Parse(L"/Bounce:PmSpeechSvr /Restart").action, ActionRestartOnly);
    EXPECT_EQ(Parse(L"/Restart /Reboot").action, ActionReboot);
    EXPECT_EQ(Parse(L"/Bounce").action, ActionBounce);
    EXPECT_EQ(Parse(L"X/REBOOTY").action, ActionReboot);
    EXPECT_EQ(Parse(L"/rEsTaRt").action, ActionRestartOnly);
}

TEST(ParseCommandLine, NonBounceActionsLeaveTwoEmptyElements) {
    for (const wchar_t* line : {L"/Reboot /Bounce:PmSpeechSvr", L"/Restart", L"", L"nothing here", L"/Reboo t"}) {
        const Parsed p = Parse(line);
        EXPECT_EQ(p.names, (Names{"", ""})) << "line: " << std::string(line, line + wcslen(line));
    }
    EXPECT_EQ(Parse(L"").action, ActionNone);
    EXPECT_EQ(Parse(L"/Reboo t").action, ActionNone);
}

TEST(ParseCommandLine, BounceItemsComeBackInCanonicalOrderAndSpelling) {
    EXPECT_EQ(Parse(L"/bounce:pmsyncsvr:pmnotifysvr").names, (Names{"", "PmNotifySvr", "PmSyncSvr"}));
    EXPECT_EQ(Parse(L"/Bounce:PmNotifySvr:PmStoreMonSvr:PmSpeechSvr:PmSyncSvr").names,
              (Names{"", "PmNotifySvr", "PmStoreMonSvr", "PmSpeechSvr", "PmSyncSvr"}));
    // Each item at most once, wherever it stands, even before the switch.
    EXPECT_EQ(Parse(L"/Bounce:PmSpeechSvr:PmSpeechSvr").names, (Names{"", "PmSpeechSvr"}));
    EXPECT_EQ(Parse(L":PmSyncSvr junk /Bounce").names, (Names{"", "PmSyncSvr"}));
    // No items: upper bound 0, element 0 alone.
    EXPECT_EQ(Parse(L"/Bounce").names, (Names{""}));
    // An item needs its colon.
    EXPECT_EQ(Parse(L"/Bounce PmSyncSvr").names, (Names{""}));
}

TEST(ParseCommandLine, HostileLinesNeverReachTheServiceList) {
    std::wstring huge(32 * 1024, L'x');
    huge.replace(100, 7, L"/Bounce");
    huge += L":PmNotifySvr";
    std::wstring control = L"/Bounce";
    for (wchar_t c = 1; c < 32; ++c) control += c;
    control += L":PmSync\x0001Svr:\x00e9\x4e2d\xd83d\xde00:PmSpeechSvr\t";
    control.push_back(L'\0');
    control += L":PmStoreMonSvr";  // after an embedded NUL: still part of the view
    for (const std::wstring& line : {huge, control}) {
        const Parsed p = Parse(line);
        ASSERT_EQ(p.action, ActionBounce);
        ASSERT_FALSE(p.names.empty());
        EXPECT_EQ(p.names[0], "");
        for (std::size_t i = 1; i < p.names.size(); ++i) {
            bool known = false;
            for (auto s : kBounceServices) known = known || p.names[i] == s;
            EXPECT_TRUE(known) << p.names[i];
        }
    }
    EXPECT_EQ(Parse(huge).names, (Names{"", "PmNotifySvr"}));
    EXPECT_EQ(Parse(control).names, (Names{"", "PmStoreMonSvr", "PmSpeechSvr"}));
    EXPECT_EQ(Parse(std::wstring(32 * 1024, L'\x00e9')).action, ActionNone);
}

TEST(BuildCommandLine, OneOfThreeFormsAndOnlyTickedBoxesUnderBounce) {
    CommandLineSelection s;
    EXPECT_EQ(BuildCommandLine(s), L"/Restart");
    s.action = ScheduledAction::Reboot;
    s.checkState = {1, 1, 0, 0};  // ticks left from an earlier bounce choice
    EXPECT_EQ(BuildCommandLine(s), L"/Reboot");
    s.action = ScheduledAction::Bounce;
    s.checkState = {0, 0, 0, 0};
    EXPECT_EQ(BuildCommandLine(s), L"/Bounce");
    s.checkState = {1, 1, 1, 1};
    EXPECT_EQ(BuildCommandLine(s), L"/Bounce:PmNotifySvr:PmStoreMonSvr:PmSpeechSvr:PmSyncSvr");
    s.checkState = {1, 2, 1, 0};  // grey does not count
    EXPECT_EQ(BuildCommandLine(s), L"/Bounce:PmNotifySvr:PmSpeechSvr");
}

TEST(BuildCommandLine, EveryBuiltLineParsesBackToTheSameChoice) {
    for (int mask = 0; mask < 16; ++mask) {
        CommandLineSelection s;
        s.action = ScheduledAction::Bounce;
        Names expected{""};
        for (int i = 0; i < 4; ++i) {
            s.checkState[static_cast<std::size_t>(i)] = (mask >> i) & 1;
            if ((mask >> i) & 1) expected.emplace_back(kBounceServices[static_cast<std::size_t>(i)]);
        }
        const std::wstring line = BuildCommandLine(s);
        EXPECT_FALSE(NamesRestartWindow(line));
        const Parsed p = Parse(line);
        EXPECT_EQ(p.action, ActionBounce);
        EXPECT_EQ(p.names, expected);
    }
}

TEST(StartUp, TheWordRestartAnywhereChoosesTheRestartWindow) {
    EXPECT_TRUE(NamesRestartWindow(L"/RESTART"));
    EXPECT_TRUE(NamesRestartWindow(L"/restart"));
    EXPECT_TRUE(NamesRestartWindow(L"xxRestartyy"));
    EXPECT_TRUE(NamesRestartWindow(L"/Bounce:PmSyncSvr /Restart"));
    EXPECT_FALSE(NamesRestartWindow(L"/Reboot"));
    EXPECT_FALSE(NamesRestartWindow(L""));
    EXPECT_FALSE(NamesRestartWindow(L"/Re start"));
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
        {L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe   ", L""},
        {L"c:\\PROGRAM FILES\\orvane restart\\orvanescheduledrestart.EXE /Bounce:PmSyncSvr", L"/Bounce:PmSyncSvr"},
        {L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart /Reboot", L"/Reboot"},
        {L"C:\\PROGRA~1\\ORVANE~1\\ORVANE~1.EXE /Reboot", L"/Reboot"},
        {L"c:\\progra~1\\orvane~1\\orvane~1 /Reboot", L"/Reboot"},
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
    // Without a short form (8.3 names switched off) the long path alone decides.
    EXPECT_EQ(ArgumentsAfterProgram(L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe /x", kLong, L""),
              L"/x");
    // The word in the path never selects a face; in the arguments it does.
    EXPECT_FALSE(NamesAnAction(ArgumentsAfterProgram(
        L"C:\\Program Files\\Orvane Restart\\OrvaneScheduledRestart.exe", kLong, kShort)));
}

TEST(StartUp, UnattendedRunsAreThoseThatNameAnAction) {
    const std::pair<std::wstring_view, bool> cases[] = {
        {L"/Restart", true}, {L"/Reboot", true}, {L"/BOUNCE:PmSyncSvr", true}, {L"/Bounce", true},
        {L"", false},        {L"/Reboo", false}, {L"anything", false},
    };
    for (const auto& [line, unattended] : cases) {
        EXPECT_EQ(NamesAnAction(line), unattended) << std::string(line.begin(), line.end());
    }
}

}  // namespace
