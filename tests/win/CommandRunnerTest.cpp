// Commands started and waited on as the sequences do, on the helper child.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "TestSupport.h"
#include "core/ProgramError.h"
#include "machine/modCallExternalApp.h"
#include "runtime/Handles.h"
#include "runtime/Text.h"

namespace {

using Clock = std::chrono::steady_clock;

std::wstring Child(const std::wstring& args) { return L"\"" + test::ChildProc() + L"\" " + args; }

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The wait ends with the child or at its limit, never later; a child still
// running at the limit is left running. Ids that are not a child of ours
// (gone, never used) are false at once.
TEST(CommandRunner, WaitEndsWhenTheChildEndsOrAtItsLimit) {
    struct Case {
        const wchar_t* args;
        DWORD pauseFirst;  // the child is long gone before the wait
        std::int32_t limit;
        bool finished;
        long long minMs, maxMs;  // from before the start
    } cases[] = {
        {L"sleep 2000", 0, 30000, true, 1900, 10000}, {L"sleep 20000", 0, 700, false, 650, 3000},
        {L"sleep 1500", 0, -1, true, 1400, 10000},    {L"exit 0", 800, 30000, true, 800, 1800},
    };
    for (const Case& c : cases) {
        const auto start = Clock::now();
        const std::int32_t pid = StartCommand(Child(c.args), vbMinimizedNoFocus);
        EXPECT_LT(MsSince(start), 1500) << "the start must not wait for the child";
        ::Sleep(c.pauseFirst);
        EXPECT_EQ(bWaitForProcess(pid, c.limit), c.finished) << rt::ToUtf8(c.args);
        const long long took = MsSince(start);
        EXPECT_GE(took, c.minMs) << rt::ToUtf8(c.args);
        EXPECT_LT(took, c.maxMs) << rt::ToUtf8(c.args);
        rt::UniqueHandle h(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid)));
        EXPECT_EQ(h && ::WaitForSingleObject(h.get(), 0) == WAIT_TIMEOUT, !c.finished) << "still running";
        if (h) ::TerminateProcess(h.get(), 9);
    }
    const auto start = Clock::now();
    EXPECT_EQ(std::pair(bWaitForProcess(0, 5000), bWaitForProcess(0x7FFFFFF0, 5000)), std::pair(false, false));
    EXPECT_LT(MsSince(start), 1000);
}

TEST(CommandRunner, ProgramThatCannotBeStartedRaisesAnErrorThatNamesIt) {
    test::ScratchDir dir;
    for (const std::wstring& program : {std::wstring(L"no_such_program_4711.exe"), dir.File(L"missing one.exe")}) {
        try {
            StartCommand(L"\"" + program + L"\" /x", vbNormalFocus);
            ADD_FAILURE() << "expected an error";
        } catch (const ProgramError& e) {
            EXPECT_EQ(e.Number(), 53);
            EXPECT_EQ(std::string(e.what()), "File not found: " + rt::ToUtf8(program));
        }
    }
    EXPECT_THROW(StartCommand(L"", vbNormalFocus), ProgramError);
    EXPECT_THROW(StartCommand(Child(L"exit 0"), static_cast<WindowStyle>(5)), ProgramError) << "no such window style";
}

TEST(CommandRunner, WindowStyleAndCommandLineReachTheChildUnchanged) {
    test::ScratchDir dir;
    const std::pair<WindowStyle, int> styles[] = {{vbNormalFocus, SW_SHOWNORMAL}, {vbMinimizedFocus, SW_SHOWMINIMIZED},
                                          {vbMinimizedNoFocus, SW_SHOWMINNOACTIVE}, {vbHide, SW_HIDE}};
    for (const auto& [style, shown] : styles) {
        const std::wstring out = dir.File(L"state" + std::to_wstring(style) + L".txt");
        ASSERT_TRUE(bWaitForProcess(StartCommand(Child(L"showstate \"" + out + L"\""), style), 20000));
        EXPECT_EQ(test::ReadBytes(out), std::to_string(shown)) << "style " << style;
    }
    // From a folder with blanks, with blanks, tabs and a non-ASCII letter.
    ASSERT_TRUE(::CreateDirectoryW(dir.File(L"Program Files").c_str(), nullptr));
    const std::wstring copy = dir.File(L"Program Files\\child proc.exe"), out = dir.File(L"line.txt");
    ASSERT_TRUE(::CopyFileW(test::ChildProc().c_str(), copy.c_str(), FALSE));
    const std::wstring line = L"\"" + copy + L"\" cmdline \"" + out + L"\"  two\tblanks \x00e9";
    ASSERT_TRUE(bWaitForProcess(StartCommand(line, vbMinimizedNoFocus), 20000));
    EXPECT_EQ(test::ReadBytes(out), rt::ToUtf8(line));
}

}  // namespace
